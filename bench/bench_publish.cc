// Publishing one 10 KB order synchronously (PublishCreateDocument.MainX on SQLite): parsing,
// sender, type and sender-list checks, the standard form by a receive-method style sheet,
// properties, user-defined fields, ten recipients from routing elements on the distribution
// list, delivery by each recipient partner's folder send method, and the notification mails
// written into the pick-up folder; against the raw floor measured in the same run: the same
// text parsed, the same style sheet applied (compiled once), the same rows (one DOCUMENT, ten
// PUBLICATION) written with one prepared statement per table in one transaction into a database
// of the same schema of its own, the standard form written into the ten partner folders with the
// file layer, and the same mails handed to the pick-up transport.
//
// The installation home and database live in /tmp/velmora-bench-publish-<pid> and are removed
// at exit. Documents per second are the items_per_second of the first two benchmarks; the
// third runs both in turn and reports their ratio. The time is CPU time of the main thread, split
// per document into "user_ms" (the library's own work and the libraries it calls) and "kernel_ms"
// (mostly the file system: files created and synced).
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "bench_home.h"
#include "core/database_setup.h"
#include "core/db_utils.h"
#include "core/env.h"
#include "core/file_service.h"
#include "core/home_env.h"
#include "platform/host/membership_database.h"
#include "platform/mail/transports.h"
#include "platform/xml/stylesheet.h"
#include "recording_transport.h"
#include "send_method_record.h"
#include "thread_cpu.h"
#include "velmora/db/connection.h"
#include "velmora/delivery/send_method.h"
#include "velmora/publish/publish_create_document.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kRecipients = 10;

using bench::OrderSendMethod;
using bench::WriteText;

// The installation of this process, removed at exit.
class BenchHome : public bench::BenchHome {
 public:
  BenchHome()
      : bench::BenchHome("publish", [](const std::string& home) {
          return "<section name=\"MAIL\"><key name=\"Service\">pickup:" + home +
                 "/pickup</key></section>";
        }) {
    WriteText(fs::path(path()) / "xsl" / "transform" / "orders.xsl", Stylesheet());
    fs::create_directories(PickupFolder());
    // The attachments folder of the default parameters, which setting up a home creates.
    fs::create_directories(fs::path(path()) / "folders" / "attachments");
    core::InstallEnv(core::NewHomeEnv(path()));
    // Processing creates "Velmora.OBI" and "Velmora.Notification" by their ProgIDs.
    automation::RegisterAllClasses();
    Seed(database());
  }

  std::string PickupFolder() const { return path() + "/pickup"; }
  std::string PartnerFolder(int i) const { return path() + "/out/" + std::to_string(20 + i); }

  static std::string Stylesheet() {
    return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
           "<xsl:template match=\"/ORDER\"><ORDER number=\"{NUMBER}\"><xsl:apply-templates "
           "select=\"node()\"/></ORDER></xsl:template><xsl:template match=\"@*|node()\">"
           "<xsl:copy><xsl:apply-templates select=\"@*|node()\"/></xsl:copy></xsl:template>"
           "</xsl:stylesheet>";
  }

