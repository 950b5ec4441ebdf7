#include "core/sql_literals.h"

namespace velmora::core {

std::string SqlText(std::string_view text) {
  std::string literal;
  literal.reserve(text.size() + 2);
  literal += '\'';
  for (char c : text) {
    if (c == '\0') {
      continue;
    }
    if (c == '\'') {
      literal += '\'';
    }
    literal += c;
  }
  literal += '\'';
  return literal;
}

std::string SqlLikeText(std::string_view text) {
  std::string literal;
  literal.reserve(text.size() + 16);
  literal += '\'';
  for (char c : text) {
    switch (c) {
      case '\0':
        break;
      case '\'':
        literal += "''";
        break;
      case '*':
        literal += '%';
        break;
      case '?':
        literal += '_';
        break;
      case '%':
      case '_':
      case '!':
        literal += '!';
        literal += c;
        break;
      default:
        literal += c;
    }
  }
  literal += "' ESCAPE '!'";
  return literal;
}

std::string SqlLong(int32_t number) { return std::to_string(number); }

std::string SqlByte(uint8_t number) { return std::to_string(number); }

}  // namespace velmora::core
