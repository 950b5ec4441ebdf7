#include "velmora/core/file_handling.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "automation/call_service.h"
#include "automation/registration.h"
#include "support/expectations.h"
#include "support/fake_remote_file.h"
#include "support/scoped_environment.h"
#include "support/site_folder_test.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::FixedGuids;
using testing::RaisedBy;
using testing::ReadFile;
using testing::ScopedEnvironmentVariable;
using testing::WriteFile;

// FileHandling on a seeded installation: parameters in the database, the share "\\srv\exchange"
// and the drive "D:" mapped by the site configuration into the test's own folder, a fixed clock.
class FileHandlingTest : public testing::SiteFolderTest {
 protected:
  FileHandlingTest() : SiteFolderTest(DateTime{2003, 3, 5, 14, 7, 9}) {}

  void SetUpDatabase() override {
    SiteFolderTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    MapSiteFolders({{"\\\\Srv\\Exchange", "share"}}, {{"D:", "drive"}});
  }

  FileHandling files_;
};

// ---- Folder names ----

TEST_P(FileHandlingTest, TimeStampedFolderNameUsesTheClock) {
  EXPECT_EQ(files_.GetFolderName(EFolderType::WithTimeStamp, "Run"), "Run_2003.03.05_14.07.09");
  clock_.now = DateTime{2026, 12, 7, 1, 2, 3};
  EXPECT_EQ(files_.GetFolderName(EFolderType::WithTimeStamp, "Run"), "Run_2026.12.07_01.02.03");
}

TEST_P(FileHandlingTest, UnknownFolderTypeGivesTheTrimmedNameOrADot) {
  const auto unknown = static_cast<EFolderType>(99);
  EXPECT_EQ(files_.GetFolderName(unknown, ""), ".");
  EXPECT_EQ(files_.GetFolderName(unknown, "   "), ".");
  EXPECT_EQ(files_.GetFolderName(unknown, "x"), "x");
  EXPECT_EQ(files_.GetFolderName(unknown, "  x  "), "x");
  EXPECT_EQ(files_.GetFolderName(static_cast<EFolderType>(0)), ".");
}

TEST_P(FileHandlingTest, AsIsKeepsTheNameUntouched) {
  EXPECT_EQ(files_.GetFolderName(EFolderType::AsIs, "  C:\\in  "), "  C:\\in  ");
}

TEST_P(FileHandlingTest, ParameterFoldersComeFromTheirParametersTrimmed) {
  const std::vector<std::pair<EFolderType, std::string>> table = {
      {EFolderType::UploadFolder, "XmlUploadTempDir"},
      {EFolderType::ErrorFolder, "ErrorPath"},
      {EFolderType::XmlPath1Folder, "XMLPath1"},
      {EFolderType::XmlPath2Folder, "XMLPath2"},
      {EFolderType::XmlErrorFolder, "XMLErrorPath"},
      {EFolderType::ObiFolder, "ObiPath"},
      {EFolderType::AttachmentsVirtualFolder, "AttachmentsVirtualPath"}};
  for (const auto& [type, parameter] : table) {
    SetParameter(parameter, "  value of " + parameter + "  ");
  }
  for (const auto& [type, parameter] : table) {
    SCOPED_TRACE(parameter);
    EXPECT_EQ(files_.GetFolderName(type, "ignored"), "value of " + parameter);
  }
}

TEST_P(FileHandlingTest, MissingParameterIsReportedThroughGetFolderName) {
  Exec("DELETE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'ObiPath'");
  const Error failure = RaisedBy([&] { files_.GetFolderName(EFolderType::ObiFolder); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::MissingParameter));
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.FileHandling.GetFolderName caught:"))
      << failure.description();
}

TEST_P(FileHandlingTest, SystemFoldersMapToTheInstallationAndTheTemporaryFolder) {
  EXPECT_EQ(files_.GetFolderName(EFolderType::WindowsFolder), Home());
  EXPECT_EQ(files_.GetFolderName(EFolderType::SystemFolder), Home() + "/plugins");
  ScopedEnvironmentVariable tmpdir("TMPDIR", Dir("tmp") + "/");
  EXPECT_EQ(files_.GetFolderName(EFolderType::TempFolder), Dir("tmp"));
  tmpdir.Set("");
  EXPECT_EQ(files_.GetFolderName(EFolderType::TempFolder), "/tmp");
}

