#include "base/picture_parts.h"

#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::pictures {
// The sections of a picture, split at ";" outside quotes and escapes.
std::vector<std::string> SplitSections(std::string_view picture) {
  std::vector<std::string> sections(1);
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '"') {
      const size_t end = picture.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? picture.size() : end + 1;
      sections.back() += picture.substr(i, stop - i);
      i = stop - 1;
    } else if (c == '\\' && i + 1 < picture.size()) {
      sections.back() += picture.substr(i, 2);
      ++i;
    } else if (c == ';') {
      sections.emplace_back();
    } else {
      sections.back() += c;
    }
  }
  return sections;
}

// Whether `picture` holds, outside quotes and escapes, a character of `set` (ASCII case
// ignored).
bool HoldsAny(std::string_view picture, std::string_view set) {
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '"') {
      const size_t end = picture.find('"', i + 1);
      if (end == std::string_view::npos) {
        return false;
      }
      i = end;
    } else if (c == '\\') {
      ++i;
    } else if (set.find(text::ToLowerAscii(c)) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// Reads a literal at `i` (a quoted text or an escaped character) into `out`; false when the
// character at `i` starts neither.
bool ReadLiteral(std::string_view picture, size_t& i, std::string& out) {
  if (picture[i] == '"') {
    const size_t end = picture.find('"', i + 1);
    const size_t stop = end == std::string_view::npos ? picture.size() : end;
    out += picture.substr(i + 1, stop - i - 1);
    i = stop == picture.size() ? stop - 1 : stop;
    return true;
  }
  if (picture[i] == '\\') {
    if (i + 1 < picture.size()) {
      ++i;
      out += picture[i];
    }
    return true;
  }
  return false;
}

}  // namespace velmora::pictures
