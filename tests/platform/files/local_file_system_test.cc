#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <functional>

#include "platform/files/file_system.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::files {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// The contract of FileSystem, on the file system of this machine. Paths go through a resolver
// that maps the share "\\srv\data" and the drive "D:" into the test's folder.
class LocalFileSystemTest : public ::testing::Test {
 protected:
  LocalFileSystemTest() {
    std::filesystem::create_directories(temp_ / "share");
    std::filesystem::create_directories(temp_ / "drive");
    PathMaps maps;
    maps.shares = {{"\\\\srv\\data", temp_ / "share"}};
    maps.drives = {{"D:", temp_ / "drive"}};
    fs_ = NewLocalFileSystem(PathResolver(maps));
  }

  int32_t NumberOf(const std::function<void()>& operation) {
    try {
      operation();
    } catch (const Error& failure) {
      EXPECT_EQ(failure.source(), "Velmora.Files");
      return failure.number();
    }
    return 0;
  }

  TempFolder temp_;
  std::unique_ptr<FileSystem> fs_;
};

TEST_F(LocalFileSystemTest, WritesReplaceAppendAndCreateOnlyNew) {
  const std::string file = temp_ / "a.txt";
  fs_->WriteFile(file, "one", WriteMode::kReplace);
  fs_->WriteFile(file, "two", WriteMode::kReplace);
  EXPECT_EQ(ReadFile(file), "two");
  fs_->WriteFile(file, "+three", WriteMode::kAppend);
  EXPECT_EQ(fs_->ReadFile(file), "two+three");
  EXPECT_EQ(NumberOf([&] { fs_->WriteFile(file, "x", WriteMode::kCreateNew); }),
            kErrFileAlreadyExists);
  EXPECT_EQ(ReadFile(file), "two+three");
  fs_->WriteFile(temp_ / "new.txt", std::string("\0b", 2), WriteMode::kCreateNew);
  EXPECT_EQ(ReadFile(temp_ / "new.txt"), std::string("\0b", 2));
}

TEST_F(LocalFileSystemTest, WritingIntoAMissingFolderOrAFileAsFolderFails) {
  EXPECT_EQ(NumberOf([&] { fs_->WriteFile(temp_ / "no/a.txt", "x", WriteMode::kReplace); }),
            kErrPathNotFound);
  WriteFile(temp_ / "plain", "x");
  EXPECT_EQ(NumberOf([&] { fs_->WriteFile(temp_ / "plain/a.txt", "x", WriteMode::kReplace); }),
            kErrPathNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->WriteFile(temp_.path(), "x", WriteMode::kReplace); }),
            kErrPermissionDenied);
}

TEST_F(LocalFileSystemTest, ReadingAMissingFileOrAFolderIsFileNotFound) {
  EXPECT_EQ(NumberOf([&] { fs_->ReadFile(temp_ / "missing.txt"); }), kErrFileNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->ReadFile(temp_.path()); }), kErrFileNotFound);
}

TEST_F(LocalFileSystemTest, ExistenceTellsFilesFromFolders) {
  WriteFile(temp_ / "f.txt", "x");
  EXPECT_TRUE(fs_->FileExists(temp_ / "f.txt"));
  EXPECT_FALSE(fs_->FolderExists(temp_ / "f.txt"));
  EXPECT_TRUE(fs_->FolderExists(temp_.path()));
  EXPECT_FALSE(fs_->FileExists(temp_.path()));
  EXPECT_FALSE(fs_->FileExists(temp_ / "none"));
  EXPECT_FALSE(fs_->FileExists(""));
  EXPECT_FALSE(fs_->FolderExists(""));
}

TEST_F(LocalFileSystemTest, CreatesOneFolderLevel) {
  fs_->CreateFolder(temp_ / "one");
  EXPECT_TRUE(std::filesystem::is_directory(temp_ / "one"));
  EXPECT_EQ(NumberOf([&] { fs_->CreateFolder(temp_ / "one"); }), kErrFileAlreadyExists);
  EXPECT_EQ(NumberOf([&] { fs_->CreateFolder(temp_ / "x/y"); }), kErrPathNotFound);
  WriteFile(temp_ / "file", "x");
  EXPECT_EQ(NumberOf([&] { fs_->CreateFolder(temp_ / "file"); }), kErrFileAlreadyExists);
  EXPECT_EQ(NumberOf([&] { fs_->CreateFolder(temp_ / "file/sub"); }), kErrPathNotFound);
}

