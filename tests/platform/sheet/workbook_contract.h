#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "velmora/sheet/workbook.h"

namespace velmora::testing {

// What the workbook contract needs from an engine under test beyond the interface: where files
// live and how to make the bad ones.
class EngineHarness {
 public:
  virtual ~EngineHarness() = default;
  virtual sheet::Engine& engine() = 0;
  // A path for a file named `name` that does not exist yet.
  virtual std::string PathFor(const std::string& name) = 0;
  // Puts a file whose content is plain text, not a workbook.
  virtual void PutTextFile(const std::string& path, const std::string& text) = 0;
  // Takes the write permission away from an existing file.
  virtual void MakeReadOnly(const std::string& path) = 0;
  // Whether the engine computes formulas (the fake keeps them as text only).
  virtual bool ComputesFormulas() const = 0;
  // Calls that reached the engine past the path checks, or -1 when the engine cannot tell.
  virtual int EngineCalls() const = 0;
};

// Makes the harness of one test; nullptr skips the test (the engine is not installed here).
using HarnessFactory = std::function<std::unique_ptr<EngineHarness>()>;

// The contract every sheet::Engine and its workbooks keep. Instantiate with
// INSTANTIATE_TEST_SUITE_P(Name, WorkbookContractTest, ::testing::Values(factory)). Each test
// holds one workbook at a time, so an engine with a single process serves it.
class WorkbookContractTest : public ::testing::TestWithParam<HarnessFactory> {
 protected:
  void SetUp() override {
    harness_ = GetParam()();
    if (!harness_) {
      GTEST_SKIP() << "the spreadsheet engine is not installed here";
    }
  }
  sheet::Engine& engine() { return harness_->engine(); }
  EngineHarness& harness() { return *harness_; }

 private:
  std::unique_ptr<EngineHarness> harness_;
};

}  // namespace velmora::testing
