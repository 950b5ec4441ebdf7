#include "platform/net/request_head.h"

#include <algorithm>
#include <cctype>

namespace velmora::net {
namespace {

bool IEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

// The next line of `rest` without its CR LF (or LF), removed from `rest`.
std::string_view NextLine(std::string_view& rest) {
  const size_t end = rest.find('\n');
  std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  return line;
}

bool ParseRequestLine(std::string_view line, RequestHead& out) {
  const size_t first = line.find(' ');
  const size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (first == 0 || second == std::string_view::npos || second == first + 1) {
    return false;
  }
  const std::string_view version = line.substr(second + 1);
  if (version.size() != 8 || version.substr(0, 7) != "HTTP/1." || !std::isdigit(version[7])) {
    return false;
  }
  out.method = std::string(line.substr(0, first));
  const std::string_view target = line.substr(first + 1, second - first - 1);
  out.path = std::string(target.substr(0, target.find('?')));
  return true;
}

bool ParseLength(std::string_view value, int64_t& length) {
  if (value.empty() || value.size() > 18 ||
      !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  int64_t number = 0;
  for (char c : value) {
    number = number * 10 + (c - '0');
  }
  if (length >= 0 && length != number) {
    return false;
  }
  length = number;
  return true;
}

HeadVerdict Refuse(std::string reason) { return HeadVerdict{400, std::move(reason)}; }

}  // namespace

HeadVerdict ParseRequestHead(std::string_view head, RequestHead& out) {
  std::string_view rest = head;
  if (!ParseRequestLine(NextLine(rest), out)) {
    return Refuse("The request line must be METHOD TARGET HTTP/1.x");
  }
  while (!rest.empty()) {
    const std::string_view line = NextLine(rest);
    if (line.empty()) {
      break;
    }
    const size_t colon = line.find(':');
    if (line.front() == ' ' || line.front() == '\t' || colon == 0 ||
        colon == std::string_view::npos ||
        line.substr(0, colon).find_first_of(" \t") != std::string_view::npos) {
      return Refuse("Malformed header line");
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (IEquals(name, "Content-Length")) {
      if (!ParseLength(value, out.content_length)) {
        return Refuse("Content-Length must be one number of bytes");
      }
    } else if (IEquals(name, "Transfer-Encoding")) {
      return Refuse("Transfer-Encoding is not accepted; send the body with a Content-Length");
    } else if (IEquals(name, "Authorization")) {
      out.authorization = std::string(value);
    } else if (IEquals(name, "Content-Type")) {
      out.content_type = std::string(value);
    } else if (IEquals(name, "Expect")) {
      out.expect_continue = IEquals(value, "100-continue");
    }
  }
  return HeadVerdict{};
}

size_t FindHeadEnd(std::string_view buffer, size_t from) {
  for (size_t i = from > 3 ? from - 3 : 0; i < buffer.size(); ++i) {
    if (buffer[i] != '\n') {
      continue;
    }
    if (i + 1 < buffer.size() && buffer[i + 1] == '\n') {
      return i + 2;
    }
    if (i + 2 < buffer.size() && buffer[i + 1] == '\r' && buffer[i + 2] == '\n') {
      return i + 3;
    }
  }
  return 0;
}

}  // namespace velmora::net
