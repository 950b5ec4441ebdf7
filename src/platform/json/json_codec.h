#pragma once

#include <string>
#include <string_view>

#include "velmora/base/variant.h"

// JSON text to and from variants, for the automation service and `velmora call`.
namespace velmora::json {

// The deepest nesting of arrays and objects that Parse accepts.
inline constexpr int kMaxNesting = 256;

// JSON to a variant: null as Null, true/false as Boolean, integers as Long (32-bit) when they
// fit and as 64-bit otherwise, other numbers as Double, strings as text, arrays as
// one-dimensional arrays from 0, objects as Dictionary. Raises an Error (kErrTypeMismatch)
// with the parser's message for text that is not JSON, and for arrays and objects nested deeper
// than kMaxNesting (the conversion recurses once per level).
Variant Parse(std::string_view text);
// True when `text` is one complete JSON value.
bool IsJson(std::string_view text);

// A variant as JSON: Empty and Null as null, numbers and text as themselves, dates as
// "YYYY-MM-DD hh:mm:ss", byte arrays as base64 text, one-dimensional arrays as arrays,
// two-dimensional arrays as arrays of the first index (a recordset's GetRows gives one array
// per field), Dictionary as an object, Collection as an array, any other object as the JSON of
// its Export(). Text that is not valid UTF-8 is written with replacement characters.
std::string Serialize(const Variant& value);

// Base64 (RFC 4648, no line breaks) for byte arrays in JSON.
std::string EncodeBase64(const Bytes& bytes);
// Raises kErrTypeMismatch for text that is not base64.
Bytes DecodeBase64(std::string_view text);

}  // namespace velmora::json
