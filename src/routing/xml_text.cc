#include "routing/xml_text.h"

#include "velmora/base/text.h"

namespace velmora::routing {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ReplaceIgnoringCase(std::string_view text, std::string_view from, std::string_view to) {
  std::string result(text);
  if (from.empty()) {
    return result;
  }
  size_t at = text::IFind(result, from);
  while (at != std::string::npos) {
    result.replace(at, from.size(), to);
    at = text::IFind(result, from, at + to.size());
  }
  return result;
}

bool IsLenientNumeric(std::string_view text) {
  std::string_view s = text::TrimView(text);
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    ++i;
  }
  size_t digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      ++digits;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      ++i;
    }
    size_t exponent_digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      ++exponent_digits;
      ++i;
    }
    if (exponent_digits == 0) {
      return false;
    }
  }
  return i == s.size();
}

}  // namespace velmora::routing
