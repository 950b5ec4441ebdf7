#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/files/remote_file.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::files {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// The "D2ORiro.File" component over a share "\\srv\exchange" mounted in the test's folder.
class MountedShareFileTest : public ::testing::Test {
 protected:
  MountedShareFileTest() {
    std::filesystem::create_directories(temp_ / "mount");
    PathMaps maps;
    maps.shares = {{"\\\\srv\\exchange", temp_ / "mount"}};
    share_ = NewMountedShareFile(PathResolver(maps));
  }

  std::string Mounted(const std::string& rest) { return temp_ / ("mount/" + rest); }

  TempFolder temp_;
  std::shared_ptr<RemoteFile> share_;
};

TEST_F(MountedShareFileTest, IsTheFileComponent) { EXPECT_EQ(share_->TypeName(), "D2ORiro.File"); }

TEST_F(MountedShareFileTest, CreatesAWholeFolderTree) {
  share_->CreateFolderTree("\\\\srv\\exchange\\a\\b\\c");
  EXPECT_TRUE(std::filesystem::is_directory(Mounted("a/b/c")));
  EXPECT_TRUE(share_->FolderExists("\\\\srv\\exchange\\a\\b"));
  share_->CreateFolderTree("\\\\srv\\exchange\\a\\b\\c");  // nothing missing: nothing to do
}

TEST_F(MountedShareFileTest, TreeThroughAFileFails) {
  WriteFile(Mounted("file"), "x");
  EXPECT_THROW(share_->CreateFolderTree("\\\\srv\\exchange\\file\\sub"), Error);
}

TEST_F(MountedShareFileTest, ListsOnlyFileNames) {
  WriteFile(Mounted("a.xml"), "x");
  WriteFile(Mounted("b.xml"), "y");
  std::filesystem::create_directory(Mounted("sub"));
  auto names = share_->GetFileNamesInFolder("\\\\srv\\exchange");
  ASSERT_EQ(names->Count(), 2u);
  std::vector<std::string> listed{names->Item(1).ToText(), names->Item(2).ToText()};
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{"a.xml", "b.xml"}));
}

TEST_F(MountedShareFileTest, DeletesFolderAndFilesAndIgnoresAMissingFolder) {
  std::filesystem::create_directories(Mounted("gone/sub"));
  WriteFile(Mounted("gone/a"), "x");
  share_->DeleteFolderAndFiles("\\\\srv\\exchange\\gone");
  EXPECT_FALSE(std::filesystem::exists(Mounted("gone")));
  share_->DeleteFolderAndFiles("\\\\srv\\exchange\\gone");
}

TEST_F(MountedShareFileTest, CopiesAndMovesIntoFoldersNamedWithATrailingSeparator) {
  WriteFile(temp_ / "local.xml", "L");
  std::filesystem::create_directory(Mounted("in"));
  share_->CopyFile(temp_ / "local.xml", "\\\\srv\\exchange\\in\\", false);
  EXPECT_EQ(ReadFile(Mounted("in/local.xml")), "L");
  EXPECT_THROW(share_->CopyFile(temp_ / "local.xml", "\\\\srv\\exchange\\in\\", false), Error);
  share_->MoveFile(temp_ / "local.xml", "\\\\srv\\exchange\\moved.xml");
  EXPECT_FALSE(std::filesystem::exists(temp_ / "local.xml"));
  EXPECT_TRUE(share_->FileExists("\\\\srv\\exchange\\moved.xml"));
  share_->DeleteFile("\\\\srv\\exchange\\moved.xml");
  EXPECT_FALSE(share_->FileExists("\\\\srv\\exchange\\moved.xml"));
}

TEST_F(MountedShareFileTest, TextFilesAreUnicodeOrWindows1252) {
  share_->CreateTextFile("\xE2\x82\xAC", "\\\\srv\\exchange\\u.txt", true);
  EXPECT_EQ(ReadFile(Mounted("u.txt")), std::string("\xFF\xFE\xAC\x20", 4));
  share_->CreateTextFile("\xE2\x82\xAC\xE4\xB8\xAD", "\\\\srv\\exchange\\u.txt", false);
  EXPECT_EQ(ReadFile(Mounted("u.txt")), "\x80?");
}

TEST_F(MountedShareFileTest, RefusesToLeaveTheShareAndUnmappedShares) {
  WriteFile(temp_ / "outside.txt", "x");
  try {
    share_->DeleteFile("\\\\srv\\exchange\\..\\outside.txt");
    ADD_FAILURE() << "deleted outside the share";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), kErrPermissionDenied);
  }
  EXPECT_TRUE(std::filesystem::exists(temp_ / "outside.txt"));
  try {
    share_->FolderExists("\\\\elsewhere\\exchange");
    ADD_FAILURE() << "an unmapped share answered";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), kErrPathNotFound);
  }
}

}  // namespace
}  // namespace velmora::files
