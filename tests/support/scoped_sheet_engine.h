#pragma once

#include <memory>

#include "core/sheet_engine.h"
#include "platform/sheet/workbook.h"

namespace velmora::testing {

// Makes `engine` the process's sheet engine (core::GetSheetEngine()) for the life of the object;
// nullptr stands for a program without an engine. The hook is left empty afterwards.
class ScopedSheetEngine {
 public:
  explicit ScopedSheetEngine(std::shared_ptr<sheet::Engine> engine) {
    core::SetSheetEngineFactory([engine](const sheet::OfficeSettings&) { return engine; });
  }
  ~ScopedSheetEngine() { core::SetSheetEngineFactory(nullptr); }
  ScopedSheetEngine(const ScopedSheetEngine&) = delete;
  ScopedSheetEngine& operator=(const ScopedSheetEngine&) = delete;
};

}  // namespace velmora::testing
