#include "platform/xml/fetcher.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/xml/fake_fetcher.h"
#include "support/expectations.h"
#include "support/loopback_http_server.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::xml {
namespace {

using testing::FakeFetcher;
using velmora::testing::LoopbackHttpServer;
using velmora::testing::RaisedBy;

const int32_t kCannotLoadFile = ErrNumber(EnumerationErrors::CannotLoadFile);
const std::string kBody = "<xsl:stylesheet version=\"1.0\"/>";

// What the contract tests need from one Fetcher implementation.
struct Peer {
  std::unique_ptr<Fetcher> fetcher;
  std::string ok_url;           // answers 200 with kBody
  std::string missing_url;      // answers 404
  std::string unreachable_url;  // cannot be reached
  std::shared_ptr<LoopbackHttpServer> server;
};

Peer FakePeer() {
  auto fake = std::make_unique<FakeFetcher>();
  fake->Serve("http://styles.test/ok.xsl", 200, kBody);
  fake->Serve("http://styles.test/missing.xsl", 404, "not found");
  Peer peer;
  peer.fetcher = std::move(fake);
  peer.ok_url = "http://styles.test/ok.xsl";
  peer.missing_url = "http://styles.test/missing.xsl";
  peer.unreachable_url = "http://unreachable.test/x.xsl";
  return peer;
}

Peer CurlPeer() {
  Peer peer;
  peer.server = std::make_shared<LoopbackHttpServer>(
      std::map<std::string, LoopbackHttpServer::Route>{{"/ok.xsl", {200, kBody}}});
  peer.fetcher = std::make_unique<CurlFetcher>();
  peer.ok_url = peer.server->Url("/ok.xsl");
  peer.missing_url = peer.server->Url("/missing.xsl");
  peer.unreachable_url =
      "http://127.0.0.1:" + std::to_string(velmora::testing::UnusedLoopbackPort()) + "/x.xsl";
  return peer;
}

// The contract every Fetcher keeps, run against the fake and against libcurl.
class FetcherContractTest : public ::testing::TestWithParam<std::function<Peer()>> {
 protected:
  void SetUp() override { peer_ = GetParam()(); }
  Peer peer_;
};

TEST_P(FetcherContractTest, ReturnsTheBodyAndStatusOfAnAnsweredRequest) {
  FetchReply reply = peer_.fetcher->Get(peer_.ok_url);
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, kBody);
  EXPECT_EQ(reply.final_url, peer_.ok_url);
}

TEST_P(FetcherContractTest, ReturnsErrorStatusesInsteadOfRaising) {
  FetchReply reply = peer_.fetcher->Get(peer_.missing_url);
  EXPECT_EQ(reply.status, 404);
}

TEST_P(FetcherContractTest, FetchCheckedRaisesCannotLoadFileNamingUrlAndStatus) {
  EXPECT_EQ(FetchChecked(*peer_.fetcher, peer_.ok_url).body, kBody);
  Error error = RaisedBy([&] { FetchChecked(*peer_.fetcher, peer_.missing_url); });
  EXPECT_EQ(error.number(), kCannotLoadFile);
  EXPECT_NE(error.description().find(peer_.missing_url), std::string::npos);
  EXPECT_NE(error.description().find("404"), std::string::npos) << error.description();
}

TEST_P(FetcherContractTest, UnreachableServerRaisesCannotLoadFile) {
  Error error = RaisedBy([&] { peer_.fetcher->Get(peer_.unreachable_url); });
  EXPECT_EQ(error.number(), kCannotLoadFile);
  EXPECT_NE(error.description().find(peer_.unreachable_url), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Fake, FetcherContractTest,
                         ::testing::Values(std::function<Peer()>(FakePeer)));
INSTANTIATE_TEST_SUITE_P(Curl, FetcherContractTest,
                         ::testing::Values(std::function<Peer()>(CurlPeer)));

class CurlFetcherTest : public ::testing::Test {};

TEST_F(CurlFetcherTest, FollowsRedirects) {
  LoopbackHttpServer server({{"/old", {302, "", "/new"}}, {"/new", {200, "moved here"}}});
  FetchReply reply = CurlFetcher().Get(server.Url("/old"));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "moved here");
  EXPECT_EQ(reply.final_url, server.Url("/new"));
  EXPECT_EQ(server.requested_paths(), (std::vector<std::string>{"/old", "/new"}));
}

TEST_F(CurlFetcherTest, RefusesSchemesOtherThanHttp) {
  EXPECT_EQ(RaisedBy([] { CurlFetcher().Get("file:///etc/hostname"); }).number(), kCannotLoadFile);
  EXPECT_EQ(RaisedBy([] { CurlFetcher().Get("ftp://127.0.0.1/x"); }).number(), kCannotLoadFile);
}

TEST_F(CurlFetcherTest, RefusesRepliesLargerThanTheLimit) {
  LoopbackHttpServer server({{"/big", {200, std::string(100000, 'x')}}});
  CurlFetcher::Options options;
  options.max_bytes = 1000;
  Error error = RaisedBy([&] { CurlFetcher(options).Get(server.Url("/big")); });
  EXPECT_EQ(error.number(), kCannotLoadFile);
  options.max_bytes = 100000;
  EXPECT_EQ(CurlFetcher(options).Get(server.Url("/big")).body.size(), 100000u);
}

TEST_F(CurlFetcherTest, GivesUpOnAServerThatNeverAnswers) {
  // A listening socket that never accepts: the connection is made, no reply ever comes.
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(::listen(fd, 4), 0);
  socklen_t length = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  CurlFetcher::Options options;
  options.timeout_ms = 300;
  auto start = std::chrono::steady_clock::now();
  Error error = RaisedBy([&] {
    CurlFetcher(options).Get("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
  });
  ::close(fd);
  EXPECT_EQ(error.number(), kCannotLoadFile);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace velmora::xml
