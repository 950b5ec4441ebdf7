#include "support/capture_log.h"

namespace velmora::testing {
namespace {

class MemoryLog : public host::Log {
 public:
  using Sink = std::function<void(LogEntry)>;
  explicit MemoryLog(Sink sink) : sink_(std::move(sink)) {}
  void WriteErrorEntry(const std::string& source, const std::string& text, int32_t level,
                       const Variant&) override {
    sink_(LogEntry{"error", source, text, level});
  }
  void WriteNoticeEntry(const std::string& source, const std::string& text, int32_t level,
                        const Variant&) override {
    sink_(LogEntry{"notice", source, text, level});
  }

 private:
  Sink sink_;
};

}  // namespace

CaptureLog::CaptureLog()
    : shared_(std::make_shared<Shared>()), component_("Tarvex.Log", [shared = shared_] {
        return std::make_shared<MemoryLog>([shared](LogEntry entry) {
          std::lock_guard lock(shared->mutex);
          shared->entries.push_back(std::move(entry));
        });
      }) {}

std::vector<LogEntry> CaptureLog::entries() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->entries;
}

}  // namespace velmora::testing
