#include <gtest/gtest.h>

#include <filesystem>

#include "automation/call_service.h"
#include "automation/registration.h"
#include "support/expectations.h"
#include "support/fake_mail_transport.h"
#include "support/fake_remote_file.h"
#include "support/fake_workbook.h"
#include "support/scoped_environment.h"
#include "support/scoped_sheet_engine.h"
#include "support/site_folder_test.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/core/file_handling.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::FixedGuids;
using testing::RaisedBy;
using testing::ReadFile;
using testing::ScopedEnvironmentVariable;
using testing::WriteFile;

// The error folder and file checks of Utility on a seeded installation: XMLErrorPath inside
// the test's folder, the share "\\srv\exchange" mapped by the site configuration, a fixed clock.
class UtilityErrorDirTest : public testing::SiteFolderTest {
 protected:
  UtilityErrorDirTest() : SiteFolderTest(DateTime{2026, 12, 7, 21, 5, 9}) {}

  void SetUpDatabase() override {
    SiteFolderTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    MapSiteFolders({{"\\\\srv\\exchange", "share"}});
    SetParameter("XMLErrorPath", Dir("errors/"));
  }

  std::string ErrorDir() const { return Dir("errors/2026-12-07_21-05-09"); }

  Utility utility_;
};

// ---- The error folder ----

TEST_P(UtilityErrorDirTest, ErrorFolderOfAMomentIsCreatedUnderTheErrorPath) {
  EXPECT_EQ(utility_.CreateErrorDir(), ErrorDir());
  EXPECT_TRUE(fs::is_directory(ErrorDir()));
  EXPECT_EQ(utility_.CreateErrorDir(), ErrorDir());  // same second, same folder
  clock_.now.second = 10;
  EXPECT_EQ(utility_.CreateErrorDir(), Dir("errors/2026-12-07_21-05-10"));
}

TEST_P(UtilityErrorDirTest, ErrorPathWithoutSeparatorStillHoldsTheFolder) {
  SetParameter("XMLErrorPath", Dir("plain"));
  EXPECT_EQ(utility_.CreateErrorDir(), Dir("plain/2026-12-07_21-05-09"));
  EXPECT_TRUE(fs::is_directory(Dir("plain/2026-12-07_21-05-09")));
}

TEST_P(UtilityErrorDirTest, ErrorPathBlockedByAFileFails) {
  WriteFile(Dir("errors"), "x");
  const Error failure = RaisedBy([&] { utility_.CreateErrorDir(); });
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.Utility.CreateErrorDir"));
}

TEST_P(UtilityErrorDirTest, MissingErrorPathParameterIsRaised) {
  Exec("DELETE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'XMLErrorPath'");
  std::string name = "a.xml";
  const Error failure = RaisedBy([&] { utility_.WriteXmlFileToErrorDir("<a/>", name); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::MissingParameter));
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.Utility.WriteXMLFileToErrorDir"));
}

TEST_P(UtilityErrorDirTest, ErrorPathOnAShareIsCheckedThroughTheFileComponent) {
  SetParameter("XMLErrorPath", "\\\\srv\\exchange\\err\\");
  EXPECT_EQ(utility_.CreateErrorDir(), "\\\\srv\\exchange\\err\\2026-12-07_21-05-09");
  EXPECT_TRUE(fs::is_directory(Dir("share/err/2026-12-07_21-05-09")));
}

// ---- Writing and moving files into it ----

TEST_P(UtilityErrorDirTest, TwoTildeFilesOfOneSecondAreBothKept) {
  std::string first = "~x.order.xml";
  std::string second = "~x.order.xml";
  const std::string path1 = utility_.WriteXmlFileToErrorDir("<a>\xE2\x82\xAC</a>", first);
  const std::string path2 = utility_.WriteXmlFileToErrorDir("<b/>", second);
  EXPECT_EQ(first, "x.order.xml");
  EXPECT_EQ(path1, ErrorDir() + "/x.order.xml");
  EXPECT_EQ(path2, ErrorDir() + "/x1.order.xml");
  EXPECT_EQ(ReadFile(path1), std::string("\xFF\xFE<\0a\0>\0\xAC\x20<\0/\0a\0>\0", 18));
  EXPECT_EQ(ReadFile(path2), std::string("\xFF\xFE<\0b\0/\0>\0", 10));
}

TEST_P(UtilityErrorDirTest, NamesWithoutADotGetTheCounterAtTheEnd) {
  std::string name = "noext";
  utility_.WriteXmlFileToErrorDir("1", name);
  name = "noext";
  EXPECT_EQ(utility_.WriteXmlFileToErrorDir("2", name), ErrorDir() + "/noext1");
}

