// Notification mails of one document with 10 recipients (10 recipient mails and the sender's
// confirmation: 11 mails per document) through Notification.SendNotifications, against the
// mail adapter alone (GMime composing, then the pick-up folder or libcurl) sending the same 11
// messages. Items per second are mails per second; the ratio of the two is the cost of the
// library's lookups, templates and links.
//
// The SMTP cases need the loopback sink of scripts/test (VELMORA_TEST_SMTP=127.0.0.1:PORT);
// without it they are skipped. The installation home is a fresh one under /tmp, removed at exit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/home.h"
#include "core/db_utils.h"
#include "core/env.h"
#include "platform/host/membership_database.h"
#include "platform/mail/transports.h"
#include "recording_transport.h"
#include "velmora/notify/notification.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kRecipients = 10;
constexpr int kMailsPerDocument = kRecipients + 1;

class Installation {
 public:
  Installation() : home_("/tmp/velmora-bench-mail-" + std::to_string(getpid())) {
    setenv("VELMORA_REGISTRY", (home_ + "/registry.xml").c_str(), 1);
    setenv("VELMORA_HOME", home_.c_str(), 1);
    app::InitHome(app::InitOptions{home_, ""});
    Execute(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('ORDERS', 'Purchase "
        "orders')");
    host::MembershipDatabase directory([] { return core::GetConnection(); });
    directory.InsertPartner({10, "Acme", "AC", ""});
    directory.InsertPartner({30, "Cogs", "CG", ""});
    for (int i = 0; i <= kRecipients; ++i) {
      host::MemberRecord record;
      record.user_id = i < kRecipients ? "user" + std::to_string(i) : "sender";
      record.business_partner_id = i < kRecipients ? 10 : 30;
      record.email_address = record.user_id + "@example.com";
      directory.InsertUser(record);
      if (i < kRecipients) {
        Execute(
            "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, EMAIL) "
            "VALUES ('ORDERS', '" +
            record.user_id + "', 10, 1)");
      }
    }
    Execute(
        "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, NOTIFICATION) "
        "VALUES ('ORDERS', 'sender', 30, 1)");
    Execute(
        "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, XMLBODY, SHOW, CREATIONDATE, "
        "ENTRANCEDATE) VALUES ('ORDERS', 1, 'sender', '<ORDER/>', 1, '2020-01-01 00:00:00', "
        "'2020-01-01 00:00:00')");
    document_ = core::FirstField("SELECT MAX(DOCUMENTID) AS ID FROM DOCUMENT", "ID")->ToInt32();
    for (int i = 0; i < kRecipients; ++i) {
      Execute("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (" +
              std::to_string(document_) + ", 'user" + std::to_string(i) + "', 0, 0)");
    }
  }
  ~Installation() {
    std::error_code ignored;
    fs::remove_all(home_, ignored);
  }

  const std::string& home() const { return home_; }
  int32_t document() const { return document_; }

 private:
  static void Execute(const std::string& sql) { core::GetConnection()->Execute(sql); }

  std::string home_;
  int32_t document_ = 0;
};

Installation& TheInstallation() {
  static Installation installation;
  return installation;
}

// The 11 messages of one document, as the library hands them to its transport.
const std::vector<mail::Message>& DocumentMessages() {
  static const std::vector<mail::Message> messages = [] {
    auto recorder = std::make_shared<bench::RecordingTransport>();
    core::Env with_recorder;
    with_recorder.home = TheInstallation().home();
    with_recorder.mail = recorder;
    core::ScopedEnv env(with_recorder);
    Notification().SendNotifications(TheInstallation().document());
    return recorder->messages;
  }();
  return messages;
}

// The service of `kind`: 0 the pick-up folder, 1 the SMTP sink; "" when there is none.
std::string Service(int kind) {
  if (kind == 0) {
    return "pickup:" + TheInstallation().home() + "/folders/bench-pickup";
  }
  const char* sink = std::getenv("VELMORA_TEST_SMTP");
  return sink != nullptr && *sink != '\0' ? std::string("smtp://") + sink : std::string();
}

void BM_SendNotifications(benchmark::State& state) {
  const std::string service = Service(static_cast<int>(state.range(0)));
  if (service.empty()) {
    state.SkipWithError("no SMTP sink: set VELMORA_TEST_SMTP (scripts/test starts one)");
    return;
  }
  mail::TransportSettings settings;
  settings.service = service;
  core::Env with_service;
  with_service.home = TheInstallation().home();
  with_service.mail = std::shared_ptr(mail::NewTransport(settings));
  core::ScopedEnv env(with_service);
  Notification notification;
  for (auto _ : state) {
    notification.SendNotifications(TheInstallation().document());
  }
  state.SetItemsProcessed(state.iterations() * kMailsPerDocument);
}

void BM_AdapterAlone(benchmark::State& state) {
  const std::string service = Service(static_cast<int>(state.range(0)));
  if (service.empty()) {
    state.SkipWithError("no SMTP sink: set VELMORA_TEST_SMTP (scripts/test starts one)");
    return;
  }
  const std::vector<mail::Message>& messages = DocumentMessages();
  if (messages.size() != kMailsPerDocument) {
    state.SkipWithError("the document did not produce 11 mails");
    return;
  }
  mail::TransportSettings settings;
  settings.service = service;
  const auto transport = mail::NewTransport(settings);
  for (auto _ : state) {
    for (const mail::Message& message : messages) {
      transport->Send(message);
    }
  }
  state.SetItemsProcessed(state.iterations() * kMailsPerDocument);
}

BENCHMARK(BM_SendNotifications)
    ->ArgName("smtp")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AdapterAlone)
    ->ArgName("smtp")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
