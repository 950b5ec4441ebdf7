// The folder import on real folders: what is imported, claimed, left, refused and kept.
#include "velmora/import/document_import.h"

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "automation/call_service.h"
#include "core/connection_factory.h"
#include "core/env.h"
#include "platform/mail/transports.h"
#include "publish/publish_fixture.h"
#include "support/fake_workbook.h"
#include "support/scoped_sheet_engine.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

std::string Order(const std::string& sender, const std::string& line = "5 bolts") {
  return "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>" + sender +
         "</SENDER><USESDISTLIST>1</USESDISTLIST><B2BSHOW>1</B2BSHOW><LINE>" + line +
         "</LINE></ORDER>";
}

class FailingDatabases : public core::ConnectionFactory {
 public:
  std::unique_ptr<db::Connection> Open(int) override {
    throw Error(kErrPathNotFound, "Velmora.Db", "The database server is down");
  }
};

class DocumentImportTest : public PublishTest {
 protected:
  void SetUpDatabase() override {
    PublishTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    SetParameter("XMLPath1", Dir("in/"));
    SetParameter("XMLPath2", Dir("in2/"));
    core::Env env = core::CurrentEnv();
    env.mail = mail::NewPickupTransport(Dir("mails"));
    env_ = std::make_unique<core::ScopedEnv>(std::move(env));
  }
  void TearDown() override {
    env_.reset();
    PublishTest::TearDown();
  }

  // Drops `name` into the import folder, last changed `age` seconds before the run starts.
  std::string Drop(const std::string& name, const std::string& content, int age = 600) {
    const std::string path = Dir("in/" + name);
    WriteFile(path, content);
    Age(path, age);
    return path;
  }
  static void Age(const std::string& path, int seconds) {
    std::tm start{};
    start.tm_year = kNow.year - 1900;
    start.tm_mon = kNow.month - 1;
    start.tm_mday = kNow.day;
    start.tm_hour = kNow.hour;
    start.tm_min = kNow.minute;
    start.tm_sec = kNow.second;
    start.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&start) - seconds);
    fs::last_write_time(path, std::chrono::file_clock::from_sys(when));
  }

  JobRunReport RunImport() { return DocumentImport().RunOnce({}); }

  bool InImport(const std::string& name) { return fs::exists(Dir("in/" + name)); }
  int32_t AdminMails() {
    int32_t mails = 0;
    if (fs::exists(Dir("mails"))) {
      for (const auto& entry : fs::directory_iterator(Dir("mails"))) {
        mails += Contains(ReadFile(entry.path()), "A file has been placed in the error folder");
      }
    }
    return mails;
  }
  std::vector<std::string> ErrorFiles() {
    return fs::exists(Dir("error")) ? FilesBelow("error") : std::vector<std::string>{};
  }
  std::string StoredBody() { return Scalar("SELECT ORIGINALXMLBODY FROM DOCUMENT").ToText(); }

  std::unique_ptr<core::ScopedEnv> env_;
};

TEST_P(DocumentImportTest, ImportsCapitalExtensionsAndLeavesClaimedAndOtherFiles) {
  Drop("A.XML", Order("sam"));
  Drop("~b.xml", Order("sam"));
  Drop("c.txt", Order("sam"));
  const JobRunReport report = RunImport();
  EXPECT_EQ(report.found, 1);
  EXPECT_EQ(report.published, 1);
  EXPECT_EQ(Documents(), 1);
  EXPECT_FALSE(InImport("A.XML"));
  EXPECT_FALSE(InImport("~A.XML"));
  EXPECT_TRUE(InImport("~b.xml"));
  EXPECT_TRUE(InImport("c.txt"));
}

TEST_P(DocumentImportTest, StripsTheDelimiterOnlyWhenItEndsTheFile) {
  struct Case {
    std::string content;
    std::string stored_line;
  };
  for (const Case& c : {Case{Order("sam", "it's 5") + "'\r\n", "its 5"},
                        Case{Order("sam", "it's 5") + "\n", "it's 5"}}) {
    SCOPED_TRACE(c.content);
    Exec("DELETE FROM PUBLICATION");
    Exec("DELETE FROM DOCUMENT");
    Drop("order.xml", c.content);
    EXPECT_EQ(RunImport().published, 1);
    EXPECT_TRUE(Contains(StoredBody(), "<LINE>" + c.stored_line + "</LINE>")) << StoredBody();
  }
}

TEST_P(DocumentImportTest, ProcessesEachDocumentOfABatchOnItsOwn) {
  struct Case {
    std::string batch;
    int32_t published;
    int32_t failed;
  };
  for (const Case& c :
       {Case{Order("rita") + "\r\n" + Order("sam"), 1, 1}, Case{Order("rita") + Order("ron"), 0, 2},
        Case{"", 0, 0}, Case{"'\r\n", 0, 0}}) {
    SCOPED_TRACE(c.batch);
    fs::remove_all(Dir("error"));
    fs::remove_all(Dir("mails"));
    Drop("batch.xml", c.batch);
    const JobRunReport report = RunImport();
    EXPECT_EQ(report.found, 1);
    EXPECT_EQ(report.published, c.published);
    EXPECT_EQ(report.refused, c.failed);
    EXPECT_EQ(ErrorFiles().size(), static_cast<size_t>(c.failed));
    EXPECT_EQ(AdminMails(), c.failed);
    EXPECT_FALSE(InImport("batch.xml"));
    EXPECT_FALSE(InImport("~batch.xml"));
  }
}