TEST_P(FileHandlingTest, ExcelTempFolderIsCreatedWhenMissing) {
  SetParameter("ExcelTempFolder", Dir("excel/a/b/"));
  EXPECT_EQ(files_.GetFolderName(EFolderType::ExcelTempFolder), Dir("excel/a/b/"));
  EXPECT_TRUE(fs::is_directory(Dir("excel/a/b")));
  EXPECT_EQ(files_.GetFolderName(EFolderType::ExcelTempFolder), Dir("excel/a/b/"));
}

// ---- File names ----

TEST_P(FileHandlingTest, FileNamesAreBuiltFromTrimmedPieces) {
  EXPECT_EQ(files_.GetFileName(EFileType::AsIs, " in_ ", " order ", " _v1 ", " .xml "),
            "in_order_v1.xml");
  FixedGuids guids;
  ScopedGuidSource scoped(guids);
  EXPECT_EQ(files_.GetFileName(EFileType::TempFile, "p_", "ignored", "_s", ".xml"),
            "p_radABCDE.tmp_s.xml");
  EXPECT_EQ(files_.GetFileName(EFileType::WithTimeStamp, "p_", "Run", "_s", ".xml"),
            "p_Run_2003.03.05_14.07.09_s.xml");
}

TEST_P(FileHandlingTest, BackupAndUnknownFileTypesGiveNoName) {
  EXPECT_EQ(files_.GetFileName(EFileType::Backup, "p", "n", "s", ".xml"), "");
  EXPECT_EQ(files_.GetFileName(static_cast<EFileType>(99), "p", "n", "s", ".xml"), "");
}

TEST_P(FileHandlingTest, ExtensionIsLowerCaseWithoutDot) {
  EXPECT_EQ(files_.GetFileExtension("C:\\in\\Order.XML"), "xml");
  EXPECT_EQ(files_.GetFileExtension("/in/archive.tar.GZ"), "gz");
  EXPECT_EQ(files_.GetFileExtension("/in.d/noext"), "");
  EXPECT_EQ(files_.GetFileExtension(""), "");
}

TEST_P(FileHandlingTest, BaseNameDropsFolderAndExtension) {
  EXPECT_EQ(files_.GetBaseName("C:\\in\\a.b.xml"), "a.b");
  EXPECT_EQ(files_.GetBaseName("\\\\srv\\share\\order.xml"), "order");
  EXPECT_EQ(files_.GetBaseName("/var/in/"), "in");
  EXPECT_EQ(files_.GetBaseName(""), "");
  EXPECT_EQ(files_.GetBaseName("   "), "");
}

