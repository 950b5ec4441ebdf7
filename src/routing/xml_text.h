#pragma once

// Internal to src/routing: text helpers of the XML and XSL services.

#include <string>
#include <string_view>

namespace velmora::routing {

// Every occurrence of `from` in `text` replaced by `to`, ASCII case ignored, scanning on after
// each replacement (a replacement is never looked at again). An empty `from` changes nothing.
std::string ReplaceIgnoringCase(std::string_view text, std::string_view from, std::string_view to);

// The lenient numeric test of stored queries: optional blanks around, an optional sign, digits
// with at most one ".", at least one digit, and an optional exponent ("E" or "D" in any case,
// an optional sign, digits).
bool IsLenientNumeric(std::string_view text);

// UTF-8 to UTF-16 code units (an invalid sequence becomes U+FFFD) and back (a surrogate pair
// becomes one character, a lone surrogate U+FFFD).
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The character of byte `code` in Windows-1252 (the five unassigned bytes map to the C1
// control of the same number, as the system's conversion does).
char16_t Windows1252ToUnicode(unsigned char code);

}  // namespace velmora::routing
