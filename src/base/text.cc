#include "velmora/base/text.h"

#include <charconv>

namespace velmora::text {

std::string_view TrimView(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  const size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string LTrim(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string RTrim(std::string_view s) {
  const size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string ToUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    c = ToUpperAscii(c);
  }
  return out;
}

std::string ToLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    c = ToLowerAscii(c);
  }
  return out;
}

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) {
      return false;
    }
  }
  return true;
}

bool IStartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

bool IEndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && IEquals(s.substr(s.size() - suffix.size()), suffix);
}

size_t IFind(std::string_view haystack, std::string_view needle, size_t from) {
  if (needle.size() > haystack.size()) {
    return std::string_view::npos;
  }
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (IEquals(haystack.substr(i, needle.size()), needle)) {
      return i;
    }
  }
  return std::string_view::npos;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) {
    return std::string(s);
  }
  std::string out;
  out.reserve(s.size());
  size_t start = 0;
  for (size_t hit = s.find(from); hit != std::string_view::npos; hit = s.find(from, start)) {
    out.append(s.substr(start, hit - start));
    out.append(to);
    start = hit + from.size();
  }
  out.append(s.substr(start));
  return out;
}

std::string IReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) {
    return std::string(s);
  }
  std::string out;
  out.reserve(s.size());
  size_t start = 0;
  for (size_t hit = IFind(s, from); hit != std::string_view::npos; hit = IFind(s, from, start)) {
    out.append(s.substr(start, hit - start));
    out.append(to);
    start = hit + from.size();
  }
  out.append(s.substr(start));
  return out;
}

std::vector<std::string> Split(std::string_view s, std::string_view delimiter) {
  std::vector<std::string> pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(s);
    return pieces;
  }
  size_t start = 0;
  for (size_t hit = s.find(delimiter); hit != std::string_view::npos;
       hit = s.find(delimiter, start)) {
    pieces.emplace_back(s.substr(start, hit - start));
    start = hit + delimiter.size();
  }
  pieces.emplace_back(s.substr(start));
  return pieces;
}

std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter) {
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) {
      out.append(delimiter);
    }
    out.append(pieces[i]);
  }
  return out;
}

int HexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') {
    return static_cast<int>(c - U'0');
  }
  if (c >= U'a' && c <= U'f') {
    return static_cast<int>(c - U'a') + 10;
  }
  if (c >= U'A' && c <= U'F') {
    return static_cast<int>(c - U'A') + 10;
  }
  return -1;
}

std::string Hex(int32_t number) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  uint32_t value = static_cast<uint32_t>(number);
  if (value == 0) {
    return "0";
  }
  std::string out;
  while (value != 0) {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  }
  return out;
}

std::string Utf8Left(std::string_view s, size_t count) {
  size_t position = 0;
  for (size_t taken = 0; taken < count && position < s.size(); ++taken) {
    ++position;
    while (position < s.size() && (static_cast<unsigned char>(s[position]) & 0xC0) == 0x80) {
      ++position;
    }
  }
  return std::string(s.substr(0, position));
}

bool ParseInt64(std::string_view s, int64_t& value) {
  s = TrimView(s);
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
  }
  if (s.empty()) {
    return false;
  }
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size();
}

}  // namespace velmora::text
