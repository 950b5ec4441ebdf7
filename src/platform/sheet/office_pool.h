#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sheet/office_engine.h"
#include "platform/sheet/office_process.h"

namespace velmora::sheet {

// The office processes of one engine. A request leases one free process for the life of one
// workbook; the lease is returned when the workbook is closed. Safe for concurrent use.
class OfficePool : public std::enable_shared_from_this<OfficePool> {
 public:
  explicit OfficePool(const OfficeSettings& settings);
  ~OfficePool();
  OfficePool(const OfficePool&) = delete;
  OfficePool& operator=(const OfficePool&) = delete;

  // Exclusive use of one running process; returns it to the pool when destroyed.
  class Lease {
   public:
    Lease(std::shared_ptr<OfficePool> pool, size_t slot) : pool_(std::move(pool)), slot_(slot) {}
    ~Lease();
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    OfficeProcess& process() const;

   private:
    std::shared_ptr<OfficePool> pool_;
    size_t slot_;
  };

  // A running process: waits for a free one (kErrEngineBusy after the busy time-out), starting
  // or restarting it as needed (kErrEngineUnavailable when that fails).
  std::unique_ptr<Lease> Acquire();
  // Whether a process serves requests now or can be started and reached.
  bool IsAvailable();
  std::vector<int> ProcessIds();
  int32_t size() const { return static_cast<int32_t>(slots_.size()); }

 private:
  struct Slot {
    std::unique_ptr<OfficeProcess> process;
    bool busy = false;
  };
  void Release(size_t slot);
  // Takes a free slot, preferring one whose process runs; -1 when all are busy.
  int TakeFreeSlot();

  int32_t busy_timeout_seconds_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::vector<Slot> slots_;
};

}  // namespace velmora::sheet
