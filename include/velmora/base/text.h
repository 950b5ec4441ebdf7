#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text rules shared by every layer. Text is UTF-8. "Trim" removes blanks (spaces) only.
// Case-insensitive comparisons fold ASCII letters only: every key, extension, placeholder and
// SQL word the library compares is ASCII. Positions are 0-based here; callers that count
// characters from 1 convert at the call.
namespace velmora::text {

std::string_view TrimView(std::string_view s);
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);

char ToUpperAscii(char c);
char ToLowerAscii(char c);
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);

bool IEquals(std::string_view a, std::string_view b);
bool IStartsWith(std::string_view s, std::string_view prefix);
bool IEndsWith(std::string_view s, std::string_view suffix);
// Position of the first occurrence of `needle` at or after `from`, ignoring ASCII case;
// std::string::npos when absent.
size_t IFind(std::string_view haystack, std::string_view needle, size_t from = 0);

// Every occurrence of `from` replaced by `to`, compared exactly; an empty `from` changes
// nothing.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
// The same with `from` found ignoring ASCII case.
std::string IReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Pieces between each `delimiter`; an empty text gives one empty piece.
std::vector<std::string> Split(std::string_view s, std::string_view delimiter);
std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter);

// Upper-case hexadecimal without leading zeros or prefix; a negative number gives the eight
// digits of its 32-bit two's complement (-1 gives "FFFFFFFF").
std::string Hex(int32_t number);
// The value of the hexadecimal digit `c` (either case), or -1 when it is not one.
int HexDigitValue(char32_t c);

// The first `count` characters (UTF-8 code points) of `s`; a malformed byte counts as one.
std::string Utf8Left(std::string_view s, size_t count);

// Strict decimal integer of a whole (trimmed) text: no sign-only, no trailing characters.
bool ParseInt64(std::string_view s, int64_t& value);

}  // namespace velmora::text
