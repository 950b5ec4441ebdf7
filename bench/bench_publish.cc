// Publishing one 10 KB order synchronously (PublishCreateDocument.MainX on SQLite): parsing,
// sender, type and sender-list checks, the standard form by a receive-method style sheet,
// properties, user-defined fields, ten recipients from routing elements on the distribution
// list, and the notification step; against the raw floor measured in the same run: the same
// text parsed, the same style sheet applied (compiled once) and the same rows (one DOCUMENT,
// ten PUBLICATION) written with one prepared statement per table in one transaction.
//
// The installation home and database live in /tmp/velmora-bench-publish-<pid> and are removed
// at exit. Documents per second are the items_per_second of each benchmark.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/database_setup.h"
#include "core/db_utils.h"
#include "platform/host/membership_database.h"
#include "platform/xml/stylesheet.h"
#include "velmora/db/connection.h"
#include "velmora/publish/publish_create_document.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr int kRecipients = 10;

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

// The installation of this process, removed at exit.
class BenchHome {
 public:
  BenchHome() : path_("/tmp/velmora-bench-publish-" + std::to_string(getpid())) {
    const fs::path home = path_;
    WriteText(home / "config" / "registry.xml",
              "<registry><installation product=\"R2AVidode\" installdir=\"" + path_ +
                  "\" configdir=\"" + path_ + "/config\" version=\"0.1.0\"/></registry>\n");
    WriteText(home / "config" / "R2AVidodeConfiguration.xml",
              "<configuration><section name=\"GLOBAL\"><key name=\"B2BLogging\">0</key>"
              "</section><connection application=\"Velmora\">sqlite:" +
                  path_ + "/data/velmora.db</connection></configuration>\n");
    WriteText(home / "config" / "SiteConfiguration.xml",
              "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">bench"
              "</key><key name=\"MemScriptCode\">bench-code</key></section></configuration>\n");
    WriteText(home / "xsl" / "transform" / "orders.xsl", Stylesheet());
    fs::create_directories(home / "data");
    setenv("VELMORA_HOME", path_.c_str(), 1);
    unsetenv("VELMORA_REGISTRY");
    db::OpenOptions options;
    options.create_if_missing = true;
    auto connection = db::OpenConnection("sqlite:" + path_ + "/data/velmora.db", options);
    core::SetUpDatabase(*connection, path_);
    Seed(*connection);
  }
  ~BenchHome() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  BenchHome(const BenchHome&) = delete;
  BenchHome& operator=(const BenchHome&) = delete;

  const std::string& path() const { return path_; }

  static std::string Stylesheet() {
    return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
           "<xsl:template match=\"/ORDER\"><ORDER number=\"{NUMBER}\"><xsl:apply-templates "
           "select=\"node()\"/></ORDER></xsl:template><xsl:template match=\"@*|node()\">"
           "<xsl:copy><xsl:apply-templates select=\"@*|node()\"/></xsl:copy></xsl:template>"
           "</xsl:stylesheet>";
  }

 private:
  void Seed(db::Connection& connection) {
    host::MembershipDatabase directory(
        [this] { return db::OpenConnection("sqlite:" + path_ + "/data/velmora.db"); });
    directory.InsertPartner({10, "Sender", "", ""});
    host::MemberRecord sender;
    sender.user_id = "sam";
    sender.business_partner_id = 10;
    directory.InsertUser(sender);
    connection.Execute(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) "
        "VALUES ('ORDERS', 'Orders')");
    connection.Execute(
        "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) "
        "VALUES ('ORDERS', 'sam', 10)");
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
    }
  }

  std::string path_;
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

void BM_PublishOrder(benchmark::State& state) {
  Home();
  for (auto _ : state) {
    benchmark::DoNotOptimize(PublishCreateDocument().MainX(Order()));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PublishOrder)->Unit(benchmark::kMillisecond);

void BM_RawFloor(benchmark::State& state) {
  auto connection = db::OpenConnection("sqlite:" + Home().path() + "/data/velmora.db");
  const auto stylesheet = xml::Stylesheet::FromText(BenchHome::Stylesheet());
  for (auto _ : state) {
    xml::Document parsed;
    parsed.LoadXml(Order());
    const std::string standard = stylesheet->Transform(parsed);
    connection->Begin();
    auto document = connection->Prepare(
        "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, ORIGINALXMLBODY, XMLBODY, "
        "CREATIONDATE, ENTRANCEDATE) VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (int32_t i = 1; i <= 7; ++i) {
      document->Bind(i, Variant(i == 2   ? std::string("1")
                                : i == 4 ? Order()
                                : i == 5 ? standard
                                         : std::string("ORDERS")));
    }
    document->Execute();
    const Variant id = connection->Query("SELECT MAX(DOCUMENTID) AS ID FROM DOCUMENT")->Field("ID");
    auto publication =
        connection->Prepare("INSERT INTO PUBLICATION (DOCUMENTID, USERID) VALUES (?, ?)");
    for (int i = 0; i < kRecipients; ++i) {
      publication->Bind(1, id);
      publication->Bind(2, Variant("r" + std::to_string(i)));
      publication->Execute();
    }
    connection->Commit();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