TEST_P(UtilityErrorDirTest, BlankOrTildeOnlyNamesGetATemporaryName) {
  FixedGuids guids;
  ScopedGuidSource scoped(guids);
  std::string name;
  EXPECT_EQ(utility_.WriteXmlFileToErrorDir("<a/>", name), ErrorDir() + "/radABCDE.tmp");
  EXPECT_EQ(name, "radABCDE.tmp");
  name = "~";
  EXPECT_EQ(utility_.WriteXmlFileToErrorDir("<a/>", name), ErrorDir() + "/radABCDE1.tmp");
}

TEST_P(UtilityErrorDirTest, NamesThatWouldLeaveTheErrorFolderAreRefused) {
  for (const std::string bad : {"../escaped.xml", "~../escaped.xml", "/tmp/escaped.xml",
                                "sub\\escaped.xml", "..", "C:escaped.xml"}) {
    SCOPED_TRACE(bad);
    std::string name = bad;
    const Error failure = RaisedBy([&] { utility_.WriteXmlFileToErrorDir("<a/>", name); });
    EXPECT_EQ(failure.number(), 52);
    EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.Utility.WriteXMLFileToErrorDir"));
  }
  EXPECT_FALSE(fs::exists(Dir("errors/escaped.xml")));
  EXPECT_TRUE(fs::is_empty(ErrorDir()));
}

TEST_P(UtilityErrorDirTest, MovedTildeFilesFromTwoFoldersAreBothKept) {
  fs::create_directories(Dir("in1"));
  fs::create_directories(Dir("in2"));
  WriteFile(Dir("in1/~x.xml"), "one");
  WriteFile(Dir("in2/~x.xml"), "two");
  FileHandling files;
  auto listed = files.getFilesInFolder(Dir("in1"));
  ASSERT_EQ(listed->Count(), 1u);
  auto first = listed->Item(1).As<FileObject>();
  FileObject second("~x.xml", Dir("in2/~x.xml"), 3, DateTime{});
  SetParameter("AdminEmailAddress", "admin@velmora.test");
  testing::ScopedFakeMail mail;
  utility_.MoveFileToErrorDir(*first);
  utility_.MoveFileToErrorDir(second);
  EXPECT_EQ(ReadFile(ErrorDir() + "/x.xml"), "one");
  EXPECT_EQ(ReadFile(ErrorDir() + "/x1.xml"), "two");
  EXPECT_EQ(first->Path(), ErrorDir() + "/x.xml");
  EXPECT_EQ(second.Name(), "x1.xml");
  EXPECT_FALSE(fs::exists(Dir("in1/~x.xml")));
  EXPECT_FALSE(fs::exists(Dir("in2/~x.xml")));
  EXPECT_FALSE(fs::exists(Dir("in1/x.xml")));
  // The administrator hears of each kept file.
  const std::vector<mail::Message> sent = mail->Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].to, "admin@velmora.test");
  EXPECT_TRUE(Contains(sent[0].body, ErrorDir() + "/x.xml")) << sent[0].body;
  EXPECT_TRUE(Contains(sent[1].body, ErrorDir() + "/x1.xml")) << sent[1].body;
}

TEST_P(UtilityErrorDirTest, AFailedMoveLeavesTheClaimedFileAsItWas) {
  fs::create_directories(Dir("in"));
  FileObject missing("~gone.xml", Dir("in/~gone.xml"), 0, DateTime{});
  const Error failure = RaisedBy([&] { utility_.MoveFileToErrorDir(missing); });
  EXPECT_EQ(failure.number(), kErrFileNotFound);
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.Utility.MoveFileToErrorDir"));
  EXPECT_EQ(missing.Path(), Dir("in/~gone.xml"));
}

// ---- File checks ----

TEST_P(UtilityErrorDirTest, LocalChecksTellFilesFromFolders) {
  WriteFile(Dir("f.xml"), "x");
  EXPECT_TRUE(utility_.FileExist(Dir("f.xml")));
  EXPECT_FALSE(utility_.FileExist(Dir("errors")));
  EXPECT_FALSE(utility_.DirExistOnThisServer(Dir("f.xml")));
  EXPECT_TRUE(utility_.DirExistOnThisServer(Dir("share")));
  EXPECT_TRUE(utility_.DirExist(Dir("share")));
  EXPECT_TRUE(utility_.FileExistAlsoRemote(Dir(""), "f.xml"));
  EXPECT_FALSE(utility_.FileExistAlsoRemote(Dir(""), "g.xml"));
  // Shares resolve on the local route too.
  WriteFile(Dir("share/s.xml"), "x");
  EXPECT_TRUE(utility_.FileExist("\\\\srv\\exchange\\s.xml"));
  EXPECT_TRUE(utility_.DirExistOnThisServer("\\\\SRV\\exchange"));
}