TEST_F(LocalFileSystemTest, DeletesFilesButNotFolders) {
  WriteFile(temp_ / "f.txt", "x");
  fs_->DeleteFile(temp_ / "f.txt");
  EXPECT_FALSE(std::filesystem::exists(temp_ / "f.txt"));
  EXPECT_EQ(NumberOf([&] { fs_->DeleteFile(temp_ / "f.txt"); }), kErrFileNotFound);
  std::filesystem::create_directory(temp_ / "dir");
  EXPECT_EQ(NumberOf([&] { fs_->DeleteFile(temp_ / "dir"); }), kErrFileNotFound);
  EXPECT_TRUE(std::filesystem::is_directory(temp_ / "dir"));
}

TEST_F(LocalFileSystemTest, DeletesAFolderWithEverythingInIt) {
  std::filesystem::create_directories(temp_ / "tree/sub");
  WriteFile(temp_ / "tree/a", "x");
  WriteFile(temp_ / "tree/sub/b", "y");
  fs_->DeleteFolder(temp_ / "tree");
  EXPECT_FALSE(std::filesystem::exists(temp_ / "tree"));
  EXPECT_EQ(NumberOf([&] { fs_->DeleteFolder(temp_ / "tree"); }), kErrPathNotFound);
  WriteFile(temp_ / "file", "x");
  EXPECT_EQ(NumberOf([&] { fs_->DeleteFolder(temp_ / "file"); }), kErrPathNotFound);
  EXPECT_TRUE(std::filesystem::exists(temp_ / "file"));
}

TEST_F(LocalFileSystemTest, CopiesWithAndWithoutOverwrite) {
  WriteFile(temp_ / "a", "new");
  WriteFile(temp_ / "b", "old");
  EXPECT_EQ(NumberOf([&] { fs_->CopyFile(temp_ / "a", temp_ / "b", false); }),
            kErrFileAlreadyExists);
  EXPECT_EQ(ReadFile(temp_ / "b"), "old");
  fs_->CopyFile(temp_ / "a", temp_ / "b", true);
  EXPECT_EQ(ReadFile(temp_ / "b"), "new");
  fs_->CopyFile(temp_ / "a", temp_ / "c", false);
  EXPECT_EQ(ReadFile(temp_ / "c"), "new");
  EXPECT_EQ(ReadFile(temp_ / "a"), "new");
}

TEST_F(LocalFileSystemTest, CopyFailuresNameTheirCause) {
  WriteFile(temp_ / "a", "x");
  EXPECT_EQ(NumberOf([&] { fs_->CopyFile(temp_ / "none", temp_ / "b", true); }), kErrFileNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->CopyFile(temp_ / "a", temp_ / "no/b", true); }), kErrPathNotFound);
  std::filesystem::create_directory(temp_ / "dir");
  EXPECT_EQ(NumberOf([&] { fs_->CopyFile(temp_ / "a", temp_ / "dir", true); }), kErrPathNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->CopyFile(temp_ / "dir", temp_ / "d2", true); }), kErrFileNotFound);
}

TEST_F(LocalFileSystemTest, MovesOnlyOntoAFreeName) {
  WriteFile(temp_ / "a", "a");
  WriteFile(temp_ / "b", "b");
  EXPECT_EQ(NumberOf([&] { fs_->MoveFile(temp_ / "a", temp_ / "b"); }), kErrFileAlreadyExists);
  EXPECT_EQ(ReadFile(temp_ / "a"), "a");
  EXPECT_EQ(ReadFile(temp_ / "b"), "b");
  fs_->MoveFile(temp_ / "a", temp_ / "c");
  EXPECT_FALSE(std::filesystem::exists(temp_ / "a"));
  EXPECT_EQ(ReadFile(temp_ / "c"), "a");
  EXPECT_EQ(NumberOf([&] { fs_->MoveFile(temp_ / "a", temp_ / "d"); }), kErrFileNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->MoveFile(temp_ / "c", temp_ / "no/d"); }), kErrPathNotFound);
}

