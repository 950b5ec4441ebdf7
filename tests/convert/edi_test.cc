#include "velmora/convert/edi.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/class_registry.h"
#include "core/env.h"
#include "core/file_service.h"
#include "core/job_lock.h"
#include "core/secrets.h"
#include "core/sql_literals.h"
#include "platform/files/file_system.h"
#include "platform/net/transfer_client.h"
#include "support/expectations.h"
#include "support/fake_transfer_client.h"
#include "support/library_db_test.h"
#include "support/temp_folder.h"
#include "support/test_peers.h"
#include "velmora/base/text_encoding.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::Contains;

// The local file system, except that files named "stuck..." cannot be deleted.
class StuckFiles : public files::FileSystem {
 public:
  bool FileExists(std::string_view p) override { return fs_->FileExists(p); }
  bool FolderExists(std::string_view p) override { return fs_->FolderExists(p); }
  void CreateFolder(std::string_view p) override { fs_->CreateFolder(p); }
  void DeleteFile(std::string_view p) override {
    if (Contains(std::string(p), "stuck")) {
      throw Error(kErrPermissionDenied, "Velmora.Files", "Permission denied");
    }
    fs_->DeleteFile(p);
  }
  void DeleteFolder(std::string_view p) override { fs_->DeleteFolder(p); }
  void CopyFile(std::string_view f, std::string_view t, bool o) override { fs_->CopyFile(f, t, o); }
  void MoveFile(std::string_view f, std::string_view t) override { fs_->MoveFile(f, t); }
  std::string ReadFile(std::string_view p) override { return fs_->ReadFile(p); }
  void WriteFile(std::string_view p, std::string_view b, files::WriteMode m) override {
    fs_->WriteFile(p, b, m);
  }
  std::vector<files::FolderEntry> List(std::string_view p) override { return fs_->List(p); }
  std::string ToNative(std::string_view p) override { return fs_->ToNative(p); }

 private:
  std::unique_ptr<files::FileSystem> fs_ = core::NewLocalSiteFileSystem();
};

class EdiTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    automation::RegisterAllClasses();
    SetParameter("XMLPath1", dir_ / "import/");
    UseTransfer(fake_);
  }
  void UseTransfer(std::shared_ptr<net::TransferClient> client, bool stuck_files = false) {
    env_.reset();
    core::Env env;
    env.transfer = std::move(client);
    if (stuck_files) {
      env.new_file_system = [] { return std::make_unique<StuckFiles>(); };
    }
    env_ = std::make_unique<core::ScopedEnv>(std::move(env));
  }
  // A network; `root` a folder or ftp address, folders "cmd", "out", "in" below it.
  void AddNetwork(const std::string& id, int sequence, int protocol, const std::string& root,
                  bool semaphore = false, const std::string& password = "") {
    Exec(
        "INSERT INTO EDINETWORK (NETWORKID, SEQUENCE, USESEMAPHORE, STARTFILE, STOPFILE, "
        "SEMAPHORE, ROOTFOLDER, COMFOLDER, OUTFOLDER, INFOLDER, PROTOCOL, FTPPORT, FTPUSERID, "
        "FTPPASSWORD, FTPTRANSFERTYPE, TEMPFOLDER) VALUES (" +
        core::SqlText(id) + ", " + std::to_string(sequence) + ", " + (semaphore ? "1" : "0") +
        ", 'start.sem', 'stop.sem', 'go.sem', " + core::SqlText(root) + ", 'cmd', 'out', 'in', " +
        std::to_string(protocol) + ", " + port_ + ", 'velmora', " + core::SqlText(password) +
        ", 20, " + core::SqlText(dir_ / ("temp-" + id)) + ")");
  }
  // A message file written an hour ago (`age_seconds` < 0: in the future).
  std::string Message(const std::string& id, const std::string& path, const std::string& bytes,
                      int age_seconds = 3600) {
    const std::string file = dir_ / ("temp-" + id + "/Messages/" + path);
    testing::WriteFile(file, bytes);
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::seconds(age_seconds));
    return file;
  }
  std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  testing::TempFolder dir_;
  std::string port_ = "21";
  std::shared_ptr<testing::FakeTransferClient> fake_ =
      std::make_shared<testing::FakeTransferClient>();
  std::unique_ptr<core::ScopedEnv> env_;
};

