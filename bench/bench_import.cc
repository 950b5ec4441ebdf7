// The folder import against synchronous publishing of the same documents in the same run
// (SQLite): 1,000 small orders dropped as files and imported by one DocumentImport run, then
// the same 1,000 files published one by one with PublishCreateDocument.PublishDocument (what
// `velmora publish` does); and one batch file of about 50 MB (1,000 orders of about 50 KB,
// concatenated) imported by one run, with its time and the growth of the peak resident set.
//
//   velmora_bench_import [DOCUMENTS] [BATCH_MB]
//
// The installation lives in /tmp/velmora-bench-import-<pid> and is removed at exit. The batch
// runs first so that the peak resident set it reports is its own.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "automation/class_registry.h"
#include "bench_home.h"
#include "core/database_setup.h"
#include "core/db_utils.h"
#include "platform/host/membership_database.h"
#include "velmora/base/dictionary.h"
#include "velmora/db/connection.h"
#include "velmora/import/document_import.h"
#include "velmora/publish/publish_create_document.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using bench::WriteText;

// The installation of this process, removed at exit.
class BenchHome : public bench::BenchHome {
 public:
  BenchHome()
      : bench::BenchHome("import", [](const std::string&) {
          return "<section name=\"GLOBAL\"><key name=\"IISVirtId\">1</key></section>";
        }) {
    host::MembershipDatabase directory([this] { return db::OpenConnection(Database()); });
    directory.InsertPartner({10, "Sender", "", ""});
    directory.InsertPartner({20, "Receiver", "", ""});
    host::MemberRecord sender;
    sender.user_id = "sam";
    sender.business_partner_id = 10;
    directory.InsertUser(sender);
    host::MemberRecord receiver;
    receiver.user_id = "rita";
    receiver.business_partner_id = 20;
    directory.InsertUser(receiver);
    database().Execute(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('ORDERS', 'Orders')");
    database().Execute(
        "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) "
        "VALUES ('ORDERS', 'sam', 10)");
  }

  fs::path Import() const { return fs::path(path()) / "folders" / "import"; }
};

// An order to rita of at least `size` bytes.
std::string Order(int number, size_t size) {
  std::string xml =
      "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER><RECEIVER>rita</RECEIVER>"
      "<B2BSHOW>1</B2BSHOW><NUMBER>PO-" +
      std::to_string(number) + "</NUMBER>";
  for (int line = 0; xml.size() < size; ++line) {
    xml += "<LINE><ITEM>Hex bolt M8x40 item " + std::to_string(line) +
           "</ITEM><QUANTITY>500</QUANTITY></LINE>";
  }
  return xml + "</ORDER>\n";
}

// Writes a file last changed a minute ago, so that the run takes it at once.
void Drop(const fs::path& path, const std::string& text) {
  WriteText(path, text);
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(1));
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void Report(const std::string& what, int documents, double seconds) {
  std::cout << what << ": " << documents << " documents in " << seconds << " s, "
            << documents / seconds << " documents/s" << std::endl;
}

int Main(int documents, int batch_mb) {
  const BenchHome home;
  DocumentImport().RunOnce({});  // creates the folders and warms the caches

  const int batch_documents = 1000;
  const size_t batch_size = static_cast<size_t>(batch_mb) * 1024 * 1024 / batch_documents;
  std::string batch;
  for (int i = 0; i < batch_documents; ++i) {
    batch += Order(i, batch_size);
  }
  Drop(home.Import() / "batch.xml", batch);
  const size_t batch_bytes = batch.size();
  batch = std::string();
  const long rss_before = PeakKilobytes();
  auto start = Clock::now();
  JobRunReport report = DocumentImport().RunOnce({});
  Report("folder import, one batch of " + std::to_string(batch_bytes / (1024 * 1024)) + " MB",
         report.published, SecondsSince(start));
  std::cout << "  peak resident set " << PeakKilobytes() / 1024 << " MB (before the run "
            << rss_before / 1024 << " MB, growth "
            << static_cast<double>(PeakKilobytes() - rss_before) * 1024 / batch_bytes
            << " x the file size)" << std::endl;

  const fs::path kept = home.Import().parent_path() / "bench-files";
  for (int i = 0; i < documents; ++i) {
    const std::string name = "order-" + std::to_string(i) + ".xml";
    Drop(home.Import() / name, Order(i, 400));
    WriteText(kept / name, Order(i, 400));
  }
  start = Clock::now();
  report = DocumentImport().RunOnce({});
  const double import_seconds = SecondsSince(start);
  Report("folder import, one file per document", report.published, import_seconds);

  start = Clock::now();
  int published = 0;
  for (int i = 0; i < documents; ++i) {
    published += PublishCreateDocument().PublishDocument(
                     (kept / ("order-" + std::to_string(i) + ".xml")).string(),
                     std::make_shared<Collection>(), true) > 0;
  }
  const double publish_seconds = SecondsSince(start);
  Report("synchronous publishing of the same files", published, publish_seconds);
  std::cout << "  folder import at " << 100.0 * publish_seconds / import_seconds
            << "% of the publishing throughput" << std::endl;
  return report.published == documents && published == documents ? 0 : 1;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
  const int documents = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int batch_mb = argc > 2 ? std::atoi(argv[2]) : 50;
  return velmora::Main(documents, batch_mb);
}
