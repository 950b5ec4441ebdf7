#include "platform/sheet/office_engine.h"

#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>

#include "platform/sheet/workbook_contract.h"
#include "support/expectations.h"
#include "support/temp_folder.h"

namespace velmora::testing {
namespace {

using sheet::Cell;

bool OfficeInstalled() {
  return std::filesystem::exists(std::string(VELMORA_OFFICE_PROGRAM) + "/soffice.bin");
}

bool InCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

#define VELMORA_REQUIRE_OFFICE()                                                    \
  do {                                                                              \
    if (!OfficeInstalled()) {                                                       \
      if (InCi()) {                                                                 \
        GTEST_FAIL() << "the office is not installed: run scripts/install-deps";    \
      }                                                                             \
      GTEST_SKIP() << "the office is not installed (scripts/install-deps adds it)"; \
    }                                                                               \
  } while (false)

bool ProcessExists(int pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

sheet::OfficeSettings Settings(const TempFolder& work, int32_t processes) {
  sheet::OfficeSettings settings;
  settings.processes = processes;
  settings.work_folder = work.path();
  return settings;
}

class OfficeHarness : public EngineHarness {
 public:
  OfficeHarness() : engine_(sheet::NewOfficeEngine(Settings(work_, 1))) {}
  sheet::Engine& engine() override { return *engine_; }
  std::string PathFor(const std::string& name) override { return files_ / name; }
  void PutTextFile(const std::string& path, const std::string& text) override {
    WriteFile(path, text);
  }
  void MakeReadOnly(const std::string& path) override { ASSERT_EQ(chmod(path.c_str(), 0444), 0); }
  bool ComputesFormulas() const override { return true; }
  int EngineCalls() const override { return -1; }

 private:
  TempFolder work_;
  TempFolder files_;
  std::shared_ptr<sheet::OfficeEngine> engine_;
};

INSTANTIATE_TEST_SUITE_P(Office, WorkbookContractTest,
                         ::testing::Values([]() -> std::unique_ptr<EngineHarness> {
                           if (!OfficeInstalled()) {
                             EXPECT_FALSE(InCi()) << "the office is not installed";
                             return nullptr;
                           }
                           return std::make_unique<OfficeHarness>();
                         }));

class OfficeEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { VELMORA_REQUIRE_OFFICE(); }
  TempFolder work_;
  TempFolder files_;
};

// A write to a dead office process's pipe must fail the call, not end the host with SIGPIPE.
TEST_F(OfficeEngineTest, AWriteToADeadProcessCannotEndTheHost) {
  const auto engine = sheet::NewOfficeEngine(Settings(work_, 1));
  engine->Create()->Close();
  struct sigaction current {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &current), 0);
  EXPECT_EQ(current.sa_handler, SIG_IGN);
}

TEST_F(OfficeEngineTest, AKilledProcessIsReplacedAndTheNextCallSucceeds) {
  const auto engine = sheet::NewOfficeEngine(Settings(work_, 1));
  engine->Create()->Close();
  const std::vector<int> before = engine->ProcessIds();
  ASSERT_EQ(before.size(), 1u);
  ASSERT_EQ(kill(before.front(), SIGKILL), 0);

  auto book = engine->Create();
  book->WriteValue(1, 1, 1, Variant("after restart"));
  book->SaveAs(files_ / "after.xls");
  const std::vector<int> after = engine->ProcessIds();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_NE(after.front(), before.front());
  EXPECT_FALSE(ProcessExists(before.front()));
}

TEST_F(OfficeEngineTest, AProcessKilledDuringUseFailsThatWorkbookOnly) {
  const auto engine = sheet::NewOfficeEngine(Settings(work_, 1));
  auto book = engine->Create();
  ASSERT_EQ(kill(engine->ProcessIds().front(), SIGKILL), 0);
  const Error error = RaisedBy([&] { book->WriteValue(1, 1, 1, Variant(1.0)); });
  EXPECT_EQ(error.number(), sheet::kErrEngineFailure);
  book->Close();
  EXPECT_EQ(engine->Create()->SheetCount(), 1);
}

TEST_F(OfficeEngineTest, TwoProcessesServeTwoWorkbooksAtOnce) {
  const auto engine = sheet::NewOfficeEngine(Settings(work_, 2));
  EXPECT_EQ(engine->PoolSize(), 2);
  {
    auto seed = engine->Create();
    seed->WriteValue(1, 1, 1, Variant("shared"));
    seed->SaveAs(files_ / "shared.xls");
  }
  std::unique_ptr<sheet::Workbook> first;
  std::unique_ptr<sheet::Workbook> second;
  std::thread opener([&] { first = engine->Open(files_ / "shared.xls", true); });
  second = engine->Open(files_ / "shared.xls", true);
  opener.join();
  ASSERT_TRUE(first && second);
  const std::vector<int> ids = engine->ProcessIds();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_NE(ids[0], ids[1]);
  first->WriteValue(1, 2, 1, Variant("first"));
  second->WriteValue(1, 2, 1, Variant("second"));
  EXPECT_EQ(first->ReadCell(1, 2, 1).value, Variant("first"));
  EXPECT_EQ(second->ReadCell(1, 2, 1).value, Variant("second"));
}

TEST_F(OfficeEngineTest, AFullPoolMakesTheNextRequestWaitThenFail) {
  sheet::OfficeSettings settings = Settings(work_, 1);
  settings.busy_timeout_seconds = 1;
  const auto engine = sheet::NewOfficeEngine(settings);
  auto held = engine->Create();
  EXPECT_EQ(RaisedBy([&] { engine->Create(); }).number(), sheet::kErrEngineBusy);
  EXPECT_TRUE(engine->IsAvailable());
  held->Close();
  EXPECT_EQ(engine->Create()->SheetCount(), 1);
}

TEST_F(OfficeEngineTest, StoppingTheEngineEndsItsProcesses) {
  std::vector<int> ids;
  {
    const auto engine = sheet::NewOfficeEngine(Settings(work_, 2));
    EXPECT_TRUE(engine->ProcessIds().empty());  // processes start on demand
    EXPECT_TRUE(engine->IsAvailable());
    ids = engine->ProcessIds();
    ASSERT_EQ(ids.size(), 1u);
  }
  EXPECT_FALSE(ProcessExists(ids.front()));
  EXPECT_TRUE(std::filesystem::is_empty(work_.path()));
}

TEST_F(OfficeEngineTest, AnEngineThatCannotStartIsUnavailable) {
  sheet::OfficeSettings settings = Settings(work_, 1);
  settings.program_folder = work_ / "no-office";
  const auto engine = sheet::NewOfficeEngine(settings);
  EXPECT_FALSE(engine->IsAvailable());
  EXPECT_EQ(RaisedBy([&] { engine->Create(); }).number(), sheet::kErrEngineUnavailable);
}

TEST_F(OfficeEngineTest, LargeSheetsAreReadInOneBlock) {
  const auto engine = sheet::NewOfficeEngine(Settings(work_, 1));
  std::vector<std::vector<Cell>> rows(2000, std::vector<Cell>(5));
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < 5; ++c) {
      rows[r][c].value =
          c == 0 ? Variant(static_cast<double>(r)) : Variant("r" + std::to_string(r));
    }
  }
  rows[10][4] = Cell{Variant(), "=A12*2"};
  {
    auto book = engine->Create();
    book->WriteArea(1, 1, 1, rows);
    book->SaveAs(files_ / "large.xls");
  }
  auto book = engine->Open(files_ / "large.xls", true);
  const sheet::CellBlock block = book->ReadUsedArea(1);
  ASSERT_EQ(block.area, (sheet::Area{1, 1, 2000, 5}));
  EXPECT_EQ(block.at(2000, 1).value, Variant(1999.0));
  EXPECT_EQ(block.at(2000, 5).value, Variant("r1999"));
  EXPECT_EQ(block.at(11, 5), (Cell{Variant(22.0), "=A12*2"}));
}

}  // namespace
}  // namespace velmora::testing
