#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/picture_parts.h"
#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::pictures {
namespace {

std::vector<std::string> Characters(std::string_view utf8) {
  std::vector<std::string> characters;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = 1;
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead >= 0xF0) {
      length = 4;
    } else if (lead >= 0xE0) {
      length = 3;
    } else if (lead >= 0xC0) {
      length = 2;
    }
    length = std::min(length, utf8.size() - i);
    characters.emplace_back(utf8.substr(i, length));
    i += length;
  }
  return characters;
}

}  // namespace

std::string FormatText(const std::string& value, std::string_view picture_text) {
  const std::vector<std::string> sections = SplitSections(picture_text);
  const std::string_view picture =
      value.empty() && sections.size() >= 2 ? sections[1] : sections[0];
  const bool from_left = HoldsAny(picture, "!");
  std::string shown = value;
  if (HoldsAny(picture, "<")) {
    shown = text::ToLower(shown);
  } else if (HoldsAny(picture, ">")) {
    shown = text::ToUpper(shown);
  }
  const std::vector<std::string> characters = Characters(shown);
  const int count = static_cast<int>(characters.size());
  int placeholders = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    std::string ignored;
    if (!ReadLiteral(picture, i, ignored) && (picture[i] == '@' || picture[i] == '&')) {
      ++placeholders;
    }
  }
  const int offset = from_left ? 0 : placeholders - count;
  std::string out;
  int index = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    if (ReadLiteral(picture, i, out)) {
      continue;
    }
    const char c = picture[i];
    if (c == '!' || c == '<' || c == '>') {
      continue;
    }
    if (c != '@' && c != '&') {
      out += c;
      continue;
    }
    if (index == 0 && offset < 0) {
      for (int k = 0; k < -offset; ++k) {
        out += characters[static_cast<size_t>(k)];
      }
    }
    const int at = index - offset;
    if (at >= 0 && at < count) {
      out += characters[static_cast<size_t>(at)];
    } else if (c == '@') {
      out += ' ';
    }
    ++index;
  }
  if (from_left) {
    for (int k = placeholders; k < count; ++k) {
      out += characters[static_cast<size_t>(k)];
    }
  }
  return out;
}

}  // namespace velmora::pictures