TEST_P(EdiTest, FreshInstallationWithoutNetworksDoesNothing) {
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_FALSE(report.skipped);
  EXPECT_EQ(report.found + report.moved + report.left, 0);
  EXPECT_TRUE(report.warnings.empty());
}

TEST_P(EdiTest, SemaphoreHandshakeInTheCommandFolder) {
  struct Case {
    std::vector<std::string> markers;
    std::vector<std::string> after;
    bool exchanged;
  };
  const std::vector<Case> cases = {Case{{"stop.sem"}, {"stop.sem"}, false},
                                   Case{{}, {"start.sem"}, false},
                                   Case{{"go.sem"}, {"start.sem"}, true}};
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    Exec("DELETE FROM EDINETWORK");
    const std::string root = dir_ / ("net" + std::to_string(i));
    for (const char* folder : {"/cmd", "/out", "/in"}) {
      fs::create_directories(root + folder);
    }
    for (const auto& marker : c.markers) {
      testing::WriteFile(root + "/cmd/" + marker, "");
    }
    AddNetwork("N1", 1, 30, root, true);
    Message("N1", "ORD/ASCII", "");
    Message("N1", "ORD/order.xml", "<a/>");
    EDI().Run();
    EXPECT_EQ(Names(root + "/cmd"), c.after);
    EXPECT_EQ(fs::exists(root + "/out/ORD"), c.exchanged);
    EXPECT_EQ(fs::exists(dir_ / "temp-N1/Messages/ORD/order.xml"), !c.exchanged);
  }
}

TEST_P(EdiTest, OutgoingMergeKeepsClaimedLateFilesAndTheMarkers) {
  const std::string root = dir_ / "net";
  fs::create_directories(root + "/out");
  AddNetwork("N1", 1, 30, root);
  Message("N1", "ORD/ASCII", "");
  Message("N1", "ORD/ORDERS/Acme_1/a.xml", "<a/>");
  Message("N1", "ORD/ORDERS/Bolt_2/b.xml", "<b/>");
  Message("N1", "ORD/ORDERS/Acme_1/~c.xml", "<c/>", 7200);
  Message("N1", "ORD/ORDERS/Acme_1/late.xml", "<late/>", -3600);
  Message("N1", "UNI/Unicode", "");
  Message("N1", "UNI/INV/u.xml", text::Utf8ToUtf16Le("<Ü/>", true));
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_EQ(report.moved, 2);
  EXPECT_EQ(report.left, 1);
  const std::string ascii = testing::ReadFile(root + "/out/ORD");
  EXPECT_TRUE(ascii == "<a/><b/>" || ascii == "<b/><a/>") << ascii;
  EXPECT_EQ(testing::ReadFile(root + "/out/UNI"), text::Utf8ToUtf16Le("<Ü/>", true));
  EXPECT_EQ(Names(dir_ / "temp-N1/Messages/ORD/ORDERS/Acme_1"),
            (std::vector<std::string>{"late.xml", "~c.xml"}));
  EXPECT_FALSE(fs::exists(dir_ / "temp-N1/Messages/ORD/ORDERS/Bolt_2/b.xml"));
  EXPECT_TRUE(Logged("~c.xml' has kept its \"~\" name for more than an hour"));
  EXPECT_TRUE(fs::exists(dir_ / "temp-N1/Messages/ORD/ASCII"));
  const auto logs = Names(dir_ / "temp-N1/Log");
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_EQ(logs[0].size(), std::string("yyyy-mm-dd-hh-mm-ss_ORD.log").size());
  EXPECT_TRUE(Contains(testing::ReadFile(dir_ / "temp-N1/Log/" + logs[0]), "a.xml\r\n"));
}

TEST_P(EdiTest, SentMessageThatCannotBeDeletedIsNamedWithAWarning) {
  UseTransfer(fake_, true);
  fs::create_directories(dir_ / "net/out");
  AddNetwork("N1", 1, 30, dir_ / "net");
  Message("N1", "ORD/stuck.xml", "<s/>");
  Message("N1", "ORD/a.xml", "<a/>");
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_EQ(report.moved, 1);
  EXPECT_EQ(testing::ReadFile(dir_ / "net/out/ORD").size(), 8u);
  EXPECT_EQ(Names(dir_ / "temp-N1/Messages/ORD"), std::vector<std::string>{"stuck.xml"});
  EXPECT_TRUE(Logged("Could not delete file '"));
  EXPECT_TRUE(
      Logged("Error description: Permission denied\r\nTAKE CARE: if individual EDI "
             "message files cannot be removed, you risk that they are sent again to the "
             "backend; Please, solve this problem as soon as possible!"));
}

