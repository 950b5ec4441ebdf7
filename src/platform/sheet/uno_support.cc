#include "platform/sheet/uno_support.h"

#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/exc_hlp.hxx>
#include <filesystem>
#include <mutex>
#include <osl/file.hxx>
#include <rtl/bootstrap.hxx>

#include "velmora/sheet/workbook.h"

namespace velmora::sheet {

using css::uno::Reference;
using css::uno::XComponentContext;

OUString ToUno(std::string_view text) {
  return OUString(text.data(), static_cast<sal_Int32>(text.size()), RTL_TEXTENCODING_UTF8);
}

std::string FromUno(const OUString& text) {
  const rtl::OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
  return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

OUString FileUrl(const std::string& path) {
  OUString url;
  const std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
  if (osl::FileBase::getFileURLFromSystemPath(ToUno(absolute), url) != osl::FileBase::E_None) {
    throw Error(kErrEngineFailure, "Velmora.Sheet", "Not a usable file path: " + path);
  }
  return url;
}

css::uno::Sequence<css::beans::PropertyValue> Arguments(
    std::initializer_list<std::pair<const char*, css::uno::Any>> arguments) {
  css::uno::Sequence<css::beans::PropertyValue> sequence(static_cast<sal_Int32>(arguments.size()));
  auto* argument = sequence.getArray();
  for (const auto& [name, value] : arguments) {
    argument->Name = OUString::createFromAscii(name);
    argument->Value = value;
    ++argument;
  }
  return sequence;
}

Reference<XComponentContext> LocalContext(const std::string& program_folder) {
  static std::mutex mutex;
  static Reference<XComponentContext> context;
  std::lock_guard lock(mutex);
  if (!context.is()) {
    try {
      // unorc names the base types only; the office's API types (frames, sheets) come from
      // its types folder, which the office's own start-up would add.
      rtl::Bootstrap::set("URE_MORE_TYPES", "<" + FileUrl(program_folder + "/types") + ">*");
      rtl::Bootstrap::set("URE_MORE_SERVICES", OUString());
      context = cppu::defaultBootstrap_InitialComponentContext(FileUrl(program_folder + "/unorc"));
    } catch (const css::uno::Exception& exception) {
      throw Error(kErrEngineUnavailable, "Velmora.Sheet",
                  "Cannot start the office connection runtime: " + FromUno(exception.Message));
    }
  }
  return context;
}

Error EngineError(const std::string& operation, const css::uno::Exception& exception) {
  const std::string type = FromUno(cppu::getCaughtException().getValueTypeName());
  return Error(kErrEngineFailure, "Velmora.Sheet",
               operation + " failed in the spreadsheet engine (" + type +
                   "): " + FromUno(exception.Message));
}

}  // namespace velmora::sheet
