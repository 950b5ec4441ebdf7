#include "core/sheet_engine.h"

#include <gtest/gtest.h>

#include "support/capture_log.h"
#include "support/fake_workbook.h"
#include "support/scoped_sheet_engine.h"
#include "support/temp_home.h"

namespace velmora::core {
namespace {

using testing::RunOnFreshThread;
using testing::TempHome;

class SheetEngineTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSheetEngineFactory(nullptr); }
  TempHome home_;
  testing::CaptureLog log_;
};

TEST_F(SheetEngineTest, SettingsComeFromTheSpreadsheetSection) {
  home_.WriteRegistry({home_.config_dir()});
  home_.WriteConfig("SiteConfiguration.xml", {{"SPREADSHEET", "Processes", "3"},
                                              {"SPREADSHEET", "StartTimeoutSeconds", " 20 "},
                                              {"SPREADSHEET", "BusyTimeoutSeconds", "0"},
                                              {"SPREADSHEET", "ProgramFolder", "/opt/office"},
                                              {"SPREADSHEET", "WorkFolder", "/var/velmora"}});
  RunOnFreshThread([] {
    const sheet::OfficeSettings settings = ReadSheetSettings();
    EXPECT_EQ(settings.processes, 3);
    EXPECT_EQ(settings.start_timeout_seconds, 20);
    EXPECT_EQ(settings.busy_timeout_seconds, 60);  // not positive: the default
    EXPECT_EQ(settings.program_folder, "/opt/office");
    EXPECT_EQ(settings.work_folder, "/var/velmora");
  });
}

TEST_F(SheetEngineTest, MissingOrBadKeysKeepTheDefaults) {
  home_.WriteRegistry({home_.config_dir()});
  home_.WriteConfig("SiteConfiguration.xml", {{"SPREADSHEET", "Processes", "many"}});
  RunOnFreshThread([] {
    const sheet::OfficeSettings settings = ReadSheetSettings();
    EXPECT_EQ(settings.processes, 0);  // one per core
    EXPECT_EQ(settings.start_timeout_seconds, 60);
    EXPECT_EQ(settings.program_folder, "");
  });
}

TEST_F(SheetEngineTest, TheFactoryRunsOnceAndADefaultNeverReplacesAnInstalledFactory) {
  int made = 0;
  const auto engine = std::make_shared<testing::FakeEngine>();
  SetSheetEngineFactory([&](const sheet::OfficeSettings&) {
    ++made;
    return engine;
  });
  SetDefaultSheetEngineFactory([](const sheet::OfficeSettings&) { return nullptr; });
  EXPECT_EQ(GetSheetEngine(), engine);
  EXPECT_EQ(GetSheetEngine(), engine);
  EXPECT_EQ(made, 1);
  SetSheetEngineFactory(nullptr);
  EXPECT_EQ(GetSheetEngine(), nullptr);
  SetDefaultSheetEngineFactory([&](const sheet::OfficeSettings&) { return engine; });
  EXPECT_EQ(GetSheetEngine(), engine);
}

}  // namespace
}  // namespace velmora::core