TEST_F(LocalFileSystemTest, ListsEntriesWithKindSizeAndLocalTime) {
  std::filesystem::create_directories(temp_ / "list/sub");
  WriteFile(temp_ / "list/a.xml", "12345");
  struct tm parts {};
  parts.tm_year = 2003 - 1900;
  parts.tm_mon = 2;
  parts.tm_mday = 5;
  parts.tm_hour = 14;
  parts.tm_min = 7;
  parts.tm_sec = 9;
  parts.tm_isdst = -1;
  const struct timespec times[2] = {{mktime(&parts), 0}, {mktime(&parts), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (temp_ / "list/a.xml").c_str(), times, 0), 0);

  const std::vector<FolderEntry> entries = fs_->List(temp_ / "list");
  ASSERT_EQ(entries.size(), 2u);
  for (const FolderEntry& entry : entries) {
    if (entry.name == "a.xml") {
      EXPECT_TRUE(entry.is_file);
      EXPECT_EQ(entry.size, 5);
      EXPECT_EQ(entry.modified, (DateTime{2003, 3, 5, 14, 7, 9}));
    } else {
      EXPECT_EQ(entry.name, "sub");
      EXPECT_FALSE(entry.is_file);
    }
  }
  EXPECT_EQ(NumberOf([&] { fs_->List(temp_ / "none"); }), kErrPathNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->List(temp_ / "list/a.xml"); }), kErrPathNotFound);
}

TEST_F(LocalFileSystemTest, SharePathsAndDrivePathsLandInTheirMappedFolders) {
  fs_->WriteFile("\\\\SRV\\Data\\in.txt", "s", WriteMode::kReplace);
  EXPECT_EQ(ReadFile(temp_ / "share/in.txt"), "s");
  fs_->CreateFolder("D:\\out");
  fs_->CopyFile("\\\\srv\\data\\in.txt", "d:/out/copy.txt", false);
  EXPECT_EQ(ReadFile(temp_ / "drive/out/copy.txt"), "s");
  EXPECT_EQ(fs_->ToNative("\\\\srv\\data\\x"), temp_ / "share/x");
}

TEST_F(LocalFileSystemTest, NoOperationReachesOutsideAMappedFolder) {
  WriteFile(temp_ / "secret.txt", "s");
  EXPECT_EQ(NumberOf([&] { fs_->ReadFile("\\\\srv\\data\\..\\secret.txt"); }),
            kErrPermissionDenied);
  EXPECT_EQ(NumberOf([&] { fs_->DeleteFile("D:\\..\\secret.txt"); }), kErrPermissionDenied);
  EXPECT_EQ(NumberOf([&] { fs_->FileExists("\\\\srv\\data\\..\\secret.txt"); }),
            kErrPermissionDenied);
  EXPECT_TRUE(std::filesystem::exists(temp_ / "secret.txt"));
}

TEST_F(LocalFileSystemTest, UnmappedShareAndNonUtf8NamesAreRefused) {
  EXPECT_EQ(NumberOf([&] { fs_->FileExists("\\\\other\\data\\a"); }), kErrPathNotFound);
  EXPECT_EQ(NumberOf([&] { fs_->WriteFile(temp_ / "caf\xE9", "x", WriteMode::kReplace); }),
            kErrBadFileName);
}

TEST_F(LocalFileSystemTest, ListingShowsNamesThatAreNotUtf8AsTheyAre) {
  WriteFile(temp_ / "caf\xE9.xml", "x");
  const std::vector<FolderEntry> entries = fs_->List(temp_.path());
  bool found = false;
  for (const FolderEntry& entry : entries) {
    found = found || entry.name == "caf\xE9.xml";
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace velmora::files
