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

TEST_F(SheetEngineTest, TheEngineIsTheEnvironmentsForTheScopeOfTheEnvironment) {
  const auto engine = std::make_shared<testing::FakeEngine>();
  EXPECT_EQ(GetSheetEngine(), nullptr);
  {
    testing::ScopedSheetEngine installed(engine);
    EXPECT_EQ(GetSheetEngine(), engine);
    {
      testing::ScopedSheetEngine none(nullptr);
      EXPECT_EQ(GetSheetEngine(), nullptr);
    }
    EXPECT_EQ(GetSheetEngine(), engine);
  }
  EXPECT_EQ(GetSheetEngine(), nullptr);
}

}  // namespace
}  // namespace velmora::core
