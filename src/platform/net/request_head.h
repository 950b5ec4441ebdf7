#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::net {

// The parts of an HTTP/1.x request head the server acts on.
struct RequestHead {
  std::string method;
  std::string path;  // the request target without its query
  std::string authorization;
  std::string content_type;
  int64_t content_length = -1;  // -1 when the head names none
  bool expect_continue = false;
};

// What ParseRequestHead found: status 0 when the head is a request the server can read on,
// else the status to refuse it with and a reason for the caller.
struct HeadVerdict {
  int status = 0;
  std::string reason;
};

// Parses `head`, the text of a request head (the blank line that ends it may be included). A
// request line other than "METHOD TARGET HTTP/1.x", a header line without a name and a colon, a
// folded header line, a Content-Length that is not one number of decimal digits (or two that
// differ) and any Transfer-Encoding are refused with 400.
HeadVerdict ParseRequestHead(std::string_view head, RequestHead& out);

// The position just after the blank line that ends the head in `buffer`, or 0 while it has
// not arrived. `from` is where the previous search stopped (the search goes back 3 bytes).
size_t FindHeadEnd(std::string_view buffer, size_t from);

}  // namespace velmora::net
