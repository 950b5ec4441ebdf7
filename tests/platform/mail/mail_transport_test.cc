#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/mail/transports.h"
#include "support/parsed_mail.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::mail {
namespace {

namespace fs = std::filesystem;
using testing::ParseMail;
using testing::ReadFile;
using testing::TempFolder;

// The error `send` raises, or nullopt.
template <class Call>
std::optional<Error> ErrorOf(Call&& call) {
  try {
    call();
  } catch (const Error& raised) {
    return raised;
  }
  return std::nullopt;
}

std::vector<fs::path> FilesIn(const std::string& folder, const std::string& extension) {
  std::vector<fs::path> files;
  if (fs::exists(folder)) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == extension) {
        files.push_back(entry.path());
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

TransportSettings Service(const std::string& service) {
  TransportSettings settings;
  settings.service = service;
  return settings;
}

Message OrderMail() {
  Message message;
  message.from = "Velmora <sender@example.com>";
  message.to = "anna@example.com; Jörg Müller <joerg@example.org>,";
  message.subject = "Bestellung Nr. 7 – Grüße";
  message.body = "Zeile eins\r\nZeile zwei\nZeile drei";
  message.attachments = {{"C:\\temp\\..\\7.html", std::string("\xFF\xFE<\0h\0>\0", 8)},
                         {"../../etc/Übersicht 7.xml", "<?xml version=\"1.0\"?><a>ü</a>"},
                         {"data.bin", std::string("\x00\x01\x02\r\n\xFF", 6)}};
  return message;
}

// An address of the test SMTP sink ("127.0.0.1:PORT"), or nullopt after a skip message; a
// missing sink fails under CI=true.
std::optional<std::string> Peer(const char* variable) {
  const char* value = std::getenv(variable);
  if (value != nullptr && *value != '\0') {
    return std::string(value);
  }
  const char* ci = std::getenv("CI");
  if (ci != nullptr && std::string(ci) == "true") {
    ADD_FAILURE() << variable << " is not set: the SMTP sink of scripts/test is missing";
  }
  return std::nullopt;
}

TEST(PickupTransportTest, WritesOneCompleteMessageWithItsPartsAndNames) {
  TempFolder folder;
  const std::string pickup = folder / "pickup";
  NewTransport(Service("pickup:" + pickup))->Send(OrderMail());

  const auto mails = FilesIn(pickup, ".eml");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(FilesIn(pickup, ".tmp").size(), 0u);
  const std::string bytes = ReadFile(mails[0].string());
  for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
    ASSERT_EQ(bytes[at - 1], '\r') << "bare line feed at " << at;
  }
  const auto mail = ParseMail(bytes);
  EXPECT_EQ(mail.from, "sender@example.com");
  EXPECT_EQ(mail.to,
            (std::vector<std::string>{"anna@example.com", "Jörg Müller <joerg@example.org>"}));
  EXPECT_EQ(mail.subject, "Bestellung Nr. 7 – Grüße");
  const size_t subject_at = bytes.find("\r\nSubject: ");
  ASSERT_NE(subject_at, std::string::npos);
  const std::string subject_line =
      bytes.substr(subject_at + 2, bytes.find("\r\n", subject_at + 2) - subject_at - 2);
  EXPECT_NE(subject_line.find("=?UTF-8?"), std::string::npos) << subject_line;
  EXPECT_TRUE(std::all_of(subject_line.begin(), subject_line.end(),
                          [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  EXPECT_FALSE(mail.date.empty());
  EXPECT_NE(mail.message_id.find("@example.com"), std::string::npos);
  EXPECT_EQ(mail.body_charset, "utf-8");
  std::string body = mail.body;
  std::erase(body, '\r');
  EXPECT_EQ(body, "Zeile eins\nZeile zwei\nZeile drei");
  ASSERT_EQ(mail.attachments.size(), 3u);
  const std::vector<std::vector<std::string>> expected{
      {"7.html", "text/html", "utf-16"},
      {"Übersicht 7.xml", "text/xml", "utf-8"},
      {"data.bin", "application/octet-stream", ""}};
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(mail.attachments[i].name, expected[i][0]);
    EXPECT_EQ(mail.attachments[i].content_type, expected[i][1]);
    EXPECT_EQ(mail.attachments[i].charset, expected[i][2]);
    EXPECT_EQ(mail.attachments[i].content, OrderMail().attachments[i].content);
  }
}

TEST(PickupTransportTest, RefusesUnsafeOrMalformedMessagesBeforeWriting) {
  TempFolder folder;
  const auto transport = NewTransport(Service("pickup:" + folder.path()));
  const std::vector<std::pair<const char*, void (*)(Message&)>> cases{
      {"carriage return in subject", [](Message& m) { m.subject = "Hi\r\nBcc: x@evil.com"; }},
      {"line feed in list", [](Message& m) { m.to = "a@example.com\nBcc: x@evil.com"; }},
      {"line feed in sender", [](Message& m) { m.from = "a@example.com\n"; }},
      {"line feed in attachment", [](Message& m) { m.attachments[0].name = "a\n.html"; }},
      {"address without domain", [](Message& m) { m.to = "anna@"; }},
      {"address with blank", [](Message& m) { m.to = "an na@example.com"; }},
      {"list without address", [](Message& m) { m.to = " ; ,"; }},
      {"two senders", [](Message& m) { m.from = "a@example.com; b@example.com"; }},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    Message message = OrderMail();
    change(message);
    const auto error = ErrorOf([&] { transport->Send(message); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kErrMailInvalid);
  }
  EXPECT_TRUE(FilesIn(folder.path(), ".eml").empty());
}

TEST(MailServiceTest, RefusesServicesItDoesNotUnderstand) {
  for (const char* service : {"", "pickup:", "smtp://", "imap://host", "mailto:x"}) {
    SCOPED_TRACE(service);
    const auto error = ErrorOf([&] { NewTransport(Service(service)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kErrMailInvalid);
  }
}

class SmtpTransportTest : public ::testing::Test {
 protected:
  // The messages the sink has kept so far.
  static size_t Kept() { return FilesIn(Sink(), ".eml").size(); }
  static std::string Sink() {
    const char* folder = std::getenv("VELMORA_TEST_SMTP_DIR");
    return folder != nullptr ? folder : "";
  }
  // The bytes and envelope of the last message the sink kept.
  static std::string LastMail() { return ReadFile(FilesIn(Sink(), ".eml").back().string()); }
  static std::string LastEnvelope() { return ReadFile(FilesIn(Sink(), ".json").back().string()); }
};

TEST_F(SmtpTransportTest, DeliversToEveryAddressOfTheList) {
  const auto peer = Peer("VELMORA_TEST_SMTP");
  if (!peer) {
    GTEST_SKIP() << "no SMTP sink (VELMORA_TEST_SMTP); run scripts/test";
  }
  NewTransport(Service("smtp://" + *peer))->Send(OrderMail());
  const std::string envelope = LastEnvelope();
  EXPECT_NE(envelope.find(R"("rcpt_tos": ["anna@example.com", "joerg@example.org"])"),
            std::string::npos)
      << envelope;
  const auto mail = ParseMail(LastMail());
  EXPECT_EQ(mail.subject, "Bestellung Nr. 7 – Grüße");
  ASSERT_EQ(mail.attachments.size(), 3u);
  EXPECT_EQ(mail.attachments[1].name, "Übersicht 7.xml");
  EXPECT_EQ(mail.attachments[2].content, OrderMail().attachments[2].content);
}

TEST_F(SmtpTransportTest, ARefusedRecipientStopsTheWholeMessage) {
  const auto peer = Peer("VELMORA_TEST_SMTP");
  if (!peer) {
    GTEST_SKIP() << "no SMTP sink (VELMORA_TEST_SMTP); run scripts/test";
  }
  const size_t before = Kept();
  Message message = OrderMail();
  message.to = "anna@example.com; refused.bob@example.com; carl@example.com";
  const auto error = ErrorOf([&] { NewTransport(Service("smtp://" + *peer))->Send(message); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number(), kErrMailNotSent);
  EXPECT_NE(error->description().find("<refused.bob@example.com>"), std::string::npos)
      << error->description();
  EXPECT_NE(error->description().find("550"), std::string::npos);
  EXPECT_EQ(Kept(), before);
}

TEST_F(SmtpTransportTest, TlsRelaysWithAPrivateAuthority) {
  const auto starttls = Peer("VELMORA_TEST_SMTP_STARTTLS");
  const auto smtps = Peer("VELMORA_TEST_SMTPS");
  const auto ca = Peer("VELMORA_TEST_SMTP_CA");
  if (!starttls || !smtps || !ca) {
    GTEST_SKIP() << "no TLS SMTP sink; run scripts/test";
  }
  TransportSettings account{"smtp://" + *starttls, "velmora", "secret", 10, 60, *ca};
  NewTransport(account)->Send(OrderMail());
  EXPECT_NE(LastEnvelope().find(R"("port": "starttls")"), std::string::npos);

  TransportSettings implicit{"smtps://" + *smtps, "", "", 10, 60, *ca};
  NewTransport(implicit)->Send(OrderMail());
  EXPECT_NE(LastEnvelope().find(R"("port": "smtps")"), std::string::npos);

  const size_t before = Kept();
  implicit.ca_file.clear();
  const auto untrusted = ErrorOf([&] { NewTransport(implicit)->Send(OrderMail()); });
  ASSERT_TRUE(untrusted);
  EXPECT_EQ(untrusted->number(), kErrMailNotSent);
  account.password = "wrong";
  account.timeout_seconds = 3;
  EXPECT_TRUE(ErrorOf([&] { NewTransport(account)->Send(OrderMail()); }));
  EXPECT_EQ(Kept(), before);
}

// A loopback port that accepts connections (the kernel completes them) and never answers.
class SilentPort {
 public:
  SilentPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(fd_, 4);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentPort() { ::close(fd_); }
  int port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

TEST(SmtpFailureTest, DeadAndStalledRelaysFailWithinTheirTimeOuts) {
  SilentPort silent;
  int closed_port = 0;
  {
    SilentPort released;
    closed_port = released.port();
  }
  for (const int port : {closed_port, silent.port()}) {
    SCOPED_TRACE(port);
    TransportSettings settings{"smtp://127.0.0.1:" + std::to_string(port), "", "", 1, 1, ""};
    const auto started = std::chrono::steady_clock::now();
    const auto error = ErrorOf([&] { NewTransport(settings)->Send(OrderMail()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), kErrMailNotSent);
    EXPECT_NE(error->description().find("smtp://127.0.0.1:" + std::to_string(port)),
              std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  }
}

}  // namespace
}  // namespace velmora::mail
