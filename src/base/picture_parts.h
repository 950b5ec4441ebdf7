#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/date_time.h"

// The pieces of the picture formatter of velmora/base/picture_format.h: the reading of
// pictures shared by every kind, and one formatter per kind of value.
namespace velmora::pictures {

// The sections of a picture, split at ";" outside quotes and escapes. An unterminated quote
// runs to the end of the picture.
std::vector<std::string> SplitSections(std::string_view picture);
// Whether `picture` holds, outside quotes and escapes, a character of `set` (ASCII case
// ignored). Nothing after an unterminated quote counts.
bool HoldsAny(std::string_view picture, std::string_view set);
// Reads a literal at `i` (a quoted text or an escaped character) into `out`, leaving `i` at
// its last character; false when the character at `i` starts neither. A trailing "\" writes
// nothing; an unterminated quote writes the rest of the picture.
bool ReadLiteral(std::string_view picture, size_t& i, std::string& out);

// A number written by a number picture (up to three sections).
std::string FormatNumber(double value, std::string_view picture);
// A date written by a date picture.
std::string FormatDate(const DateTime& date, std::string_view picture);
// A date as the empty picture writes it: the time alone on 1899-12-30, the date alone at
// midnight, otherwise both.
std::string GeneralDate(const DateTime& date);
// A text written by a text picture ("@", "&", "!", "<", ">"; a second section for "").
std::string FormatText(const std::string& value, std::string_view picture);

}  // namespace velmora::pictures
