#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// SQL literals for statements built as text. Every value a user, a partner or a document can
// influence reaches SQL through one of these.
namespace velmora::core {

// A complete string literal: the text in single quotes, each quote doubled. NUL characters
// are dropped (no engine stores them in text). Append it directly after "= " or ", ".
std::string SqlText(std::string_view text);

// A complete pattern literal to stand after a LIKE that the caller has written. The user's
// wildcards are "*" (any run of characters) and "?" (one character); "%", "_" and "!" typed by
// the user match themselves. The result carries its own escape clause, for example
//   SqlLikeText("AC*50%") == "'AC%50!%' ESCAPE '!'"
// so nothing a user types can end the literal or act as an engine wildcard. There are no
// implicit wildcards: "ACME" matches "ACME" only.
std::string SqlLikeText(std::string_view text);

// The decimal text of a number, ready after "= ".
std::string SqlLong(int32_t number);
std::string SqlByte(uint8_t number);

}  // namespace velmora::core
