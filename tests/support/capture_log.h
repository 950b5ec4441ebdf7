#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/components.h"
#include "platform/host/log.h"

namespace velmora::testing {

struct LogEntry {
  std::string kind;  // "error" or "notice"
  std::string source;
  std::string text;
  int32_t level = 0;
};

// Replaces "Tarvex.Log" with an in-memory log for the life of the object.
class CaptureLog {
 public:
  CaptureLog();
  std::vector<LogEntry> entries() const;

 private:
  struct Shared {
    mutable std::mutex mutex;
    std::vector<LogEntry> entries;
  };
  std::shared_ptr<Shared> shared_;
  core::ScopedComponent component_;
};

}  // namespace velmora::testing