TEST_P(EdiTest, FailedTransfersKeepTheMessagesAndOneBadNetworkStopsNoOther) {
  const std::string root = dir_ / "net";
  fs::create_directories(root + "/out");
  testing::WriteFile(root + "/out/WAIT", "previous batch");
  AddNetwork("N0", 0, 40, "ftps:/x");
  AddNetwork("N1", 1, 40, "ftp://edi.example/edi", false, "pa55word");
  AddNetwork("N2", 2, 30, root);
  for (const std::string id : {"N1", "N2"}) {
    Message(id, "ORD/a.xml", "<a/>");
    Message(id, "WAIT/w.xml", "<w/>");
  }
  fake_->AddDirectory("/edi/out");
  fake_->FailAt(net::TransferStage::kSend);
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_EQ(report.moved, 1);
  EXPECT_TRUE(Logged("Invalid FTP folder ftps:/x"));
  EXPECT_TRUE(Logged("Error '0' occured in the following WinInet command : WinInet.FtpPutFile"));
  EXPECT_TRUE(Logged("UserID        : 'velmora' - injected failure"));
  EXPECT_FALSE(Logged("pa55word"));
  EXPECT_EQ(testing::ReadFile(root + "/out/ORD"), "<a/>");
  EXPECT_EQ(testing::ReadFile(root + "/out/WAIT"), "previous batch");
  EXPECT_TRUE(fs::exists(dir_ / "temp-N2/Messages/WAIT/w.xml"));
  EXPECT_EQ(Names(dir_ / "temp-N1/Messages/ORD"), std::vector<std::string>{"a.xml"});
  EXPECT_EQ(Names(dir_ / "temp-N1/Log").size(), 0u);
}

TEST_P(EdiTest, IncomingNamesAreRefusedUnlessPlain) {
  AddNetwork("N1", 1, 40, "ftp://edi.example/");
  fake_->AddDirectory("/in");
  for (const std::string name : {"../evil.xml", "a/b.xml", "~part.edi", "ok.v1.edi"}) {
    fake_->PlaceFile("edi.example", "/in", name, "<" + name + "/>");
  }
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_EQ(report.moved, 1);
  EXPECT_EQ(report.left, 3);
  const auto names = Names(dir_ / "import");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].rfind("ok_N1_", 0), 0u);
  EXPECT_FALSE(fs::exists(dir_ / "evil.xml"));
  EXPECT_EQ(fake_->uploads().size(), 3u);
  EXPECT_TRUE(Logged("Refused the file name '../evil.xml'"));
}

