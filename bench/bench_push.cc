// One 10 KB document pushed to 10 partners, each with one send method, by folder, by HTTP and
// by FTP on loopback (PushDocUtils.PushDocumentToReceivers: the pushable set, the rules, the
// send method reads, the transport, the history rows and the status), against the floor of the
// same bytes written 10 times with the file layer, posted 10 times and uploaded 10 times with
// the libcurl transfer client alone.
//
// HTTP and FTP need the peers of scripts/peers (VELMORA_TEST_HTTP_URL, VELMORA_TEST_FTP_*);
// without them those cases are skipped. The installation home is made in /tmp and removed at
// exit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/home.h"
#include "core/db_utils.h"
#include "core/env.h"
#include "core/file_service.h"
#include "core/sql_literals.h"
#include "platform/host/membership_database.h"
#include "platform/net/transfer_client.h"
#include "send_method_record.h"
#include "velmora/delivery/push_doc_utils.h"
#include "velmora/delivery/send_method.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using bench::OrderSendMethod;

constexpr int kPartners = 10;
constexpr int kDocumentBytes = 10 * 1024;

std::string Peer(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The installation of this process: sender "sam" of partner 1, receivers "r0" ... "r9" of
// partners 100 ... 109, each with one send method per document type FOLDER, HTTP and FTP.
class PushBench {
 public:
  PushBench() : home_("/tmp/velmora-bench-push-" + std::to_string(getpid())) {
    setenv("VELMORA_HOME", home_.c_str(), 1);
    app::InitHome({home_, ""});
    core::Env env;
    env.transfer = net::NewCurlTransferClient();
    core::InstallEnv(std::move(env));
    body_ =
        "<ORDER><FLAG>x</FLAG><TEXT>" + std::string(kDocumentBytes - 45, 'a') + "</TEXT></ORDER>";
    host::MembershipDatabase directory([] { return core::GetConnection(); });
    directory.InsertPartner({1, "Sender", "", ""});
    AddUser(directory, "sam", 1);
    for (int i = 0; i < kPartners; ++i) {
      directory.InsertPartner({100 + i, "Partner " + std::to_string(i), "", ""});
      AddUser(directory, "r" + std::to_string(i), 100 + i);
    }
  }
  ~PushBench() {
    std::error_code ignored;
    fs::remove_all(home_, ignored);
  }

  // A document type whose partners each have the send method `record` (the address gets
  // "/<partner>" appended for folders); returns a document of it, received by every partner.
  int32_t Prepare(const std::string& type, TSendMethodProperties record) {
    Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES (" + core::SqlText(type) +
         ", 'bench')");
    Exec("INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES (" +
         core::SqlText(type) + ", 'sam', 1)");
    Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, XMLBODY, SHOW) VALUES (" +
         core::SqlText(type) + ", 1, 'sam', " + core::SqlText(body_) + ", 1)");
    const int32_t doc =
        core::FirstField("SELECT MAX(DOCUMENTID) AS ID FROM DOCUMENT", "ID")->ToInt32();
    const std::string base_address = record.sAddress;
    for (int i = 0; i < kPartners; ++i) {
      const std::string user = "r" + std::to_string(i);
      int32_t partner = 100 + i;
      Exec("INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES (" +
           core::SqlText(type) + ", " + core::SqlText(user) + ", " + std::to_string(partner) + ")");
      Exec("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (" +
           std::to_string(doc) + ", " + core::SqlText(user) + ", 0, 0)");
      if (record.nProtocol == ESendMethodProtocol::FilePath) {
        record.sAddress = FolderOf(base_address, i);
        fs::create_directories(record.sAddress);
      }
      VariantArray extension(3);
      extension.At(0) = Variant(false);
      SendMethod store;
      int32_t id = store.AddSendMethodProperties3(record, extension);
      std::string doc_type = type;
      int32_t rule = -1;
      store.AddSendMethod2(id, partner, doc_type, rule);
    }
    return doc;
  }

  static std::string FolderOf(const std::string& base, int partner) {
    return base + "/" + std::to_string(partner);
  }
  const std::string& home() const { return home_; }
  const std::string& body() const { return body_; }

 private:
  static void Exec(const std::string& sql) {
    auto connection = core::GetConnection();
    connection->Execute(sql);
    connection->Close();
  }
  static void AddUser(host::MembershipDatabase& directory, const std::string& user, int partner) {
    host::MemberRecord record;
    record.user_id = user;
    record.business_partner_id = partner;
    record.email_address = user + "@example.com";
    directory.InsertUser(record);
  }

  std::string home_;
  std::string body_;
};