TEST_P(UtilityErrorDirTest, NetworkChecksNeverTouchTheLocalFileSystem) {
  testing::ScopedFakeRemoteFile remote;
  // Not mapped: the local route would raise.
  EXPECT_TRUE(utility_.DirExist("\\\\unmapped\\share\\in"));
  EXPECT_TRUE(utility_.FileExistAlsoRemote("\\\\unmapped\\share\\in", "a.xml"));
  remote->exists = false;
  EXPECT_FALSE(utility_.DirExist("\\\\unmapped\\share"));
  EXPECT_EQ(remote->calls, (std::vector<std::string>{"FolderExists|\\\\unmapped\\share\\in",
                                                     "FileExists|\\\\unmapped\\share\\in\\a.xml",
                                                     "FolderExists|\\\\unmapped\\share"}));
  const Error failure = RaisedBy([&] { utility_.DirExistOnThisServer("\\\\unmapped\\share"); });
  EXPECT_EQ(failure.number(), kErrPathNotFound);
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.Utility.DirExistOnThisServer"));
}

TEST_P(UtilityErrorDirTest, TempPathIsAddedOnlyWithoutDriveShareOrRoot) {
  ScopedEnvironmentVariable tmpdir("TMPDIR", Dir("tmp"));
  for (const char* kept : {"C:\\in\\x.xml", "d:x.xml", "\\\\srv\\share\\x.xml", "/var/x.xml"}) {
    SCOPED_TRACE(kept);
    EXPECT_EQ(utility_.AddTempPathIfNoDriveFound(kept), kept);
  }
  EXPECT_EQ(utility_.AddTempPathIfNoDriveFound("x.xml"), Dir("tmp/x.xml"));
  EXPECT_EQ(utility_.AddTempPathIfNoDriveFound("in\\x.xml"), Dir("tmp/in\\x.xml"));
}

TEST_P(UtilityErrorDirTest, WorkbookEngineIsInstalledWhenItCanServe) {
  const auto engine = std::make_shared<testing::FakeEngine>();
  testing::ScopedSheetEngine installed(engine);
  EXPECT_TRUE(utility_.IsExcelInstalled());
  EXPECT_FALSE(utility_.IsExcelInstalledWithErrRaise());
  EXPECT_FALSE(Logged("workbook engine"));
}

TEST_P(UtilityErrorDirTest, WorkbookEngineThatCannotStartIsNotInstalledAndSaysWhy) {
  const auto engine = std::make_shared<testing::FakeEngine>();
  engine->SetAvailable(false);
  testing::ScopedSheetEngine installed(engine);
  EXPECT_FALSE(utility_.IsExcelInstalled());
  EXPECT_TRUE(Logged("workbook engine cannot be started or reached"));
  const Error failure = RaisedBy([&] { utility_.IsExcelInstalledWithErrRaise(); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::ExcelNotInstalled));
  EXPECT_EQ(failure.source(), "Velmora.Utility.IsExcelInstalledWithErrRaise");
  EXPECT_TRUE(Contains(failure.description(), "Microsoft Excel is not installed on the server"))
      << failure.description();
}

TEST_P(UtilityErrorDirTest, ProgramWithoutWorkbookEngineIsNotInstalled) {
  testing::ScopedSheetEngine none(nullptr);
  EXPECT_FALSE(utility_.IsExcelInstalled());
  EXPECT_TRUE(Logged("no workbook engine"));
  EXPECT_EQ(RaisedBy([&] { utility_.IsExcelInstalledWithErrRaise(); }).number(),
            ErrNumber(EnumerationErrors::ExcelNotInstalled));
}

// ---- Saved errors and arrays ----

TEST_P(UtilityErrorDirTest, StoredErrorComesBackWhole) {
  PendingError current;
  current.Set(
      Error(ErrNumber(EnumerationErrors::FileError), "Velmora.X.Y", "broken", "help.chm", 7));
  utility_.StoreErr(current);
  current.Clear();
  utility_.RestoreErr(current);
  ASSERT_TRUE(current.IsSet());
  EXPECT_EQ(current.error().number(), ErrNumber(EnumerationErrors::FileError));
  EXPECT_EQ(current.error().source(), "Velmora.X.Y");
  EXPECT_EQ(current.error().description(), "broken");
  EXPECT_EQ(current.error().help_file(), "help.chm");
  EXPECT_EQ(current.error().help_context(), 7);
  Utility other;
  other.RestoreErr(current);  // nothing saved in that object: no error
  EXPECT_FALSE(current.IsSet());
}