TEST_P(FileHandlingTest, FolderNamesAreValidUnlessTheyHoldReservedCharacters) {
  EXPECT_TRUE(files_.IsValidFolderName(""));
  EXPECT_FALSE(files_.IsValidFolderName("C:\\x"));
  for (const char* bad : {"a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a:b"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(files_.IsValidFolderName(bad));
  }
  EXPECT_TRUE(files_.IsValidFolderName("\\\\srv\\share\\in"));
  EXPECT_TRUE(files_.IsValidFolderName("/var/in/../out"));
  EXPECT_FALSE(files_.IsValidFolderName("caf\xE9"));
}

TEST_P(FileHandlingTest, UniqueFileNameCountsPastTakenNames) {
  fs::create_directories(Dir("u"));
  EXPECT_EQ(files_.GetUniqueFileName(Dir("u"), "a.xml"), Dir("u/a.xml"));
  WriteFile(Dir("u/a.xml"), "x");
  WriteFile(Dir("u/a_1.xml"), "x");
  EXPECT_EQ(files_.GetUniqueFileName(Dir("u"), "a.xml"), Dir("u/a_2.xml"));
  fs::create_directory(Dir("u/a_2.xml"));  // a folder takes the name too
  EXPECT_EQ(files_.GetUniqueFileName(Dir("u") + "/", "a.xml"), Dir("u/a_3.xml"));
  WriteFile(Dir("u/plain"), "x");
  EXPECT_EQ(files_.GetUniqueFileName(Dir("u"), "plain"), Dir("u/plain_1"));
  EXPECT_EQ(files_.GetUniqueFileName("D:\\out", "a.xml"), "D:\\out\\a.xml");
}

TEST_P(FileHandlingTest, UniqueFileNameRefusesAnythingButAPlainName) {
  for (const std::string bad :
       {"", "..", ".", "/etc/passwd", "sub/a.xml", "..\\a.xml", "C:a.xml", "caf\xE9.xml"}) {
    SCOPED_TRACE(bad);
    const Error failure = RaisedBy([&] { files_.GetUniqueFileName(Dir(""), bad); });
    EXPECT_EQ(failure.number(), 52);
    EXPECT_EQ(failure.source(), "Velmora.FileHandling.GetUniqueFileName");
  }
}

// ---- WriteFileToDisk ----

TEST_P(FileHandlingTest, BlankDestinationIsAMissingParameterOfTheDestFile) {
  const Error failure = RaisedBy([&] { files_.WriteFileToDisk("   ", "text"); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::MissingParameter));
  EXPECT_EQ(failure.source(), "Velmora.FileHandling.WriteFileToDisk_DestFile");
  EXPECT_EQ(failure.description(),
            "\r\nMETHOD: Velmora.FileHandling.WriteFileToDisk caught: The name of the "
            "destination file is missing.(800401FE).");
}

TEST_P(FileHandlingTest, ReadingModeIsRefused) {
  const Error failure =
      RaisedBy([&] { files_.WriteFileToDisk(Dir("a.txt"), "x", "", false, true, false, 1); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::WrongIOMode));
  EXPECT_EQ(failure.source(), "Velmora.FileHandling.WriteFileToDisk");
  EXPECT_TRUE(Contains(failure.description(), "A file cannot be written when it is opened"));
  EXPECT_FALSE(fs::exists(Dir("a.txt")));
}

TEST_P(FileHandlingTest, BothSourcesRaiseNotPresentBeforeTouchingTheDestination) {
  WriteFile(Dir("dest.txt"), "keep");
  // The source file does not exist and the destination may not be overwritten: the two
  // sources are refused first.
  const Error failure =
      RaisedBy([&] { files_.WriteFileToDisk(Dir("dest.txt"), "text", Dir("missing.txt"), false); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_EQ(failure.source(), "Velmora.FileHandling.WriteFileToDisk_SourceFile");
  EXPECT_TRUE(Contains(failure.description(), "Give either a text or a source file"));
  EXPECT_EQ(ReadFile(Dir("dest.txt")), "keep");
  const Error fresh =
      RaisedBy([&] { files_.WriteFileToDisk(Dir("new/dest.txt"), "t", Dir("src"), true); });
  EXPECT_EQ(fresh.number(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_FALSE(fs::exists(Dir("new")));
}

TEST_P(FileHandlingTest, ChecksComeInTheirOrder) {
  // Every condition from the I/O mode on holds; removing them one by one shows the order.
  WriteFile(Dir("dest.txt"), "keep");
  const std::string missing_folder_dest = Dir("nofolder/x.txt");
  struct Step {
    std::function<void()> call;
    EnumerationErrors number;
    std::string source;
  };
  const std::string path = "Velmora.FileHandling.WriteFileToDisk";
  const std::vector<Step> steps = {
      {[&] { files_.WriteFileToDisk(Dir("dest.txt"), "t", Dir("none"), false, false, false, 1); },
       EnumerationErrors::WrongIOMode, path},
      {[&] { files_.WriteFileToDisk(Dir("dest.txt"), "t", Dir("none"), false, false, false, 2); },
       EnumerationErrors::NotPresent, path + "_SourceFile"},
      {[&] { files_.WriteFileToDisk(Dir("dest.txt"), "", Dir("none"), false, false, false, 2); },
       EnumerationErrors::NotPresent, path + "_SourceFile"},
      {[&] { files_.WriteFileToDisk(missing_folder_dest, "t", "", false, false, false, 2); },
       EnumerationErrors::NotPresent, path + "_DestFile"},
      {[&] { files_.WriteFileToDisk(Dir("dest.txt"), "t", "", false, true, false, 2); },
       EnumerationErrors::AlreadyPresent, path},
      {[&] { files_.WriteFileToDisk(missing_folder_dest, "t", "", false, true, false, 2); },
       EnumerationErrors::NotPresent, path + "_DestFolder"},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    const Error failure = RaisedBy(steps[i].call);
    EXPECT_EQ(failure.number(), ErrNumber(steps[i].number));
    EXPECT_EQ(failure.source(), steps[i].source);
  }
  EXPECT_EQ(ReadFile(Dir("dest.txt")), "keep");
  EXPECT_FALSE(fs::exists(Dir("nofolder")));
}

TEST_P(FileHandlingTest, MessagesNameTheTrimmedFileAndFolder) {
  WriteFile(Dir("dest.txt"), "keep");
  EXPECT_TRUE(Contains(RaisedBy([&] {
                         files_.WriteFileToDisk(Dir("dest.txt"), "", "  " + Dir("none") + "  ");
                       }).description(),
                       "The file '" + Dir("none") + "' does not exist."));
  EXPECT_TRUE(Contains(
      RaisedBy([&] { files_.WriteFileToDisk(" " + Dir("dest.txt") + " ", "t"); }).description(),
      "The file '" + Dir("dest.txt") + "' already exists."));
  EXPECT_TRUE(
      Contains(RaisedBy([&] { files_.WriteFileToDisk(Dir("no/x.txt"), "t"); }).description(),
               "The folder '" + Dir("no") + "' does not exist."));
}

TEST_P(FileHandlingTest, FileNamesAreUsedTrimmed) {
  WriteFile(Dir("src.txt"), "S");
  files_.WriteFileToDisk("  " + Dir("t.txt") + " ", "x");
  EXPECT_EQ(ReadFile(Dir("t.txt")), "x");
  files_.WriteFileToDisk(Dir("c.txt"), "", " " + Dir("src.txt") + " ");
  EXPECT_EQ(ReadFile(Dir("c.txt")), "S");
}

TEST_P(FileHandlingTest, WritesTextAsWindows1252) {
  files_.WriteFileToDisk(Dir("out.txt"), "caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD");
  EXPECT_EQ(ReadFile(Dir("out.txt")), "caf\xE9 \x80 ?");
  files_.WriteFileToDisk(Dir("out.txt"), "new", "", false, true, true);
  EXPECT_EQ(ReadFile(Dir("out.txt")), "new");
  files_.WriteFileToDisk(Dir("out.txt"), "+more", "", false, true, true, kIoModeAppending);
  EXPECT_EQ(ReadFile(Dir("out.txt")), "new+more");
}

TEST_P(FileHandlingTest, CreatesMissingFoldersWhenAsked) {
  files_.WriteFileToDisk(Dir("a/b/c/out.txt"), "x", "", true);
  EXPECT_EQ(ReadFile(Dir("a/b/c/out.txt")), "x");
}

TEST_P(FileHandlingTest, AFileWhereTheFolderShouldBeFails) {
  WriteFile(Dir("blocker"), "x");
  const Error failure =
      RaisedBy([&] { files_.WriteFileToDisk(Dir("blocker/out.txt"), "x", "", true); });
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.FileHandling.CreateFolderTree"));
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.FileHandling.WriteFileToDisk"));
  EXPECT_EQ(ReadFile(Dir("blocker")), "x");
}

TEST_P(FileHandlingTest, CopiesASourceFileByteForByte) {
  const std::string bytes("\x00\xFF\xFE binary", 10);
  WriteFile(Dir("src.bin"), bytes);
  files_.WriteFileToDisk(Dir("copy.bin"), "", Dir("src.bin"));
  EXPECT_EQ(ReadFile(Dir("copy.bin")), bytes);
  files_.WriteFileToDisk(Dir("copy.bin"), "", Dir("src.bin"), false, true, true);
  EXPECT_EQ(ReadFile(Dir("copy.bin")), bytes);
}

TEST_P(FileHandlingTest, AppendsASourceFileReadAsTextAndWrittenAsAnsi) {
  WriteFile(Dir("dest.txt"), "A:");
  WriteFile(Dir("utf8.txt"), "caf\xC3\xA9");
  WriteFile(Dir("ansi.txt"), "na\xEFve");
  files_.WriteFileToDisk(Dir("dest.txt"), "", Dir("utf8.txt"), false, true, true, kIoModeAppending);
  files_.WriteFileToDisk(Dir("dest.txt"), "", Dir("ansi.txt"), false, true, true, kIoModeAppending);
  EXPECT_EQ(ReadFile(Dir("dest.txt")), "A:caf\xE9na\xEFve");
}

TEST_P(FileHandlingTest, NeitherTextNorSourceFileIsACopyOfNothing) {
  EXPECT_EQ(RaisedBy([&] { files_.WriteFileToDisk(Dir("e.txt")); }).number(), kErrFileNotFound);
  EXPECT_FALSE(fs::exists(Dir("e.txt")));
}

TEST_P(FileHandlingTest, AnUnknownModeWithTextIsAnInvalidCall) {
  const Error failure =
      RaisedBy([&] { files_.WriteFileToDisk(Dir("o.txt"), "x", "", false, true, false, 3); });
  EXPECT_EQ(failure.number(), kErrInvalidProcedureCall);
  EXPECT_FALSE(fs::exists(Dir("o.txt")));
}

TEST_P(FileHandlingTest, WritesThroughSharesAndDrivesButNeverOutsideThem) {
  files_.WriteFileToDisk("\\\\srv\\exchange\\out\\a.xml", "<a/>", "", true);
  EXPECT_EQ(ReadFile(Dir("share/out/a.xml")), "<a/>");
  files_.WriteFileToDisk("D:\\b.xml", "<b/>");
  EXPECT_EQ(ReadFile(Dir("drive/b.xml")), "<b/>");
  const Error failure =
      RaisedBy([&] { files_.WriteFileToDisk("\\\\srv\\exchange\\..\\escaped.xml", "x"); });
  EXPECT_EQ(failure.number(), kErrPermissionDenied);
  EXPECT_FALSE(fs::exists(Dir("escaped.xml")));
}

// ---- Folders ----

TEST_P(FileHandlingTest, CreatesEveryMissingFolder) {
  files_.CreateFolderTree(Dir("t/a/b/c"));
  EXPECT_TRUE(fs::is_directory(Dir("t/a/b/c")));
  files_.CreateFolderTree(Dir("t/a/b/c/"));
  files_.CreateFolderTree("D:\\x\\y");
  EXPECT_TRUE(fs::is_directory(Dir("drive/x/y")));
}

TEST_P(FileHandlingTest, CreatesAt127MissingLevelsAndFailsBeyond) {
  std::string deep = Dir("deep");
  for (int i = 1; i < 127; ++i) {
    deep += "/d";
  }
  files_.CreateFolderTree(deep);  // 127 missing levels
  EXPECT_TRUE(fs::is_directory(deep));
  std::string deeper = Dir("deeper");
  for (int i = 1; i < 128; ++i) {
    deeper += "/d";
  }
  const Error failure = RaisedBy([&] { files_.CreateFolderTree(deeper); });  // 128 levels
  EXPECT_EQ(failure.number(), kErrPathNotFound);
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.FileHandling.CreateFolderTree"));
  EXPECT_FALSE(fs::exists(Dir("deeper")));
}

TEST_P(FileHandlingTest, FolderTreeThroughAFileFails) {
  WriteFile(Dir("file"), "x");
  EXPECT_EQ(RaisedBy([&] { files_.CreateFolderTree(Dir("file/sub")); }).number(),
            kErrFileAlreadyExists);
}

TEST_P(FileHandlingTest, ListsFileNamesOnly) {
  fs::create_directories(Dir("list/sub"));
  WriteFile(Dir("list/a.xml"), "x");
  WriteFile(Dir("list/b.txt"), "x");
  auto names = files_.getFileNamesInFolder(Dir("list"));
  ASSERT_NE(names, nullptr);
  std::vector<std::string> listed;
  for (const Variant& name : names->items()) {
    listed.push_back(name.ToText());
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"a.xml", "b.txt"}));
  fs::create_directories(Dir("empty"));
  auto none = files_.getFileNamesInFolder(Dir("empty"));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->Count(), 0u);
}

TEST_P(FileHandlingTest, ListingAMissingFolderReportsUnderGetFilesInFolder) {
  const Error failure = RaisedBy([&] { files_.getFileNamesInFolder(Dir("none")); });
  EXPECT_EQ(failure.number(), kErrPathNotFound);
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.FileHandling.GetFilesInFolder"));
  EXPECT_EQ(RaisedBy([&] { files_.getFilesInFolder(Dir("none")); }).number(), kErrPathNotFound);
}

TEST_P(FileHandlingTest, NamesThatAreNotUtf8AreLeftOutWithAWarning) {
  fs::create_directories(Dir("mixed"));
  WriteFile(Dir("mixed/good.xml"), "x");
  WriteFile(Dir("mixed/caf\xE9.xml"), "x");
  auto names = files_.getFileNamesInFolder(Dir("mixed"));
  ASSERT_EQ(names->Count(), 1u);
  EXPECT_EQ(names->Item(1).ToText(), "good.xml");
  EXPECT_EQ(files_.getFilesInFolder(Dir("mixed"))->Count(), 1u);
  bool warned = false;
  for (const auto& entry : log_->entries()) {
    warned = warned || Contains(entry.text, "not valid UTF-8 and are left out");
  }
  EXPECT_TRUE(warned);
}

TEST_P(FileHandlingTest, FileObjectsCarryNameDrivePathSizeAndDate) {
  fs::create_directories(Dir("drive/in/sub"));
  WriteFile(Dir("drive/in/a.xml"), "12345");
  auto found = files_.getFilesInFolder("D:\\in");
  ASSERT_EQ(found->Count(), 1u);
  auto file = found->Item(1).As<FileObject>();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Name(), "a.xml");
  EXPECT_EQ(file->Path(), "D:\\in\\a.xml");
  EXPECT_EQ(file->Size(), 5);
  EXPECT_TRUE(file->DateLastModified().IsValid());
}

TEST_P(FileHandlingTest, DeletesAFolderWithItsFilesAndIgnoresAMissingOne) {
  fs::create_directories(Dir("gone/sub"));
  WriteFile(Dir("gone/a"), "x");
  WriteFile(Dir("gone/sub/b"), "x");
  files_.deleteFolderAndFilesInFolder(Dir("gone"));
  EXPECT_FALSE(fs::exists(Dir("gone")));
  files_.deleteFolderAndFilesInFolder(Dir("gone"));
}

TEST_P(FileHandlingTest, DeletesFilesAndIgnoresABlankName) {
  files_.DeleteFileFromDisk("   ");
  WriteFile(Dir("f"), "x");
  files_.DeleteFileFromDisk(Dir("f"));
  EXPECT_FALSE(fs::exists(Dir("f")));
  const Error failure = RaisedBy([&] { files_.DeleteFileFromDisk(Dir("f")); });
  EXPECT_EQ(failure.number(), kErrFileNotFound);
  EXPECT_TRUE(Contains(failure.description(), "METHOD: Velmora.FileHandling.DeleteFileFromDisk"));
}

TEST_P(FileHandlingTest, MovesAndCopiesLocally) {
  fs::create_directories(Dir("to"));
  WriteFile(Dir("a"), "A");
  files_.CopyFile(Dir("a"), Dir("to/"), false);
  EXPECT_EQ(ReadFile(Dir("to/a")), "A");
  EXPECT_EQ(RaisedBy([&] { files_.CopyFile(Dir("a"), Dir("to/a"), false); }).number(),
            kErrFileAlreadyExists);
  files_.CopyFile(Dir("a"), Dir("to/a"), true);
  EXPECT_EQ(RaisedBy([&] { files_.MoveFile(Dir("a"), Dir("to/a")); }).number(),
            kErrFileAlreadyExists);
  files_.MoveFile(Dir("a"), Dir("to/b"));
  EXPECT_FALSE(fs::exists(Dir("a")));
  EXPECT_EQ(ReadFile(Dir("to/b")), "A");
}

TEST_P(FileHandlingTest, ExistenceChecksTellFilesFromFolders) {
  WriteFile(Dir("f"), "x");
  EXPECT_TRUE(files_.FileExists(Dir("f")));
  EXPECT_FALSE(files_.FolderExists(Dir("f")));
  EXPECT_TRUE(files_.FolderExists(Dir("")));
  EXPECT_FALSE(files_.FileExists(Dir("none")));
  EXPECT_TRUE(files_.FolderExists("D:\\"));
}

TEST_P(FileHandlingTest, UnmappedDriveOrShareIsAnErrorNamingIt) {
  const Error drive = RaisedBy([&] { files_.FileExists("Q:\\in\\a.xml"); });
  EXPECT_EQ(drive.number(), kErrPathNotFound);
  EXPECT_TRUE(Contains(drive.description(), "'Q:'"));
  EXPECT_TRUE(Contains(drive.description(), "METHOD: Velmora.FileHandling.FileExists"));
  const Error share = RaisedBy([&] { files_.CopyFile(Dir("x"), "//nobody/share/a.xml", true); });
  EXPECT_TRUE(Contains(share.description(), "'//nobody/share'")) << share.description();
}

// ---- Text ----

TEST_P(FileHandlingTest, ReadsWholeFilesInEveryEncodingAsUtf8) {
  const std::string big(5000, 'x');
  WriteFile(Dir("utf8.txt"), big + "caf\xC3\xA9");
  EXPECT_EQ(files_.GetFileContentAsString(Dir("utf8.txt")), big + "caf\xC3\xA9");
  WriteFile(Dir("ansi.txt"), "caf\xE9 \x80");
  EXPECT_EQ(files_.GetFileContentAsString(Dir("ansi.txt")), "caf\xC3\xA9 \xE2\x82\xAC");
  files_.createTextFile("\xE2\x82\xAC\xF0\x9F\x98\x80", Dir("uni.txt"), true);
  EXPECT_EQ(files_.GetFileContentAsString(Dir("uni.txt")), "\xE2\x82\xAC\xF0\x9F\x98\x80");
  WriteFile(Dir("empty.txt"), "");
  EXPECT_EQ(files_.GetFileContentAsString(Dir("empty.txt")), "");
}

TEST_P(FileHandlingTest, UnreadableFileIsCannotLoadFileNamingItAsPassed) {
  for (const std::string& name :
       std::vector<std::string>{" " + Dir("none.txt"), Dir(""), "\\\\nobody\\x\\a.xml"}) {
    SCOPED_TRACE(name);
    const Error failure = RaisedBy([&] { files_.GetFileContentAsString(name); });
    EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
    EXPECT_EQ(failure.source(), "Velmora.FileHandling.GetFileContentAsString");
    EXPECT_TRUE(Contains(failure.description(), "The file '" + name + "' could not be loaded"))
        << failure.description();
  }
}

TEST_P(FileHandlingTest, TextFilesAreUnicodeWithByteOrderMarkOrAnsi) {
  files_.createTextFile("A\xE2\x82\xAC", Dir("u.txt"), true);
  EXPECT_EQ(ReadFile(Dir("u.txt")), std::string("\xFF\xFE\x41\x00\xAC\x20", 6));
  files_.createTextFile("A\xE2\x82\xAC\xE4\xB8\xAD", Dir("u.txt"), false);
  EXPECT_EQ(ReadFile(Dir("u.txt")), "A\x80?");
}

// ---- Network paths ----

TEST_P(FileHandlingTest, MoveToAShareGoesThroughTheFileComponent) {
  testing::ScopedFakeRemoteFile remote;
  WriteFile(Dir("local.xml"), "x");
  files_.MoveFile(Dir("local.xml"), "\\\\srv\\exchange\\in\\local.xml");
  EXPECT_EQ(remote->calls, (std::vector<std::string>{"MoveFile|" + Dir("local.xml") +
                                                     "|\\\\srv\\exchange\\in\\local.xml"}));
  EXPECT_TRUE(fs::exists(Dir("local.xml")));
  EXPECT_FALSE(fs::exists(Dir("share/in/local.xml")));
}

TEST_P(FileHandlingTest, EveryRemoteOperationTakesTheComponentForNetworkPaths) {
  testing::ScopedFakeRemoteFile remote;
  remote->exists = false;
  remote->names = {"r1.xml"};
  const std::string unc = "\\\\srv\\exchange\\x";
  files_.CreateFolderTree(unc);
  EXPECT_EQ(files_.getFileNamesInFolder(unc)->Item(1).ToText(), "r1.xml");
  files_.deleteFolderAndFilesInFolder(unc);
  files_.DeleteFileFromDisk(unc);
  EXPECT_FALSE(files_.FileExists(unc));
  EXPECT_FALSE(files_.FolderExists(unc));
  files_.CopyFile(unc, Dir("c"), true);
  files_.MoveFile(Dir("m"), unc);
  files_.createTextFile("t", unc, true);
  EXPECT_EQ(remote->calls,
            (std::vector<std::string>{
                "CreateFolderTree|" + unc, "GetFileNamesInFolder|" + unc,
                "DeleteFolderAndFiles|" + unc, "DeleteFile|" + unc, "FileExists|" + unc,
                "FolderExists|" + unc, "CopyFile|" + unc + "|" + Dir("c") + "|true",
                "MoveFile|" + Dir("m") + "|" + unc, "CreateTextFile|t|" + unc + "|true"}));
}

TEST_P(FileHandlingTest, ForwardSlashNetworkPathsStayOnTheLocalRoute) {
  testing::ScopedFakeRemoteFile remote;
  WriteFile(Dir("share/a.xml"), "x");
  EXPECT_TRUE(files_.FileExists("//srv/exchange/a.xml"));
  EXPECT_TRUE(remote->calls.empty());
}

TEST_P(FileHandlingTest, TheRealFileComponentServesMappedShares) {
  files_.CreateFolderTree("\\\\srv\\exchange\\in\\sub");
  EXPECT_TRUE(fs::is_directory(Dir("share/in/sub")));
  EXPECT_TRUE(files_.FolderExists("\\\\SRV\\EXCHANGE\\in"));
  files_.createTextFile("x", "\\\\srv\\exchange\\in\\t.txt", false);
  EXPECT_EQ(ReadFile(Dir("share/in/t.txt")), "x");
  EXPECT_EQ(RaisedBy([&] { files_.DeleteFileFromDisk("\\\\srv\\exchange\\..\\x"); }).number(),
            kErrPermissionDenied);
}

TEST_P(FileHandlingTest, AMissingFileComponentIsObjectRequired) {
  core::ScopedComponent broken(files::RemoteFile::kProgId, []() -> ObjectRef { return nullptr; });
  const Error failure = RaisedBy([&] { files_.FolderExists("\\\\srv\\exchange"); });
  EXPECT_EQ(failure.number(), kErrObjectRequired);
  EXPECT_TRUE(Contains(failure.description(), "D2ORiro.File"));
}

// ---- Through the automation layer ----

class FileHandlingCallTest : public FileHandlingTest {
 protected:
  void SetUpDatabase() override {
    FileHandlingTest::SetUpDatabase();
    automation::RegisterAllClasses();
    automation::RegisterAllClasses();
  }
};

TEST_P(FileHandlingCallTest, CallsByNameWithOptionalArguments) {
  EXPECT_EQ(automation::CallAndReply("Velmora.FileHandling", "GetFolderName",
                                     {Variant(99), Variant("  x ")})
                .json,
            R"({"result":"x","args":[99,"  x "]})");
  EXPECT_EQ(automation::CallAndReply("Velmora.FileHandling", "GetFolderName", {Variant(11)}).json,
            R"({"result":"_2003.03.05_14.07.09","args":[11]})");
  EXPECT_EQ(
      automation::CallAndReply("Velmora.FileHandling", "isvalidfoldername", {Variant("C:\\x")})
          .json,
      R"({"result":false,"args":["C:\\x"]})");
}

TEST_P(FileHandlingCallTest, WritesAndReportsThroughTheAutomationLayer) {
  const automation::CallReply written = automation::CallAndReply(
      "Velmora.FileHandling", "WriteFileToDisk",
      {Variant(Dir("auto/a.txt")), Variant("hi"), Variant(""), Variant(true)});
  EXPECT_FALSE(written.failed) << written.json;
  EXPECT_EQ(ReadFile(Dir("auto/a.txt")), "hi");
  const automation::CallReply refused =
      automation::CallAndReply("Velmora.FileHandling", "WriteFileToDisk", {Variant("")});
  EXPECT_TRUE(refused.failed);
  EXPECT_TRUE(Contains(refused.json, R"("source":"Velmora.FileHandling.WriteFileToDisk_DestFile")"))
      << refused.json;
  const automation::CallReply listed = automation::CallAndReply(
      "Velmora.FileHandling", "getFileNamesInFolder", {Variant(Dir("auto"))});
  EXPECT_TRUE(Contains(listed.json, R"("result":["a.txt"])")) << listed.json;
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(FileHandlingTest);
VELMORA_INSTANTIATE_DB_ENGINE_TESTS(FileHandlingCallTest);

}  // namespace
}  // namespace velmora
