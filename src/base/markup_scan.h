#pragma once

#include <cstddef>
#include <string_view>

// Scanning XML text without parsing it, for the batch readers that split or check text before
// a parser sees it.
namespace velmora::markup {

// The position just after the '>' of the tag that opens at `from` (the '<'), with quoted
// attribute values skipped, or npos when the text ends first.
inline size_t TagEnd(std::string_view text, size_t from) {
  char quote = 0;
  for (size_t i = from + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      quote = c == quote ? 0 : quote;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace velmora::markup
