#include "platform/files/path_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora::files {
namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;

TEST(PathTextTest, BuildPathAddsOneSeparatorOfTheFoldersKind) {
  EXPECT_EQ(BuildPath("C:\\in", "a.xml"), "C:\\in\\a.xml");
  EXPECT_EQ(BuildPath("C:\\in\\", "a.xml"), "C:\\in\\a.xml");
  EXPECT_EQ(BuildPath("/var/in", "a.xml"), "/var/in/a.xml");
  EXPECT_EQ(BuildPath("/var/in/", "a.xml"), "/var/in/a.xml");
  EXPECT_EQ(BuildPath("\\\\srv\\share", "a.xml"), "\\\\srv\\share\\a.xml");
  EXPECT_EQ(BuildPath("", "a.xml"), "a.xml");
  EXPECT_EQ(BuildPath("in", "a.xml"), "in/a.xml");
}

TEST(PathTextTest, FileNameIsTheLastPartIgnoringTrailingSeparators) {
  for (const auto& [path, name] : Cases{{"C:\\a\\b.xml", "b.xml"},
                                        {"C:\\a\\b.xml\\", "b.xml"},
                                        {"/var/in/a.xml", "a.xml"},
                                        {"mixed/dir\\file.txt", "file.txt"},
                                        {"a.xml", "a.xml"},
                                        {"C:a.xml", "a.xml"},
                                        {"\\\\srv\\share\\a.xml", "a.xml"},
                                        {"\\\\srv\\share", ""},
                                        {"C:\\", ""},
                                        {"/", ""},
                                        {"", ""}}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(GetFileNamePart(path), name);
  }
}

TEST(PathTextTest, BaseNameAndExtensionSplitAtTheLastDotOfTheLastPart) {
  EXPECT_EQ(GetBaseNamePart("C:\\in\\a.b.XML"), "a.b");
  EXPECT_EQ(GetExtensionPart("C:\\in\\a.b.XML"), "XML");
  EXPECT_EQ(GetBaseNamePart("/dir.v1/file"), "file");
  EXPECT_EQ(GetExtensionPart("/dir.v1/file"), "");
  EXPECT_EQ(GetBaseNamePart(".profile"), "");
  EXPECT_EQ(GetExtensionPart(".profile"), "profile");
  EXPECT_EQ(GetExtensionPart("name."), "");
  EXPECT_EQ(GetBaseNamePart("name."), "name");
}

TEST(PathTextTest, ParentFolderStopsAtTheRoot) {
  for (const auto& [path, parent] : Cases{{"C:\\a\\b\\c.xml", "C:\\a\\b"},
                                          {"C:\\a\\b\\", "C:\\a"},
                                          {"C:\\a", "C:\\"},
                                          {"C:\\", ""},
                                          {"/var/in/a.xml", "/var/in"},
                                          {"/var", "/"},
                                          {"/", ""},
                                          {"a/b", "a"},
                                          {"a", ""},
                                          {"\\\\srv\\share\\in\\a.xml", "\\\\srv\\share\\in"},
                                          {"\\\\srv\\share\\in", "\\\\srv\\share"},
                                          {"\\\\srv\\share", ""},
                                          {"", ""}}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(GetParentFolderPart(path), parent);
  }
}

TEST(PathTextTest, HasDriveForDrivesSharesAndAbsolutePaths) {
  for (const char* path :
       {"C:\\x.xml", "c:x.xml", "\\\\srv\\share\\x.xml", "/tmp/x.xml", "\\root\\x.xml"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(HasDrive(path));
  }
  for (const char* path : {"x.xml", "in/x.xml", "in\\x.xml", "", "1:\\x", ":x"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(HasDrive(path));
  }
}

TEST(PathTextTest, OnlyTwoBackslashesMakeAUncPath) {
  EXPECT_TRUE(IsUncPath("\\\\srv\\share"));
  EXPECT_FALSE(IsUncPath("//srv/share"));
  EXPECT_FALSE(IsUncPath("\\/srv"));
  EXPECT_FALSE(IsUncPath("\\"));
  EXPECT_FALSE(IsUncPath(""));
}

TEST(PathTextTest, BareFileNamesHaveNoFolderDriveOrDots) {
  for (const char* name : {"a.xml", "..a", "a..b", "~x.xml", "name with blanks"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsBareFileName(name));
  }
  for (const char* name :
       {"", ".", "..", "a/b.xml", "a\\b.xml", "C:x.xml", "/etc/passwd", "..\\x.xml"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsBareFileName(name));
  }
  EXPECT_FALSE(IsBareFileName(std::string("a\0b", 3)));
}

TEST(PathTextTest, TargetPathPutsTheFileIntoAFolderEndingInASeparator) {
  EXPECT_EQ(TargetPath("/in/a.xml", "/out/b.xml"), "/out/b.xml");
  EXPECT_EQ(TargetPath("/in/a.xml", "/out/"), "/out/a.xml");
  EXPECT_EQ(TargetPath("C:\\in\\a.xml", "D:\\out\\"), "D:\\out\\a.xml");
}

}  // namespace
}  // namespace velmora::files