PushBench& Bench() {
  static PushBench bench;
  return bench;
}

void PushRuns(benchmark::State& state, const std::string& type, int32_t doc) {
  PushDocUtils push;
  for (auto _ : state) {
    push.PushDocumentToReceivers(doc, type);
  }
  const auto failed = core::FirstField(
      "SELECT COUNT(*) AS N FROM SENDMETHODHISTORY WHERE STATUS = 0 AND DOCUMENTID = " +
          std::to_string(doc),
      "N");
  if (failed && failed->ToInt32() != 0) {
    state.SkipWithError("some pushes failed");
  }
  state.SetItemsProcessed(state.iterations() * kPartners);
}

void BM_PushByFolder(benchmark::State& state) {
  const std::string folder = Bench().home() + "/out";
  static const int32_t doc =
      Bench().Prepare("FOLDER", OrderSendMethod(ESendMethodProtocol::FilePath, folder));
  PushRuns(state, "FOLDER", doc);
}

void BM_FloorFolder(benchmark::State& state) {
  const std::string folder = Bench().home() + "/floor";
  for (int i = 0; i < kPartners; ++i) {
    fs::create_directories(PushBench::FolderOf(folder, i));
  }
  auto files = core::NewSiteFileSystem();
  for (auto _ : state) {
    for (int i = 0; i < kPartners; ++i) {
      files->WriteFile(PushBench::FolderOf(folder, i) + "/order.xml", Bench().body(),
                       files::WriteMode::kReplace);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPartners);
}

void BM_PushByHttp(benchmark::State& state) {
  const std::string url = Peer("VELMORA_TEST_HTTP_URL");
  if (url.empty()) {
    state.SkipWithError("VELMORA_TEST_HTTP_URL is not set");
    return;
  }
  static const int32_t doc =
      Bench().Prepare("HTTP", OrderSendMethod(ESendMethodProtocol::Http, url + "/ok/bench"));
  PushRuns(state, "HTTP", doc);
}

void BM_FloorHttp(benchmark::State& state) {
  const std::string url = Peer("VELMORA_TEST_HTTP_URL");
  if (url.empty()) {
    state.SkipWithError("VELMORA_TEST_HTTP_URL is not set");
    return;
  }
  auto client = net::NewCurlTransferClient();
  net::HttpPost post;
  post.host = "127.0.0.1";
  post.port = std::stol(url.substr(url.rfind(':') + 1));
  post.page = "/ok/floor";
  post.content_type = "application/x-www-form-urlencoded";
  post.body = "xml=" + Bench().body() + "&DocID=1";
  for (auto _ : state) {
    for (int i = 0; i < kPartners; ++i) {
      benchmark::DoNotOptimize(client->Post(post));
    }
  }
  state.SetItemsProcessed(state.iterations() * kPartners);
}

net::FtpLogin FtpPeer() {
  net::FtpLogin login;
  login.host = Peer("VELMORA_TEST_FTP_HOST");
  const std::string port = Peer("VELMORA_TEST_FTP_PORT");
  login.port = port.empty() ? 0 : std::stol(port);
  login.user = Peer("VELMORA_TEST_FTP_USER");
  login.password = Peer("VELMORA_TEST_FTP_PASSWORD");
  return login;
}

void BM_PushByFtp(benchmark::State& state) {
  const net::FtpLogin login = FtpPeer();
  if (login.host.empty()) {
    state.SkipWithError("VELMORA_TEST_FTP_HOST is not set");
    return;
  }
  TSendMethodProperties record =
      OrderSendMethod(ESendMethodProtocol::Ftp, "ftp://" + login.host + "/in/orders");
  record.lPort = static_cast<int32_t>(login.port);
  record.sUser = login.user;
  record.sPassword = login.password;
  static const int32_t doc = Bench().Prepare("FTP", record);
  PushRuns(state, "FTP", doc);
}

void BM_FloorFtp(benchmark::State& state) {
  const net::FtpLogin login = FtpPeer();
  if (login.host.empty()) {
    state.SkipWithError("VELMORA_TEST_FTP_HOST is not set");
    return;
  }
  auto client = net::NewCurlTransferClient();
  for (auto _ : state) {
    for (int i = 0; i < kPartners; ++i) {
      auto session = client->ConnectFtp(login);
      session->ChangeDirectory("/in/orders");
      session->Put("floor.xml", Bench().body(), false);
    }
  }
  state.SetItemsProcessed(state.iterations() * kPartners);
}

BENCHMARK(BM_PushByFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PushByHttp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorHttp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PushByFtp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorFtp)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
