#include "core/general.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/capture_log.h"
#include "support/fixed_sources.h"
#include "support/temp_home.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"

namespace velmora::core {
namespace {

using testing::CaptureLog;
using testing::FixedGuids;
using testing::RunOnFreshThread;
using testing::TempHome;

class GeneralTest : public ::testing::Test {
 protected:
  void WriteB2BLogging(const std::string& value) {
    home_.WriteRegistry({home_.config_dir()});
    home_.WriteConfig("R2AVidodeConfiguration.xml", {{"GLOBAL", "B2BLogging", value}});
  }

  int16_t LevelOnFreshThread() {
    int16_t level = -1;
    RunOnFreshThread([&] { level = iGeneral_B2BLogging(); });
    return level;
  }

  TempHome home_;
  CaptureLog log_;
};

TEST_F(GeneralTest, ReportErrorPrefixesTheMethodPathAndRaisesTheSameNumber) {
  try {
    try {
      throw Error(ErrNumber(EnumerationErrors::MissingParameter), "DBUtils.GetParameter",
                  "Couldn't get the parameter 'X' from the database.");
    } catch (...) {
      ReportError("DBUtils.GetParameter");
    }
    FAIL() << "ReportError did not raise";
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), -2147220994);
    EXPECT_EQ(raised.source(), "DBUtils.GetParameter");
    EXPECT_EQ(raised.description(),
              "\r\nMETHOD: DBUtils.GetParameter caught: Couldn't get the parameter 'X' from the "
              "database.(800401FE).");
  }
  ASSERT_EQ(log_.entries().size(), 1u);
  EXPECT_EQ(log_.entries()[0].kind, "error");
  EXPECT_EQ(log_.entries()[0].source, "DBUtils.GetParameter");
  EXPECT_EQ(log_.entries()[0].text,
            "DBUtils.GetParameter caught: Couldn't get the parameter 'X' from the "
            "database.(800401FE).");
  EXPECT_EQ(log_.entries()[0].level, 0);
}

TEST_F(GeneralTest, ThreeHandlersBuildAStackOfMethodPaths) {
  const auto inner = [] {
    try {
      throw Error(5, "Velmora.C.Inner", "boom");
    } catch (...) {
      ReportError("Velmora.C.Inner");
    }
  };
  const auto middle = [&] {
    try {
      inner();
    } catch (...) {
      ReportError("Velmora.C.Middle", Variant("doc 7"));
    }
  };
  try {
    try {
      middle();
    } catch (...) {
      ReportError("Velmora.C.Outer");
    }
    FAIL() << "no error reached the outer caller";
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), 5);
    EXPECT_EQ(raised.description(),
              "\r\nMETHOD: Velmora.C.Outer caught: "
              "\r\nMETHOD: Velmora.C.Middle caught: "
              "\r\nMETHOD: Velmora.C.Inner caught: boom(5)."
              "(5). Additional information: doc 7"
              "(5).");
  }
  EXPECT_EQ(log_.entries().size(), 3u);
}

TEST_F(GeneralTest, ReportErrorWithNumberZeroOnlyLogs) {
  EXPECT_NO_THROW(ReportError("Velmora.C.M", Variant("info")));
  PendingError none;
  EXPECT_NO_THROW(ReportError(none, "Velmora.C.N"));
  ASSERT_EQ(log_.entries().size(), 2u);
  EXPECT_EQ(log_.entries()[0].text, "Velmora.C.M caught: (0). Additional information: info");
  EXPECT_EQ(log_.entries()[1].text, "Velmora.C.N caught: (0).");
}

TEST_F(GeneralTest, NegativeNumbersAppearAsEightHexDigits) {
  PendingError pending;
  pending.Set(Error(-1, "S", "d"));
  try {
    RethrowError(pending, "P");
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.description(), "\r\nMETHOD: P caught: d(FFFFFFFF).");
  }
  EXPECT_TRUE(log_.entries().empty()) << "RethrowError must not log";
}

TEST_F(GeneralTest, ForeignExceptionsKeepTheChain) {
  try {
    try {
      throw std::runtime_error("bad state");
    } catch (...) {
      ReportError("Velmora.C.M");
    }
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), kErrUnexpected);
    EXPECT_NE(raised.description().find("Velmora.C.M caught: Unexpected failure: bad state"),
              std::string::npos);
  }
}