TEST_P(EdiTest, RealFtpPeerExchangesAndDeletesOnlyWhatArrived) {
  std::string host, port, user, password, root;
  VELMORA_REQUIRE_PEER(host, "VELMORA_TEST_FTP_HOST");
  VELMORA_REQUIRE_PEER(port, "VELMORA_TEST_FTP_PORT");
  VELMORA_REQUIRE_PEER(user, "VELMORA_TEST_FTP_USER");
  VELMORA_REQUIRE_PEER(password, "VELMORA_TEST_FTP_PASSWORD");
  VELMORA_REQUIRE_PEER(root, "VELMORA_TEST_FTP_ROOT");
  UseTransfer(net::NewCurlTransferClient());
  port_ = port;
  const std::string net =
      "edi-" + std::to_string(::getpid()) + "-" + std::to_string(GetParam() == db::Engine::kSqlite);
  const std::string base = root + "/" + net;
  for (const char* folder : {"/cmd", "/out", "/in"}) {
    fs::create_directories(base + folder);
  }
  testing::WriteFile(base + "/cmd/go.sem", "");
  for (const char* name : {"order.edi", "bad\x01name", "locked.edi", "late.edi"}) {
    testing::WriteFile(base + "/in/" + name, name == std::string("order.edi") ? "<order/>" : "x");
    const auto hour = std::chrono::hours(name == std::string("late.edi") ? 1 : -1);
    fs::last_write_time(base + "/in/" + name, fs::file_time_type::clock::now() + hour);
  }
  fs::permissions(base + "/in/locked.edi", fs::perms::none);
  const bool locked = ::access((base + "/in/locked.edi").c_str(), R_OK) != 0;
  // The password as `velmora admin edinetwork` stores it: sealed.
  AddNetwork("N1", 1, 40, "ftp://" + host + "/" + net, true, core::SealSecret(password, "test"));
  Message("N1", "ORD/a.xml", "<a/>");
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_EQ(testing::ReadFile(base + "/out/ORD"), "<a/>");
  EXPECT_EQ(Names(base + "/cmd"), std::vector<std::string>{"start.sem"});
  EXPECT_FALSE(fs::exists(base + "/in/order.edi"));
  EXPECT_TRUE(fs::exists(base + "/in/bad\x01name"));
  EXPECT_TRUE(fs::exists(base + "/in/late.edi"));
  EXPECT_EQ(fs::exists(base + "/in/locked.edi"), locked);
  EXPECT_TRUE(Logged("Refused the file name 'bad\\x01name'"));
  const auto names = Names(dir_ / "import");
  ASSERT_EQ(names.size(), locked ? 1u : 2u);
  const std::string stored = names[locked ? 0 : 1];
  ASSERT_EQ(stored.size(), std::string("order_N1_yyyy-mm-dd-hh-mm-ss.xml").size());
  EXPECT_EQ(stored.substr(0, 9), "order_N1_");
  EXPECT_EQ(testing::ReadFile(dir_ / "import/" + stored), "<order/>");
  EXPECT_EQ(report.moved, locked ? 2 : 3);

  const auto reply =
      automation::CallAndReply("Velmora.EDI", "filePresentViaFTP",
                               {Variant("order.edi"), Variant("/" + net + "/in"), Variant(host),
                                Variant(std::stoi(port)), Variant(user), Variant("wrong-secret")});
  EXPECT_TRUE(Contains(reply.json,
                       "Error '67' occured in the following WinInet command : "
                       "WinInet.InternetConnect"))
      << reply.json;
  EXPECT_TRUE(Contains(reply.json, "lpszPassword]=********"));
  EXPECT_FALSE(Contains(reply.json.substr(0, reply.json.find("\"args\"")), "wrong-secret"));
  EXPECT_FALSE(Logged("wrong-secret"));
}

TEST_P(EdiTest, OverlappingRunIsSkipped) {
  const auto held = core::TryLockJob("edi");
  ASSERT_NE(held, nullptr);
  const JobRunReport report = EDI().RunOnce({});
  EXPECT_TRUE(report.skipped);
  EXPECT_TRUE(Logged("Another EDI run holds the lock"));
}

TEST_P(EdiTest, StopRequestedBeforeTheFirstNetworkLeavesEverything) {
  fs::create_directories(dir_ / "net/out");
  AddNetwork("N1", 1, 30, dir_ / "net");
  const std::string message = Message("N1", "ORD/a.xml", "<a/>");
  std::stop_source stop;
  stop.request_stop();
  EXPECT_EQ(EDI().RunOnce(stop.get_token()).moved, 0);
  EXPECT_TRUE(fs::exists(message));
}

TEST_P(EdiTest, CheckEdiReferencesNamesSendMethodsOfTheNetwork) {
  Exec(
      "INSERT INTO SENDMETHODPROPERTY (PROTOCOL, ADDRESS, NETWORKID) VALUES (80, 'N1', NULL), "
      "(30, 'N2', 'N2'), (80, 'x', 'N4')");
  struct Case {
    std::string network;
    std::string expected;
  };
  for (const Case& c : {Case{"N1", "Array(\"Send methods\")"}, Case{"N2", ""}, Case{"N3", ""},
                        Case{"N4", "Array(\"Send methods\")"}, Case{"N1' OR 1=1 --", ""}}) {
    EXPECT_EQ(EDI().checkEdiReferences(c.network), c.expected) << c.network;
  }
  EXPECT_TRUE(
      Contains(automation::CallAndReply("Velmora.EDI", "checkEdiReferences", {Variant("N1")}).json,
               R"x({"result":"Array(\"Send methods\")")x"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(EdiTest);

}  // namespace
}  // namespace velmora