TEST_P(UtilityErrorDirTest, MakeStringFromArrayJoinsFromLowerToUpperBound) {
  VariantArray one(1);
  one.At(0) = Variant("only");
  EXPECT_EQ(utility_.MakeStringFromArray(Variant(one)), "only");
  VariantArray three(3, 1);
  three.At(1) = Variant("a");
  three.At(2) = Variant(2);
  three.At(3) = Variant("c");
  EXPECT_EQ(utility_.MakeStringFromArray(Variant(three)), "a, 2, c");
  EXPECT_EQ(utility_.MakeStringFromArray(Variant(VariantArray(0))), "");
}

TEST_P(UtilityErrorDirTest, MakeStringFromArrayLogsWhatItCannotJoin) {
  EXPECT_EQ(utility_.MakeStringFromArray(Variant("text")), "");
  VariantArray with_null(2);
  with_null.At(0) = Variant("a");
  with_null.At(1) = Variant::MakeNull();
  EXPECT_EQ(utility_.MakeStringFromArray(Variant(with_null)), "");
  EXPECT_EQ(utility_.MakeStringFromArray(Variant(VariantArray::TwoDimensional(2, 2))), "");
  size_t logged = 0;
  for (const auto& entry : log_->entries()) {
    logged += Contains(entry.text, "Velmora.Utility.MakeStringFromArray caught: ") ? 1 : 0;
  }
  EXPECT_EQ(logged, 3u);
}

TEST_P(UtilityErrorDirTest, ConvertArrayToListJoinsFromZeroAndIgnoresNonArrays) {
  EXPECT_EQ(utility_.ConvertArrayToList(Variant("a, b")), "");
  EXPECT_EQ(utility_.ConvertArrayToList(Variant()), "");
  VariantArray two(2);
  two.At(0) = Variant("a");
  two.At(1) = Variant("b");
  EXPECT_EQ(utility_.ConvertArrayToList(Variant(two)), "a, b");
  VariantArray one(1);
  one.At(0) = Variant("a");
  EXPECT_EQ(utility_.ConvertArrayToList(Variant(one)), "a");
  EXPECT_EQ(utility_.ConvertArrayToList(Variant(VariantArray(0))), "");
  const Error failure = RaisedBy([&] { utility_.ConvertArrayToList(Variant(VariantArray(2, 1))); });
  EXPECT_EQ(failure.number(), kErrSubscriptOutOfRange);
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.Utility.ConvertArrayToList"));
}

// ---- Through the automation layer ----

class UtilityErrorDirCallTest : public UtilityErrorDirTest {
 protected:
  void SetUpDatabase() override {
    UtilityErrorDirTest::SetUpDatabase();
    automation::RegisterAllClasses();
    automation::RegisterAllClasses();
  }
};

TEST_P(UtilityErrorDirCallTest, WritesIntoTheErrorFolderAndHandsTheNameBack) {
  const automation::CallReply reply = automation::CallAndReply(
      "Velmora.Utility", "WriteXmlFileToErrorDir", {Variant("<a/>"), Variant("~y.xml")});
  EXPECT_FALSE(reply.failed) << reply.json;
  EXPECT_TRUE(Contains(reply.json, R"("args":["<a/>","y.xml"])")) << reply.json;
  EXPECT_TRUE(fs::exists(ErrorDir() + "/y.xml"));
}

TEST_P(UtilityErrorDirCallTest, MovesAFileNamedByItsPath) {
  WriteFile(Dir("~m.xml"), "m");
  const automation::CallReply reply =
      automation::CallAndReply("Velmora.Utility", "MoveFileToErrorDir", {Variant(Dir("~m.xml"))});
  EXPECT_FALSE(reply.failed) << reply.json;
  EXPECT_EQ(ReadFile(ErrorDir() + "/m.xml"), "m");
}

TEST_P(UtilityErrorDirCallTest, JoinsJsonArrays) {
  EXPECT_EQ(automation::CallAndReply("Velmora.Utility", "ConvertArrayToList",
                                     {automation::ArgumentFromText(R"(["a","b"])")})
                .json,
            R"({"result":"a, b","args":[["a","b"]]})");
  EXPECT_EQ(automation::CallAndReply("Velmora.Utility", "AddTempPathIfNoDriveFound",
                                     {Variant("C:\\x.xml")})
                .json,
            R"({"result":"C:\\x.xml","args":["C:\\x.xml"]})");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UtilityErrorDirTest);
VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UtilityErrorDirCallTest);

}  // namespace
}  // namespace velmora
