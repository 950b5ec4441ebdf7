#include "platform/net/request_head.h"

#include <gtest/gtest.h>

namespace velmora::net {
namespace {

TEST(RequestHeadTest, ReadsTheHeadersTheServerActsOn) {
  RequestHead head;
  const HeadVerdict verdict = ParseRequestHead(
      "POST /v1/call?x=1 HTTP/1.1\r\ncontent-length:  42 \r\nAUTHORIZATION: Bearer t\r\n"
      "Content-Type: text/plain\r\nExpect: 100-continue\r\n\r\n",
      head);
  EXPECT_EQ(verdict.status, 0) << verdict.reason;
  EXPECT_EQ(head.method, "POST");
  EXPECT_EQ(head.path, "/v1/call");
  EXPECT_EQ(head.content_length, 42);
  EXPECT_EQ(head.authorization, "Bearer t");
  EXPECT_EQ(head.content_type, "text/plain");
  EXPECT_TRUE(head.expect_continue);
}

TEST(RequestHeadTest, MalformedHeadsAndLengthsAreRefused) {
  for (const char* text : {
           "garbage",
           "POST /v1/call",
           "POST  HTTP/1.1",
           "POST /v1/call HTTP/2.0",
           "POST /v1/call HTTP/1.1\r\nno colon",
           "POST /v1/call HTTP/1.1\r\n: empty name",
           "POST /v1/call HTTP/1.1\r\nA: 1\r\n folded",
           "POST /v1/call HTTP/1.1\r\nContent-Length: -1",
           "POST /v1/call HTTP/1.1\r\nContent-Length: 1e3",
           "POST /v1/call HTTP/1.1\r\nContent-Length: ",
           "POST /v1/call HTTP/1.1\r\nContent-Length: 9999999999999999999",
           "POST /v1/call HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2",
           "POST /v1/call HTTP/1.1\r\nTransfer-Encoding: chunked",
       }) {
    SCOPED_TRACE(text);
    RequestHead head;
    EXPECT_EQ(ParseRequestHead(text, head).status, 400);
  }
}

TEST(RequestHeadTest, TheHeadEndsAtTheFirstBlankLine) {
  for (const auto& [buffer, end] : std::vector<std::pair<std::string, size_t>>{
           {"POST / HTTP/1.1\r\nA: 1\r\n\r\nbody", 25},
           {"POST / HTTP/1.1\nA: 1\n\nbody", 22},
           {"POST / HTTP/1.1\r\nA: 1\r\n", 0},
       }) {
    SCOPED_TRACE(buffer);
    EXPECT_EQ(FindHeadEnd(buffer, 0), end);
    EXPECT_EQ(FindHeadEnd(buffer, buffer.size() - 4), end) << "resumed search";
  }
}

}  // namespace
}  // namespace velmora::net