TEST_F(GeneralTest, WarningAndTraceEntriesHaveTheirLayouts) {
  try {
    throw Error(0x1F, "Src", "desc");
  } catch (...) {
    LogWarning("Velmora.C.W", Variant(42));
    LogTrace("Velmora.C.T", Variant("x"));
  }
  LogTrace("Velmora.C.Quiet");
  const auto entries = log_.entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].kind, "notice");
  EXPECT_EQ(entries[0].source, "Src");
  EXPECT_EQ(entries[0].text, "Velmora.C.W caught: desc(1F). Additional information: 42");
  EXPECT_EQ(entries[1].source, "Velmora.C.T");
  EXPECT_EQ(entries[1].level, 2);
  EXPECT_EQ(entries[1].text,
            "\r\nERROR 0x1F\r\n METHOD: Velmora.C.T\r\n DESC: desc.\r\n INFO: x.\r\n");
  EXPECT_EQ(entries[2].text, "\r\nERROR 0x0\r\n METHOD: Velmora.C.Quiet\r\n DESC: .\r\n");
}

TEST_F(GeneralTest, TraceLevelAcceptsOnlyOneToNinetyEight) {
  for (auto [value, level] : std::vector<std::pair<std::string, int16_t>>{
           {"2", 2}, {"1", 1}, {"98", 98}, {"99", 0}, {"0", 0}, {"-3", 0}, {"abc", 0}, {"", 0}}) {
    SCOPED_TRACE(value);
    WriteB2BLogging(value);
    EXPECT_EQ(LevelOnFreshThread(), level);
  }
}

TEST_F(GeneralTest, TraceLevelIsReadOncePerThread) {
  WriteB2BLogging("2");
  RunOnFreshThread([&] {
    EXPECT_EQ(iGeneral_B2BLogging(), 2);
    WriteB2BLogging("5");
    EXPECT_EQ(iGeneral_B2BLogging(), 2);
    Trace("Velmora.C.Traced");
  });
  ASSERT_EQ(log_.entries().size(), 1u);
  EXPECT_EQ(log_.entries()[0].source, "Velmora.C.Traced");
}

TEST_F(GeneralTest, AMissingConfigurationIsLoggedOnceAndGivesLevelZero) {
  RunOnFreshThread([&] {
    EXPECT_EQ(iGeneral_B2BLogging(), 0);
    EXPECT_EQ(iGeneral_B2BLogging(), 0);
  });
  const auto entries = log_.entries();
  ASSERT_FALSE(entries.empty());
  size_t level_entries = 0;
  for (const auto& entry : entries) {
    if (entry.text.rfind("general\\iGeneral_B2BLogging caught: ", 0) == 0) {
      ++level_entries;
    }
  }
  EXPECT_EQ(level_entries, 1u) << "a failed read must not be retried";
}

TEST_F(GeneralTest, ConfigFilesComeFromTheLastInstallationRecord) {
  home_.WriteRegistry({"/first/config", "/second/config"});
  RunOnFreshThread([&] {
    EXPECT_EQ(GetB2BConfigFile(), "/second/config\\R2AVidodeConfiguration.xml");
    EXPECT_EQ(getSiteConfigFile(), "/second/config\\SiteConfiguration.xml");
    EXPECT_EQ(getInstallDir(), home_.path());
  });
}

TEST_F(GeneralTest, ConfigPathsAreCachedPerThreadButInstallDirIsNot) {
  home_.WriteRegistry({"/first/config"});
  RunOnFreshThread([&] {
    EXPECT_EQ(GetB2BConfigFile(), "/first/config\\R2AVidodeConfiguration.xml");
    home_.WriteRegistry({"/moved/config"});
    EXPECT_EQ(GetB2BConfigFile(), "/first/config\\R2AVidodeConfiguration.xml");
    EXPECT_EQ(getSiteConfigFile(), "/moved/config\\SiteConfiguration.xml");
  });
}