TEST_P(DocumentImportTest, KeepsAFileThatIsNotXmlInTheErrorFolderWithItsLabel) {
  Drop("broken.xml", "<ORDER><LINE></ORDER>");
  const JobRunReport report = RunImport();
  EXPECT_EQ(report.refused, 1);
  EXPECT_FALSE(InImport("~broken.xml"));
  const std::vector<std::string> kept = ErrorFiles();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_TRUE(Contains(kept[0], "broken.xml"));
  EXPECT_TRUE(Logged("The file '~broken.xml' does not contain valid XML"));
}

TEST_P(DocumentImportTest, KeepsAnUnreadableFileInTheErrorFolder) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "root reads every file";
  }
  fs::permissions(Drop("locked.xml", Order("sam")), fs::perms::none);
  EXPECT_EQ(RunImport().refused, 1);
  EXPECT_EQ(ErrorFiles().size(), 1u);
  EXPECT_TRUE(Logged("could not be read"));
}

TEST_P(DocumentImportTest, LeavesFilesThatMayStillBeWrittenForTheNextRun) {
  for (int age : {-60, 0, 1}) {
    SCOPED_TRACE(age);
    Drop("late.xml", Order("sam"), age);
    const JobRunReport report = RunImport();
    EXPECT_EQ(report.left, 1);
    EXPECT_TRUE(InImport("late.xml"));
  }
  Age(Dir("in/late.xml"), 3);
  EXPECT_EQ(RunImport().published, 1);
}

TEST_P(DocumentImportTest, LeavesAFileItCannotClaimAndWarnsAboutOldClaims) {
  Drop("a.xml", Order("sam"));
  Drop("~a.xml", Order("sam"), 1800);
  JobRunReport report = RunImport();
  EXPECT_EQ(report.left, 1);
  EXPECT_TRUE(InImport("a.xml"));
  EXPECT_TRUE(report.warnings.empty());
  Age(Dir("in/~a.xml"), 3700);
  report = RunImport();
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_TRUE(Contains(report.warnings[0], "'~a.xml'"));
  EXPECT_TRUE(Logged("was claimed by an earlier run"));
  EXPECT_EQ(Documents(), 0);
}

TEST_P(DocumentImportTest, CopiesFailedWorkbooksUnderFreeNamesAndMovesThemWithoutAnEngine) {
  auto engine = std::make_shared<FakeEngine>();
  const ScopedSheetEngine scope(engine);
  for (int run = 0; run < 2; ++run) {
    Drop("order.xls", "workbook");
    engine->PutWorkbook(Dir("in/~order.xls"), FakeBookContent{{{"Sheet1", {}}}, {}});
    EXPECT_EQ(RunImport().refused, 1);
    EXPECT_FALSE(InImport("~order.xls"));
  }
  engine->SetAvailable(false);
  Drop("plain.xls", "workbook");
  EXPECT_EQ(RunImport().refused, 1);
  EXPECT_TRUE(Logged("Excel workbooks cannot be processed"));
  std::vector<std::string> names;
  for (const std::string& kept : ErrorFiles()) {
    names.push_back(fs::path(kept).filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"order.xls", "order_1.xls", "plain.xls"}));
}

TEST_P(DocumentImportTest, NeverRaisesWithTheDatabaseDown) {
  Drop("a.xml", Order("sam"));
  core::Env env = core::CurrentEnv();
  env.databases = std::make_shared<FailingDatabases>();
  const core::ScopedEnv down(std::move(env));
  JobRunReport report;
  EXPECT_NO_THROW(report = RunImport());
  EXPECT_NO_THROW(DocumentImport().Run());
  ASSERT_FALSE(report.warnings.empty());
  EXPECT_TRUE(Contains(report.warnings[0], "ZODAR0010"));
  EXPECT_TRUE(InImport("a.xml"));
}

TEST_P(DocumentImportTest, StopsBeforeTheFirstFileWhenAskedTo) {
  Drop("a.xml", Order("sam"));
  std::stop_source stop;
  stop.request_stop();
  EXPECT_EQ(DocumentImport().RunOnce(stop.get_token()).found, 0);
  EXPECT_TRUE(InImport("a.xml"));
}

// An import folder on a share of the site configuration ("\\srv\exchange"), as operators map
// the folders other systems drop into.
TEST_P(DocumentImportTest, ImportsFromAMappedShare) {
  const std::string site = Home() + "/config/SiteConfiguration.xml";
  struct Restore {
    std::string path, bytes;
    ~Restore() { WriteFile(path, bytes); }
  } restore{site, ReadFile(site)};
  std::string mapped = restore.bytes;
  const size_t end = mapped.rfind("</configuration>");
  ASSERT_NE(end, std::string::npos) << mapped;
  mapped.insert(end, "<section name=\"SHARES\"><key name=\"\\\\srv\\exchange\">" + Dir("share") +
                         "</key></section>");
  WriteFile(site, mapped);
  SetParameter("XMLPath2", "\\\\srv\\exchange\\in2\\");
  const std::string dropped = Dir("share/in2/order.xml");
  WriteFile(dropped, Order("sam"));
  Age(dropped, 600);

  const JobRunReport report = RunImport();
  EXPECT_EQ(report.published, 1);
  EXPECT_EQ(Documents(), 1);
  EXPECT_FALSE(fs::exists(dropped));
}

TEST_P(DocumentImportTest, RunsThroughTheAutomationLayer) {
  Drop("a.xml", Order("sam"));
  const auto reply = automation::CallAndReply("Velmora.DocumentImport", "Run", {});
  EXPECT_FALSE(reply.failed) << reply.json;
  EXPECT_EQ(Documents(), 1);
  EXPECT_FALSE(InImport("a.xml"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentImportTest);

}  // namespace
}  // namespace velmora::testing
