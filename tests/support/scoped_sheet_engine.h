#pragma once

#include <memory>

#include "core/env.h"
#include "velmora/sheet/workbook.h"

namespace velmora::testing {

// Makes `engine` the environment's sheet engine (core::GetSheetEngine()) for the life of the
// object, keeping the rest of the environment; nullptr stands for a program without an engine.
class ScopedSheetEngine {
 public:
  explicit ScopedSheetEngine(std::shared_ptr<sheet::Engine> engine)
      : scope_(With(std::move(engine))) {}
  ScopedSheetEngine(const ScopedSheetEngine&) = delete;
  ScopedSheetEngine& operator=(const ScopedSheetEngine&) = delete;

 private:
  static core::Env With(std::shared_ptr<sheet::Engine> engine) {
    core::Env env = core::CurrentEnv();
    env.sheets = std::move(engine);
    return env;
  }

  core::ScopedEnv scope_;
};

}  // namespace velmora::testing
