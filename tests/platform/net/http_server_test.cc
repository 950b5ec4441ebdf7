#include "platform/net/http_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace velmora::net {
namespace {

void SendCall(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "POST /v1/call HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  }
  ::close(fd);
}

TEST(HttpServerTest, StopEndsServingWithinTheGraceTimeWhileAHandlerStillRuns) {
  HttpServerLimits limits;
  limits.stop_grace_seconds = 1;
  auto server = NewHttpServer(limits);
  const int port = server->Bind("127.0.0.1", 0);
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::future<bool> served = std::async(std::launch::async, [&] {
    return server->Serve("/v1/call", [&entered, released](const HttpRequest&) {
      entered.set_value();
      released.wait();
      return HttpResponse{};
    });
  });
  SendCall(port);
  entered.get_future().wait();
  server->Stop();
  ASSERT_EQ(served.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_FALSE(served.get()) << "a handler still ran when Serve returned";
  release.set_value();
}

TEST(HttpServerTest, StopWithoutRunningHandlersJoinsEveryWorker) {
  auto server = NewHttpServer(HttpServerLimits{});
  server->Bind("127.0.0.1", 0);
  std::future<bool> served = std::async(std::launch::async, [&] {
    return server->Serve("/v1/call", [](const HttpRequest&) { return HttpResponse{}; });
  });
  server->Stop();
  ASSERT_EQ(served.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(served.get());
}

}  // namespace
}  // namespace velmora::net
