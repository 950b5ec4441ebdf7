// Attacks on a real `velmora serve` over loopback: deep JSON, slow clients, lying lengths, large
// bodies of any content type, and stopping while clients hold connections. Every wait is bounded
// by socket time-outs; no test depends on how fast the machine is beyond those bounds.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "automation/call_service.h"
#include "support/loopback_http_server.h"
#include "support/temp_home.h"
#include "velmora/base/error.h"

extern char** environ;

namespace velmora {
namespace {

constexpr int kSocketTimeoutSeconds = 8;

std::string TokenOf(const std::string& home) {
  FILE* file = std::fopen((home + "/config/SiteConfiguration.xml").c_str(), "r");
  std::string site;
  for (int c = file ? std::fgetc(file) : EOF; c != EOF; c = std::fgetc(file)) {
    site += static_cast<char>(c);
  }
  if (file) {
    std::fclose(file);
  }
  const std::string marker = "<key name=\"Token\">";
  const size_t start = site.find(marker);
  return start == std::string::npos ? std::string() : site.substr(start + marker.size(), 64);
}

// A connected loopback socket whose reads and writes give up after kSocketTimeoutSeconds.
int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval timeout{kSocketTimeoutSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Sends `request` (half-closing when asked) and reads the reply until the server closes.
std::string Exchange(int port, const std::string& request, bool half_close = false) {
  const int fd = Connect(port);
  std::string reply;
  if (fd < 0) {
    return reply;
  }
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  if (half_close) {
    ::shutdown(fd, SHUT_WR);
  }
  char buffer[4096];
  for (ssize_t n = ::recv(fd, buffer, sizeof buffer, 0); n > 0;
       n = ::recv(fd, buffer, sizeof buffer, 0)) {
    reply.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return reply;
}

// `velmora serve` on a fresh home, listening on a port the system chose.
class VelmoraServeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string init =
        std::string(VELMORA_PROGRAM) + " --home " + home_.path() + " init > /dev/null 2>&1";
    ASSERT_EQ(std::system(init.c_str()), 0);
    token_ = TokenOf(home_.path());
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> words = {VELMORA_PROGRAM, "--home",      home_.path(),  "serve",
                                      "--listen",      "127.0.0.1:0", "--allow-root"};
    std::vector<char*> argv;
    for (std::string& word : words) {
      argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, VELMORA_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output_ = fdopen(out[0], "r");
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, output_), nullptr);
    const std::string text = line;
    const size_t colon = text.rfind(':');
    port_ = std::stoi(text.substr(colon + 1));
    ASSERT_GT(port_, 0) << text;
  }

  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (output_ != nullptr) {
      std::fclose(output_);
    }
  }

  std::string Call(const std::string& body, const std::string& content_type) const {
    return Exchange(port_, "POST /v1/call HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token_ +
                               "\r\nContent-Type: " + content_type + "\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body);
  }

  std::string NormalCall() const {
    return Call(R"({"progid":"Velmora.Base64","method":"StripIllegalChars","args":["abc"]})",
                "application/json");
  }

  // Sends SIGTERM and waits up to `seconds` for the exit; true when the process ended.
  bool TerminatesWithin(int seconds) {
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < seconds * 10; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return true;
      }
      ::usleep(100000);
    }
    return false;
  }

  testing::TempHome home_;
  std::string token_;
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  int port_ = 0;
};

bool Answered(const std::string& reply, const std::string& status) {
  return reply.rfind("HTTP/1.1 " + status, 0) == 0;
}

TEST_F(VelmoraServeTest, DeepJsonIsRefusedAndTheServiceLivesOn) {
  const std::string args = std::string(50000, '[') + std::string(50000, ']');
  const std::string reply =
      Call(R"({"progid":"Velmora.Base64","method":"Base64Encode","args":)" + args + "}",
           "application/json");
  EXPECT_TRUE(Answered(reply, "400")) << reply.substr(0, 200);
  EXPECT_NE(reply.find("deeper than 256 levels"), std::string::npos);
  EXPECT_TRUE(Answered(NormalCall(), "200"));

  // `velmora call` reads each argument through the same conversion.
  EXPECT_THROW(automation::ArgumentFromText(args), Error);
}

