#include "platform/net/transfer_client.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/fake_transfer_client.h"
#include "support/scoped_environment.h"
#include "support/test_peers.h"

namespace velmora::net {
namespace {

using testing::FakeTransferClient;

// The stage at which `call` fails, or nullopt when it does not.
std::optional<TransferStage> FailingStage(const std::function<void()>& call) {
  try {
    call();
  } catch (const TransferError& error) {
    return error.stage();
  }
  return std::nullopt;
}

// A loopback port on which nothing listens.
long ClosedPort() {
  return 9;  // discard: not served on the test machines
}

// The contract of an FTP session, against the fake and against the real server.
class FtpSessionContract : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!GetParam()) {
      fake_->AddDirectory("/in/orders");
      client_ = fake_;
      login_.host = "ftp.example";
      return;
    }
    std::string port;
    VELMORA_REQUIRE_PEER(login_.host, "VELMORA_TEST_FTP_HOST");
    VELMORA_REQUIRE_PEER(port, "VELMORA_TEST_FTP_PORT");
    VELMORA_REQUIRE_PEER(login_.user, "VELMORA_TEST_FTP_USER");
    VELMORA_REQUIRE_PEER(login_.password, "VELMORA_TEST_FTP_PASSWORD");
    VELMORA_REQUIRE_PEER(root_, "VELMORA_TEST_FTP_ROOT");
    login_.port = std::stol(port);
    client_ = NewCurlTransferClient();
  }

  std::string Unique(const std::string& base) const {
    return base + "-" + std::to_string(::getpid()) + (GetParam() ? "-real" : "-fake");
  }

  std::shared_ptr<FakeTransferClient> fake_ = std::make_shared<FakeTransferClient>();
  std::shared_ptr<TransferClient> client_;
  FtpLogin login_;
  std::string root_;
};

TEST_P(FtpSessionContract, UploadLandsInTheAbsoluteDirectory) {
  auto session = client_->ConnectFtp(login_);
  session->ChangeDirectory("/in/orders");
  const std::string name = Unique("order") + ".xml";
  session->Put(name, "<ORDER/>", false);
  EXPECT_TRUE(session->Exists(name));
  EXPECT_FALSE(session->Exists(name + ".not"));
  if (GetParam()) {
    std::ifstream stored(root_ + "/in/orders/" + name);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stored), {}), "<ORDER/>");
  }
}

TEST_P(FtpSessionContract, RefusedDirectoryAndFolderNamesFailAtTheirStage) {
  auto session = client_->ConnectFtp(login_);
  EXPECT_EQ(FailingStage([&] { session->ChangeDirectory("/no/such/folder"); }),
            TransferStage::kDirectory);
  session->ChangeDirectory("");
  for (const std::string name : {"../escape.xml", "in/x.xml", "..", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FailingStage([&] { session->Put(name, "x", true); }), TransferStage::kSend);
  }
  if (GetParam()) {
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::path(root_).parent_path() / "escape.xml"));
  }
}

