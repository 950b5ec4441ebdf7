#include "platform/files/path_resolver.h"

#include <gtest/gtest.h>

#include "velmora/base/error.h"

namespace velmora::files {
namespace {

PathMaps SampleMaps() {
  PathMaps maps;
  maps.shares = {{"\\\\FileSrv\\Exchange", "/mnt/exchange"},
                 {"\\\\archive\\docs\\", "/srv/docs/"},
                 {"\\\\broken", "/nowhere"},
                 {"\\\\empty\\share", " "}};
  maps.drives = {{"D:", "/srv/d"}, {"e:", "/srv/e"}};
  return maps;
}

// The error a resolution raises.
Error FailureOf(PathResolver& resolver, std::string_view path) {
  try {
    resolver.ToNative(path);
  } catch (const Error& failure) {
    return failure;
  }
  ADD_FAILURE() << "no error for " << path;
  return Error();
}

class PathResolverTest : public ::testing::Test {
 protected:
  PathResolver resolver_{SampleMaps()};
};

TEST_F(PathResolverTest, BothSeparatorsBecomeSlashesInPosixPaths) {
  EXPECT_EQ(resolver_.ToNative("in\\sub/a.xml"), "in/sub/a.xml");
  EXPECT_EQ(resolver_.ToNative("/var\\in\\a.xml"), "/var/in/a.xml");
  EXPECT_EQ(resolver_.ToNative(""), "");
}

TEST_F(PathResolverTest, PosixPathsKeepTheirDots) {
  EXPECT_EQ(resolver_.ToNative("/var/in/../out"), "/var/in/../out");
}

TEST_F(PathResolverTest, SharesMatchServerAndShareIgnoringCase) {
  EXPECT_EQ(resolver_.ToNative("\\\\fileSRV\\EXCHANGE\\in\\a.xml"), "/mnt/exchange/in/a.xml");
  EXPECT_EQ(resolver_.ToNative("\\\\FileSrv\\Exchange"), "/mnt/exchange");
  EXPECT_EQ(resolver_.ToNative("\\\\FileSrv\\Exchange\\"), "/mnt/exchange");
  EXPECT_EQ(resolver_.ToNative("//filesrv/exchange/in/a.xml"), "/mnt/exchange/in/a.xml");
  EXPECT_EQ(resolver_.ToNative("\\\\archive\\docs\\x\\.\\y"), "/srv/docs/x/y");
}

TEST_F(PathResolverTest, DrivesMapIgnoringCase) {
  EXPECT_EQ(resolver_.ToNative("D:\\att\\1\\a.pdf"), "/srv/d/att/1/a.pdf");
  EXPECT_EQ(resolver_.ToNative("d:/att"), "/srv/d/att");
  EXPECT_EQ(resolver_.ToNative("E:\\"), "/srv/e");
  EXPECT_EQ(resolver_.ToNative("e:x"), "/srv/e/x");
}

TEST_F(PathResolverTest, UnmappedShareIsAnErrorNamingIt) {
  const Error failure = FailureOf(resolver_, "\\\\Other\\Share\\a.xml");
  EXPECT_EQ(failure.number(), kErrPathNotFound);
  EXPECT_EQ(failure.source(), "Velmora.Files");
  EXPECT_NE(failure.description().find("'\\\\Other\\Share'"), std::string::npos)
      << failure.description();
  EXPECT_NE(failure.description().find("SHARES"), std::string::npos);
}

TEST_F(PathResolverTest, ShareOfTheRightServerButOtherNameIsUnmapped) {
  EXPECT_EQ(FailureOf(resolver_, "\\\\FileSrv\\Exchange2\\a").number(), kErrPathNotFound);
  // A map key without a share never matches.
  EXPECT_EQ(FailureOf(resolver_, "\\\\broken\\x").number(), kErrPathNotFound);
}

TEST_F(PathResolverTest, UnmappedDriveIsAnErrorNamingIt) {
  const Error failure = FailureOf(resolver_, "q:\\data\\a.xml");
  EXPECT_EQ(failure.number(), kErrPathNotFound);
  EXPECT_NE(failure.description().find("'Q:'"), std::string::npos) << failure.description();
  EXPECT_NE(failure.description().find("DRIVES"), std::string::npos);
}

TEST_F(PathResolverTest, DotDotInsideTheMappedFolderIsResolved) {
  EXPECT_EQ(resolver_.ToNative("\\\\filesrv\\exchange\\a\\..\\b.xml"), "/mnt/exchange/b.xml");
  EXPECT_EQ(resolver_.ToNative("D:\\a\\b\\..\\..\\c"), "/srv/d/c");
}

TEST_F(PathResolverTest, DotDotThatLeavesTheMappedFolderIsRefused) {
  for (const char* path :
       {"\\\\filesrv\\exchange\\..\\etc\\passwd", "\\\\filesrv\\exchange\\a\\..\\..\\x",
        "D:\\..\\etc", "d:..", "//filesrv/exchange/a/../../../root"}) {
    SCOPED_TRACE(path);
    const Error failure = FailureOf(resolver_, path);
    EXPECT_EQ(failure.number(), kErrPermissionDenied);
    EXPECT_NE(failure.description().find("leaves the folder mapped"), std::string::npos);
  }
}

TEST_F(PathResolverTest, NetworkPathWithoutServerOrShareIsABadName) {
  for (const char* path : {"\\\\", "\\\\server", "\\\\server\\", "\\\\\\share"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(FailureOf(resolver_, path).number(), kErrBadFileName);
  }
}

TEST_F(PathResolverTest, ShareMappedToNoFolderIsAnError) {
  EXPECT_EQ(FailureOf(resolver_, "\\\\empty\\share\\a").number(), kErrPathNotFound);
}

TEST_F(PathResolverTest, TextThatIsNotUtf8IsABadNameShownEscaped) {
  const Error failure = FailureOf(resolver_, "/tmp/caf\xE9.xml");
  EXPECT_EQ(failure.number(), kErrBadFileName);
  EXPECT_NE(failure.description().find("caf\\xE9.xml"), std::string::npos) << failure.description();
  EXPECT_EQ(FailureOf(resolver_, std::string("/tmp/a\0b", 8)).number(), kErrBadFileName);
}

TEST(PathResolverLoadingTest, MapsAreLoadedOnceAndOnlyWhenNeeded) {
  int loads = 0;
  PathResolver resolver([&] {
    ++loads;
    return SampleMaps();
  });
  resolver.ToNative("/var/in/a.xml");
  resolver.ToNative("relative\\a.xml");
  EXPECT_EQ(loads, 0);
  resolver.ToNative("D:\\a");
  resolver.ToNative("\\\\filesrv\\exchange\\a");
  EXPECT_EQ(loads, 1);
}

TEST(PathResolverLoadingTest, LoadFailurePassesToTheCaller) {
  PathResolver resolver([]() -> PathMaps {
    throw Error(kErrPathNotFound, "Tarvex.Configuration", "site configuration missing");
  });
  EXPECT_EQ(resolver.ToNative("/ok"), "/ok");
  EXPECT_EQ(FailureOf(resolver, "D:\\x").description(), "site configuration missing");
}

TEST(PrintablePathTest, EscapesEverythingOutsidePrintableAscii) {
  EXPECT_EQ(PrintablePath("a\tb\xC3\xA9"), "a\\x09b\\xC3\\xA9");
}

}  // namespace
}  // namespace velmora::files