TEST_F(VelmoraServeTest, SlowClientsBeyondTheWorkersLeaveNormalCallsAnswered) {
  std::vector<int> slow;
  for (int i = 0; i < 24; ++i) {
    const int fd = Connect(port_);
    ASSERT_GE(fd, 0);
    const std::string start = "POST /v1/call HTTP/1.1\r\nHost: x\r\n";
    ::send(fd, start.data(), start.size(), MSG_NOSIGNAL);
    slow.push_back(fd);
  }
  for (int round = 0; round < 2; ++round) {
    for (int fd : slow) {
      ::send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);
    }
    const std::string reply = NormalCall();
    EXPECT_TRUE(Answered(reply, "200")) << reply;
    EXPECT_NE(reply.find(R"("result":"abc")"), std::string::npos) << reply;
  }
  EXPECT_TRUE(TerminatesWithin(15)) << "SIGTERM must end the service while clients hold it";
  for (int fd : slow) {
    ::close(fd);
  }
}

TEST_F(VelmoraServeTest, FileCallsStayInsideTheInstallation) {
  const std::string inside = home_.path() + "/folders/temp/note.txt";
  std::FILE* note = std::fopen(inside.c_str(), "w");
  ASSERT_NE(note, nullptr);
  std::fputs("inside", note);
  std::fclose(note);
  ASSERT_EQ(::symlink("/etc/passwd", (home_.path() + "/folders/temp/link").c_str()), 0);
  const auto read = [&](const std::string& path) {
    return Call(R"({"progid":"Velmora.FileHandling","method":"GetFileContentAsString","args":[")" +
                    path + "\"]}",
                "application/json");
  };
  EXPECT_NE(read(inside).find(R"("result":"inside")"), std::string::npos) << read(inside);
  for (const std::string& path :
       {std::string("/etc/passwd"), home_.path() + "/../../../../etc/passwd",
        home_.path() + "/folders/temp/link"}) {
    SCOPED_TRACE(path);
    const std::string reply = read(path);
    EXPECT_NE(reply.find("\"error\""), std::string::npos) << reply;
    EXPECT_EQ(reply.find("root:"), std::string::npos);
    const std::string copy =
        Call(R"({"progid":"Velmora.FileHandling","method":"CopyFile","args":[")" + path + "\",\"" +
                 home_.path() + "/folders/temp/copy\",true]}",
             "application/json");
    EXPECT_NE(copy.find("lies outside the folders"), std::string::npos) << copy;
  }
}

TEST_F(VelmoraServeTest, StyleSheetsComeOnlyFromAllowedHosts) {
  testing::LoopbackHttpServer peer({{"/s.xsl",
                                     {200,
                                      "<xsl:stylesheet version=\"1.0\" "
                                      "xmlns:xsl=\"http://www.w3.org/1999/XSL/"
                                      "Transform\"/>"}}});
  const std::string reply =
      Call(R"({"progid":"Velmora.XML","method":"XslFileToDomDocument","args":[")" +
               peer.Url("/s.xsl") + "\"]}",
           "application/json");
  EXPECT_TRUE(Answered(reply, "200")) << reply;
  EXPECT_NE(reply.find("\"error\""), std::string::npos) << "no host is allowed by default";
}

TEST_F(VelmoraServeTest, LyingOrMissingLengthsAreRefusedAtOnce) {
  const std::string head = "POST /v1/call HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token_ +
                           "\r\nContent-Type: application/json\r\n";
  for (const auto& [request, status] : std::vector<std::pair<std::string, std::string>>{
           {head + "\r\n{}", "400"},
           {head + "Content-Length: -5\r\n\r\n{}", "400"},
           {head + "Content-Length: 12abc\r\n\r\n{}", "400"},
           {head + "Content-Length: 2\r\nContent-Length: 3\r\n\r\n{}", "400"},
           {head + "Transfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n", "400"},
           {head + "Content-Length: 99999999999\r\n\r\n{}", "413"},
           {head + "Content-Length: 100000\r\n\r\n{}", "400"},
       }) {
    SCOPED_TRACE(request);
    const std::string reply = Exchange(port_, request, /*half_close=*/true);
    EXPECT_TRUE(Answered(reply, status)) << reply;
  }
}

TEST_F(VelmoraServeTest, BodiesUpToTheLimitAreReadAsJsonWhateverTheirContentType) {
  const std::string text(1000000, 'a');
  for (const char* type : {"application/x-www-form-urlencoded", "text/plain", "application/json"}) {
    SCOPED_TRACE(type);
    const std::string reply =
        Call(R"({"progid":"Velmora.Base64","method":"StripIllegalChars","args":[")" + text + "\"]}",
             type);
    EXPECT_TRUE(Answered(reply, "200")) << reply.substr(0, 300);
    EXPECT_NE(reply.find("\"result\":\"aaaa"), std::string::npos);
  }
  const std::string too_large =
      Call(R"({"args":[")" + std::string(8 * 1024 * 1024, 'a') + "\"]}", "application/json");
  EXPECT_TRUE(Answered(too_large, "413")) << too_large.substr(0, 300);
}

}  // namespace
}  // namespace velmora
