#pragma once

#include "velmora/base/variant.h"
#include "velmora/plugin/method_call.h"

// Variants to and from the plug-in value type.
namespace velmora::plugins {

// Empty, null, Boolean, numbers, text (dates as their text), one-dimensional arrays of these
// and workbooks (objects implementing plugin::WorkBook, or Nothing). Anything else raises
// kErrTypeMismatch.
plugin::Value ToPluginValue(const Variant& value);

// The variant of `value`. A whole number in the 32-bit range becomes a 32-bit integer, other
// numbers doubles. An array keeps the lower bound of `original` when that was an array. A
// workbook must be the one `original` held (or none): a plug-in cannot hand over workbooks of
// its own, and another one raises kErrTypeMismatch.
Variant FromPluginValue(const plugin::Value& value, const Variant& original);

}  // namespace velmora::plugins