TEST_F(GeneralTest, NoInstallationRecordGivesEmptyPathsAndLogEntries) {
  RunOnFreshThread([&] {
    EXPECT_EQ(GetB2BConfigFile(), "");
    EXPECT_EQ(getInstallDir(), "");
  });
  const auto entries = log_.entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_NE(entries[0].text.find("General.GetB2BConfigFile caught: "), std::string::npos);
  EXPECT_NE(entries[0].text.find(
                "Additional information: Getting the R2AVidode configuration file is failed."),
            std::string::npos);
  EXPECT_NE(entries[1].text.find("Can't Getting the install directory where R2AVidode is "
                                 "installed."),
            std::string::npos);
}

TEST_F(GeneralTest, MembershipUserCarriesTheDirectoryRootOnlyWhenSet) {
  home_.WriteRegistry({home_.config_dir()});
  home_.WriteConfig("SiteConfiguration.xml", {{"MEMBERSHIP", "MemScriptUser", "svc"},
                                              {"MEMBERSHIP", "MemScriptCode", "s3cret"}});
  RunOnFreshThread([&] {
    EXPECT_EQ(GetMembershipScriptUser(), "svc");
    EXPECT_EQ(GetMembershipScriptCode(), "s3cret");
  });
  home_.WriteConfig("SiteConfiguration.xml", {{"MEMBERSHIP", "MemScriptUser", "svc"},
                                              {"MEMBERSHIP", "LDAPRoot", "o=velmora"}});
  RunOnFreshThread([&] { EXPECT_EQ(GetMembershipScriptUser(), "svc,o=velmora"); });
}

TEST_F(GeneralTest, UnknownComponentIsLoggedAndEmpty) {
  const Variant component = B2B_getComponent("No.Such.Thing");
  EXPECT_TRUE(component.IsEmpty());
  ASSERT_EQ(log_.entries().size(), 1u);
  EXPECT_EQ(log_.entries()[0].text.substr(0, 36), "General.B2B_getComponent caught: Can");
  EXPECT_NE(log_.entries()[0].text.find(
                "(1AD). Additional information: Create instance of No.Such.Thing failed."),
            std::string::npos);
}

class FailingGuids : public GuidSource {
 public:
  GuidBytes NewGuid() override {
    throw Error(kErrUnexpected, "Velmora.iGeneral_GenerateGUID",
                "Could not generate GUID (unique identifier)");
  }
};

TEST_F(GeneralTest, GuidIsThirtyTwoUpperCaseHexDigitsWithZeroPadding) {
  FixedGuids fixed({0x01, 0x02, 0x03, 0x04, 0x00, 0xAB, 0x0C, 0x0D, 0x00, 0x01, 0xFE, 0xFF, 0x10,
                    0x20, 0x30, 0x40});
  {
    ScopedGuidSource scoped(fixed);
    EXPECT_EQ(iGeneral_GenerateGUID(), "0102030400AB0C0D0001FEFF10203040");
  }
  const std::regex shape("[0-9A-F]{32}");
  const std::string first = iGeneral_GenerateGUID();
  EXPECT_TRUE(std::regex_match(first, shape)) << first;
  EXPECT_NE(first, iGeneral_GenerateGUID());
}

TEST_F(GeneralTest, GuidFailureIsReported) {
  FailingGuids failing;
  ScopedGuidSource scoped(failing);
  try {
    iGeneral_GenerateGUID();
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.source(), "Velmora.iGeneral_GenerateGUID");
    EXPECT_NE(raised.description().find("METHOD: Velmora.iGeneral_GenerateGUID caught: Could "
                                        "not generate GUID (unique identifier)"),
              std::string::npos);
  }
}

struct FakeConnection {
  bool open = true;
  int* closes = nullptr;
  bool IsOpen() const { return open; }
  void Close() {
    open = false;
    ++*closes;
  }
};

TEST_F(GeneralTest, CloseConnectionClosesOnlyOpenConnectionsAndClearsTheReference) {
  int closes = 0;
  auto open = std::make_unique<FakeConnection>(FakeConnection{true, &closes});
  CloseConnection(open);
  EXPECT_EQ(open, nullptr);
  EXPECT_EQ(closes, 1);

  auto closed = std::make_unique<FakeConnection>(FakeConnection{false, &closes});
  CloseConnection(closed);
  EXPECT_EQ(closed, nullptr);
  EXPECT_EQ(closes, 1);

  std::unique_ptr<FakeConnection> none;
  CloseConnection(none);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace velmora::core
