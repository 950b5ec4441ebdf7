#include "platform/sheet/workbook_contract.h"
#include "support/fake_workbook.h"

namespace velmora::testing {
namespace {

class FakeHarness : public EngineHarness {
 public:
  sheet::Engine& engine() override { return engine_; }
  std::string PathFor(const std::string& name) override { return "/fake/" + name; }
  void PutTextFile(const std::string& path, const std::string&) override {
    engine_.PutNonWorkbook(path);
  }
  void MakeReadOnly(const std::string& path) override { engine_.SetReadOnly(path, true); }
  bool ComputesFormulas() const override { return false; }
  int EngineCalls() const override { return engine_.engine_calls(); }

 private:
  FakeEngine engine_;
};

INSTANTIATE_TEST_SUITE_P(Fake, WorkbookContractTest,
                         ::testing::Values([]() -> std::unique_ptr<EngineHarness> {
                           return std::make_unique<FakeHarness>();
                         }));

TEST(FakeEngineTest, CountsOpenWorkbooksAndAnswersUnavailable) {
  FakeEngine engine;
  {
    auto first = engine.Create();
    auto second = engine.Create();
    EXPECT_EQ(engine.open_workbooks(), 2);
    first->Close();
    EXPECT_EQ(engine.open_workbooks(), 1);
  }
  EXPECT_EQ(engine.open_workbooks(), 0);
  engine.SetAvailable(false);
  EXPECT_FALSE(engine.IsAvailable());
  EXPECT_THROW(engine.Create(), Error);
}

}  // namespace
}  // namespace velmora::testing
