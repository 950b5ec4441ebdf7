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

}  // namespace velmora::routing