 private:
  void Seed(db::Connection& connection) {
    host::MembershipDatabase directory([this] { return db::OpenConnection(Database()); });
    directory.InsertPartner({10, "Sender", "", ""});
    host::MemberRecord sender;
    sender.user_id = "sam";
    sender.business_partner_id = 10;
    sender.email_address = "sam@example.com";
    directory.InsertUser(sender);
    connection.Execute(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) "
        "VALUES ('ORDERS', 'Orders')");
    connection.Execute(
        "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, NOTIFICATION) "
        "VALUES ('ORDERS', 'sam', 10, 1)");
    connection.Execute(
        "INSERT INTO RECEIVEMETHOD (BUSINESSPARTNERID, DOCUMENTTYPEID, "
        "XSLFILENAME) VALUES (10, 'ORDERS', 'orders.xsl')");
    for (int i = 0; i < kRecipients; ++i) {
      const int32_t partner = 20 + i;
      directory.InsertPartner({partner, "Receiver " + std::to_string(i), "", ""});
      host::MemberRecord user;
      user.user_id = "r" + std::to_string(i);
      user.business_partner_id = partner;
      user.email_address = user.user_id + "@example.com";
      directory.InsertUser(user);
      connection.Execute(
          "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, EMAIL) "
          "VALUES ('ORDERS', '" +
          user.user_id + "', " + std::to_string(partner) + ", 1)");
      AddFolderSendMethod(partner, PartnerFolder(i));
    }
  }

  static void AddFolderSendMethod(int32_t partner, const std::string& folder) {
    fs::create_directories(folder);
    TSendMethodProperties record = OrderSendMethod(ESendMethodProtocol::FilePath, folder);
    VariantArray extension(3);
    extension.At(0) = Variant(false);
    SendMethod store;
    int32_t id = store.AddSendMethodProperties3(record, extension);
    std::string type = "ORDERS";
    int32_t rule = -1;
    store.AddSendMethod2(id, partner, type, rule);
  }
};

const BenchHome& Home() {
  static const BenchHome home;
  return home;
}

// An order of about 10 KB naming the ten recipients in RECEIVER elements.
const std::string& Order() {
  static const std::string order = [] {
    std::string xml =
        "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER>"
        "<B2BSHOW>1</B2BSHOW><NUMBER>PO-1</NUMBER>";
    for (int i = 0; i < kRecipients; ++i) {
      xml += "<RECEIVER>r" + std::to_string(i) + "</RECEIVER>";
    }
    for (int line = 0; xml.size() < 10 * 1024 - 20; ++line) {
      xml += "<LINE><ITEM>Hex bolt M8x40 item " + std::to_string(line) +
             "</ITEM><QUANTITY>500</QUANTITY><PRICE>0.12</PRICE></LINE>";
    }
    return xml + "</ORDER>";
  }();
  return order;
}

// The mails one publication hands to the transport, recorded once.
const std::vector<mail::Message>& DocumentMails() {
  static const std::vector<mail::Message> mails = [] {
    auto recorder = std::make_shared<bench::RecordingTransport>();
    core::Env with_recorder = core::CurrentEnv();
    with_recorder.mail = recorder;
    core::ScopedEnv env(with_recorder);
    PublishCreateDocument().MainX(Order());
    return recorder->messages;
  }();
  return mails;
}

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    count += entry.is_regular_file() ? 1 : 0;
  }
  return count;
}

