#pragma once

// Conversions between Velmora's values and UNO's, and the translation of UNO exceptions into
// velmora::Error. Only the office adapter's own files include this header.

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <initializer_list>
#include <rtl/ustring.hxx>
#include <string>
#include <string_view>

#include "velmora/base/error.h"
#include "velmora/base/variant.h"

namespace velmora::sheet {

using rtl::OUString;

OUString ToUno(std::string_view text);
std::string FromUno(const OUString& text);
// The file URL of a POSIX path (made absolute first).
OUString FileUrl(const std::string& path);

// A list of named arguments.
css::uno::Sequence<css::beans::PropertyValue> Arguments(
    std::initializer_list<std::pair<const char*, css::uno::Any>> arguments);

// The process's own UNO context, bootstrapped once from the office's unorc.
css::uno::Reference<css::uno::XComponentContext> LocalContext(const std::string& program_folder);

// A runtime exception (a disposed bridge among them) may mean that the connection to the office
// process is gone: callers catch css::uno::RuntimeException apart and have the process checked
// before its next use.

// An Error for a UNO exception: kErrEngineFailure, source "Velmora.Sheet", the operation and
// the exception's type and message. REQUIRES: called inside the catch block of `exception`.
Error EngineError(const std::string& operation, const css::uno::Exception& exception);

}  // namespace velmora::sheet