TEST_P(FtpSessionContract, ListedFilesAreStreamedAndDeletedByPlainNameOnly) {
  auto session = client_->ConnectFtp(login_);
  session->ChangeDirectory("/in/orders");
  const std::string name = Unique("big") + ".edi";
  const std::string bytes(300000, 'x');
  session->Put(name, bytes, false);
  const auto names = session->List();
  EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
  std::string received;
  int chunks = 0;
  session->Get(name, [&](std::string_view chunk) {
    received += chunk;
    ++chunks;
  });
  EXPECT_EQ(received, bytes);
  EXPECT_GE(chunks, GetParam() ? 2 : 1);
  EXPECT_THROW(session->Get(name, [](std::string_view) { throw std::runtime_error("disk"); }),
               std::runtime_error);
  for (const std::string& bad : {name + "\r\nDELE other", "../" + name, name + ".missing"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(FailingStage([&] { session->Get(bad, [](std::string_view) {}); }),
              TransferStage::kReceive);
    EXPECT_EQ(FailingStage([&] { session->Delete(bad); }), TransferStage::kSend);
  }
  session->Delete(name);
  EXPECT_FALSE(session->Exists(name));
}

INSTANTIATE_TEST_SUITE_P(FakeAndReal, FtpSessionContract, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Real" : "Fake"; });

// The real client against the loopback peers.
class CurlTransferClientTest : public ::testing::Test {
 protected:
  HttpPost PostTo(const std::string& base, const std::string& page) {
    HttpPost post;
    post.secure = base.rfind("https://", 0) == 0;
    const size_t host_start = base.find("//") + 2;
    const size_t colon = base.rfind(':');
    post.host = base.substr(host_start, colon - host_start);
    post.port = std::stol(base.substr(colon + 1));
    post.page = page;
    post.content_type = "application/x-www-form-urlencoded";
    post.body = "xml=%3CA%2F%3E&DocID=1";
    post.limits.connect_timeout_ms = 5000;
    post.limits.timeout_ms = 10000;
    return post;
  }

  std::shared_ptr<TransferClient> client_ = NewCurlTransferClient();
};

TEST_F(CurlTransferClientTest, ReadsStatusAndReasonOfEveryReply) {
  std::string http;
  VELMORA_REQUIRE_PEER(http, "VELMORA_TEST_HTTP_URL");
  struct Case {
    const char* page;
    long status;
    const char* reason;
  };
  for (const Case& c :
       {Case{"/ok/reason", 200, "OK"}, Case{"/fail/reason", 500, "Internal Server Error"},
        Case{"/nowhere", 404, "Not Found"}}) {
    SCOPED_TRACE(c.page);
    const HttpReply reply = client_->Post(PostTo(http, c.page));
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.status_text, c.reason);
  }
}

TEST_F(CurlTransferClientTest, VerifiesTlsPeersAgainstTheTrustedAuthority) {
  std::string https;
  std::string ca;
  VELMORA_REQUIRE_PEER(https, "VELMORA_TEST_HTTPS_URL");
  VELMORA_REQUIRE_PEER(ca, "VELMORA_TEST_HTTPS_CA");
  HttpPost post = PostTo(https, "/ok/tls");
  EXPECT_EQ(FailingStage([&] { client_->Post(post); }), TransferStage::kConnect);
  post.limits.ca_file = ca;
  EXPECT_EQ(client_->Post(post).status, 200);
}

TEST_F(CurlTransferClientTest, StalledLargeAndUnreachablePartnersFailInsteadOfHanging) {
  std::string http;
  VELMORA_REQUIRE_PEER(http, "VELMORA_TEST_HTTP_URL");
  HttpPost slow = PostTo(http, "/slow/3000");
  slow.limits.timeout_ms = 300;
  EXPECT_EQ(FailingStage([&] { client_->Post(slow); }), TransferStage::kReceive);
  HttpPost large = PostTo(http, "/large/2000000");
  large.limits.max_reply_bytes = 1000000;
  EXPECT_EQ(FailingStage([&] { client_->Post(large); }), TransferStage::kReceive);
  HttpPost closed = PostTo("http://127.0.0.1:" + std::to_string(ClosedPort()), "/ok");
  EXPECT_EQ(FailingStage([&] { client_->Post(closed); }), TransferStage::kConnect);
}

TEST_F(CurlTransferClientTest, UsesTheGivenProxyAndNeverTheEnvironmentsOne) {
  std::string http;
  std::string proxy_host;
  std::string proxy_port;
  VELMORA_REQUIRE_PEER(http, "VELMORA_TEST_HTTP_URL");
  VELMORA_REQUIRE_PEER(proxy_host, "VELMORA_TEST_PROXY_HOST");
  VELMORA_REQUIRE_PEER(proxy_port, "VELMORA_TEST_PROXY_PORT");
  const std::string dead_proxy = "http://127.0.0.1:" + std::to_string(ClosedPort());
  testing::ScopedEnvironmentVariable http_proxy("http_proxy", dead_proxy);
  testing::ScopedEnvironmentVariable all_proxy("ALL_PROXY", dead_proxy);
  HttpPost post = PostTo(http, "/ok/proxy");
  EXPECT_EQ(client_->Post(post).status, 200);
  post.proxy = Proxy{proxy_host, std::stol(proxy_port)};
  EXPECT_EQ(client_->Post(post).status, 200);
  post.proxy.port = ClosedPort();
  EXPECT_EQ(FailingStage([&] { client_->Post(post); }), TransferStage::kConnect);
}

TEST_F(CurlTransferClientTest, PassiveUploadsRefusedLoginAndReadOnlyFolder) {
  FtpLogin login;
  std::string port;
  VELMORA_REQUIRE_PEER(login.host, "VELMORA_TEST_FTP_HOST");
  VELMORA_REQUIRE_PEER(port, "VELMORA_TEST_FTP_PORT");
  VELMORA_REQUIRE_PEER(login.user, "VELMORA_TEST_FTP_USER");
  VELMORA_REQUIRE_PEER(login.password, "VELMORA_TEST_FTP_PASSWORD");
  login.port = std::stol(port);
  login.limits.ftp_passive = true;
  auto passive = client_->ConnectFtp(login);
  passive->ChangeDirectory("/in");
  passive->Put("passive.xml", "<A/>", false);
  EXPECT_TRUE(passive->Exists("passive.xml"));
  login.limits.ftp_passive = false;
  auto session = client_->ConnectFtp(login);
  session->ChangeDirectory("/readonly");
  EXPECT_EQ(FailingStage([&] { session->Put("refused.xml", "x", false); }), TransferStage::kSend);
  login.password = "wrong";
  const auto refused = FailingStage([&] { client_->ConnectFtp(login); });
  EXPECT_EQ(refused, TransferStage::kConnect);
}

}  // namespace
}  // namespace velmora::net