void BM_PublishOrder(benchmark::State& state) {
  Home();
  if (DocumentMails().size() != kRecipients + 1) {
    state.SkipWithError("the publication did not write a mail per recipient and the sender's");
    return;
  }
  const size_t mails_before = FilesIn(Home().PickupFolder());
  const bench::ThreadCpu cpu;
  for (auto _ : state) {
    if (PublishCreateDocument().MainX(Order()) == 0) {
      state.SkipWithError("the publication failed");
      return;
    }
  }
  cpu.Report(state);
  const auto mails =
      static_cast<benchmark::IterationCount>(FilesIn(Home().PickupFolder()) - mails_before);
  if (mails != state.iterations() * (kRecipients + 1) ||
      FilesIn(Home().path() + "/out") != kRecipients) {
    state.SkipWithError("a delivery or a notification mail is missing");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PublishOrder)->Unit(benchmark::kMillisecond);

// The raw floor of one document: the text parsed, the style sheet applied, one DOCUMENT and ten
// PUBLICATION rows written with prepared statements in one transaction (into a database of the
// same schema), the standard form
// written into ten folders and the document's mails handed to the pick-up transport.
class RawFloor {
 public:
  RawFloor()
      : connection_(OpenDatabase()),
        stylesheet_(xml::Stylesheet::FromText(BenchHome::Stylesheet())),
        transport_(mail::NewTransport(PickupSettings())),
        files_(core::NewSiteFileSystem()) {
    for (int i = 0; i < kRecipients; ++i) {
      fs::create_directories(Folder(i));
    }
  }

  void Run() {
    xml::Document parsed;
    parsed.LoadXml(Order());
    const std::string standard = stylesheet_->Transform(parsed);
    connection_->Begin();
    auto document = connection_->Prepare(
        "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, ORIGINALXMLBODY, XMLBODY, "
        "CREATIONDATE, ENTRANCEDATE) VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (int32_t i = 1; i <= 7; ++i) {
      document->Bind(i, Variant(i == 2   ? std::string("1")
                                : i == 4 ? Order()
                                : i == 5 ? standard
                                         : std::string("ORDERS")));
    }
    document->Execute();
    const Variant id =
        connection_->Query("SELECT MAX(DOCUMENTID) AS ID FROM DOCUMENT")->Field("ID");
    auto publication =
        connection_->Prepare("INSERT INTO PUBLICATION (DOCUMENTID, USERID) VALUES (?, ?)");
    for (int i = 0; i < kRecipients; ++i) {
      publication->Bind(1, id);
      publication->Bind(2, Variant("r" + std::to_string(i)));
      publication->Execute();
    }
    connection_->Commit();
    for (int i = 0; i < kRecipients; ++i) {
      files_->WriteFile(Folder(i) + "/order.xml", standard, files::WriteMode::kReplace);
    }
    for (const mail::Message& message : DocumentMails()) {
      transport_->Send(message);
    }
  }

 private:
  // A database of its own with the same schema, so that each side pays for the write-ahead log
  // it fills: a checkpoint falls on whichever commit takes the log over its limit.
  static std::unique_ptr<db::Connection> OpenDatabase() {
    db::OpenOptions options;
    options.create_if_missing = true;
    auto connection = db::OpenConnection("sqlite:" + Home().path() + "/data/floor.db", options);
    core::SetUpDatabase(*connection, Home().path());
    return connection;
  }
  static mail::TransportSettings PickupSettings() {
    mail::TransportSettings settings;
    settings.service = "pickup:" + Home().path() + "/pickup-floor";
    return settings;
  }
  static std::string Folder(int i) { return Home().path() + "/floor/" + std::to_string(i); }

  std::unique_ptr<db::Connection> connection_;
  std::unique_ptr<xml::Stylesheet> stylesheet_;
  std::unique_ptr<mail::Transport> transport_;
  std::unique_ptr<files::FileSystem> files_;
};

void BM_RawFloor(benchmark::State& state) {
  RawFloor floor;
  const bench::ThreadCpu cpu;
  for (auto _ : state) {
    floor.Run();
  }
  cpu.Report(state);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawFloor)->Unit(benchmark::kMillisecond);

// The CPU time of the calling thread, in milliseconds.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The two measured in turn, one document each per iteration, so that both meet the same state
// of the machine and its file system: "library_ms" and "floor_ms" are CPU milliseconds per
// document, and "ratio" is the library's documents per second over the floor's.
void BM_PublishOrderAgainstFloor(benchmark::State& state) {
  Home();
  RawFloor floor;
  double library_ms = 0;
  double floor_ms = 0;
  for (auto _ : state) {
    const double start = ThreadCpuMs();
    if (PublishCreateDocument().MainX(Order()) == 0) {
      state.SkipWithError("the publication failed");
      return;
    }
    const double published = ThreadCpuMs();
    floor.Run();
    library_ms += published - start;
    floor_ms += ThreadCpuMs() - published;
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["library_ms"] = library_ms / iterations;
  state.counters["floor_ms"] = floor_ms / iterations;
  state.counters["ratio"] = floor_ms / library_ms;
}
BENCHMARK(BM_PublishOrderAgainstFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
