#include "app/service.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "automation/class_registry.h"
#include "platform/json/json_codec.h"
#include "velmora/base/dictionary.h"

namespace velmora::app {
namespace {

constexpr const char* kToken = "0123456789abcdef0123456789abcdef";

class Echo {
 public:
  std::string Upper(std::string text, std::string& o_sLength) {
    o_sLength = std::to_string(text.size());
    for (char& c : text) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
  }
};

class ServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    automation::ClassRegistry::Global()
        .Add("Velmora.Echo")
        .Bind("Upper", &Echo::Upper, {"text", "o_sLength"});
  }

  static net::HttpRequest Request(const std::string& body,
                                  const std::string& authorization = std::string("Bearer ") +
                                                                     kToken) {
    return net::HttpRequest{"POST", "/v1/call", authorization, "application/json", body};
  }
};

TEST_F(ServiceTest, RefusesRequestsWithoutTheRightToken) {
  const std::string body = R"({"progid":"Velmora.Echo","method":"Upper","args":["a",null]})";
  for (const std::string& authorization :
       {std::string(), std::string("Bearer"), std::string("Bearer wrong"),
        std::string("Basic ") + kToken, std::string("Bearer ") + kToken + "x"}) {
    SCOPED_TRACE(authorization);
    const net::HttpResponse response = HandleCall(Request(body, authorization), kToken);
    EXPECT_EQ(response.status, 401);
    EXPECT_NE(response.body.find("\"error\""), std::string::npos);
  }
  EXPECT_EQ(HandleCall(Request(body), "").status, 401) << "an empty token admits nobody";
}

TEST_F(ServiceTest, MalformedCallsGetFourHundred) {
  for (const std::string& body :
       {std::string("not json"), std::string("[1,2]"), std::string(R"({"progid":"X"})"),
        std::string(R"({"progid":1,"method":"Upper"})"),
        std::string(R"({"progid":"Velmora.Echo","method":"Upper","args":"a"})")}) {
    SCOPED_TRACE(body);
    EXPECT_EQ(HandleCall(Request(body), kToken).status, 400);
  }
}

TEST_F(ServiceTest, AnsweredCallsCarryResultOrErrorWithStatus200) {
  net::HttpResponse ok = HandleCall(
      Request(R"({"progid":"Velmora.Echo","method":"Upper","args":["abc",null]})"), kToken);
  EXPECT_EQ(ok.status, 200);
  EXPECT_EQ(ok.body, R"({"result":"ABC","args":["abc","3"]})");
  net::HttpResponse failed =
      HandleCall(Request(R"({"progid":"Velmora.Echo","method":"Upper","args":[]})"), kToken);
  EXPECT_EQ(failed.status, 200);
  auto reply = json::Parse(failed.body).As<Dictionary>();
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(reply->Item("error").As<Dictionary>()->Item("number").ToInt32(),
            kErrWrongArgumentCount);
}

// Sends one raw HTTP request to 127.0.0.1:port and returns the whole reply.
std::string Exchange(int port, const std::string& request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    for (ssize_t n = ::recv(fd, buffer, sizeof buffer, 0); n > 0;
         n = ::recv(fd, buffer, sizeof buffer, 0)) {
      reply.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  return reply;
}

std::string Post(const std::string& path, const std::string& body, const std::string& token) {
  return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
         "Authorization: Bearer " + token + "\r\nContent-Type: application/json\r\n" +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST_F(ServiceTest, ServesOverLoopbackWithLimits) {
  net::HttpServerLimits limits;
  limits.max_body_bytes = 1024;
  auto server = net::NewHttpServer(limits);
  const int port = server->Bind("127.0.0.1", 0);
  std::thread serving([&] {
    server->Serve("/v1/call",
                  [](const net::HttpRequest& request) { return HandleCall(request, kToken); });
  });
  const std::string call = R"({"progid":"Velmora.Echo","method":"Upper","args":["hi",null]})";
  const std::string ok = Exchange(port, Post("/v1/call", call, kToken));
  EXPECT_EQ(ok.rfind("HTTP/1.1 200", 0), 0u) << ok;
  EXPECT_NE(ok.find(R"({"result":"HI","args":["hi","2"]})"), std::string::npos);
  EXPECT_EQ(Exchange(port, Post("/v1/call", call, "bad")).rfind("HTTP/1.1 401", 0), 0u);
  EXPECT_EQ(Exchange(port, Post("/v1/other", call, kToken)).rfind("HTTP/1.1 404", 0), 0u);
  const std::string large = Exchange(port, Post("/v1/call", std::string(4096, ' '), kToken));
  EXPECT_EQ(large.rfind("HTTP/1.1 413", 0), 0u) << large;
  EXPECT_EQ(Exchange(port, "GET /v1/call HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
                .rfind("HTTP/1.1 404", 0),
            0u);
  EXPECT_EQ(Exchange(port, "garbage\r\n\r\n").rfind("HTTP/1.1 400", 0), 0u);
  auto second = net::NewHttpServer(limits);
  EXPECT_THROW(second->Bind("127.0.0.1", port), Error) << "a port in use must be refused";
  server->Stop();
  serving.join();
}

}  // namespace
}  // namespace velmora::app
