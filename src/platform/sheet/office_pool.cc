#include "platform/sheet/office_pool.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "velmora/base/error.h"
#include "velmora/sheet/workbook.h"

namespace velmora::sheet {
namespace {

std::string ProgramFolder(const OfficeSettings& settings) {
  return settings.program_folder.empty() ? std::string(VELMORA_OFFICE_PROGRAM)
                                         : settings.program_folder;
}

std::string WorkFolder(const OfficeSettings& settings) {
  if (!settings.work_folder.empty()) {
    return settings.work_folder;
  }
  const char* temp = std::getenv("TMPDIR");
  return temp != nullptr && *temp != '\0' ? std::string(temp) : std::string("/tmp");
}

int32_t PoolSize(const OfficeSettings& settings) {
  if (settings.processes > 0) {
    return settings.processes;
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int32_t>(cores);
}

}  // namespace

OfficePool::OfficePool(const OfficeSettings& settings)
    : busy_timeout_seconds_(settings.busy_timeout_seconds) {
  const int32_t count = PoolSize(settings);
  slots_.resize(static_cast<size_t>(count));
  for (auto& slot : slots_) {
    slot.process = std::make_unique<OfficeProcess>(ProgramFolder(settings), WorkFolder(settings),
                                                   settings.start_timeout_seconds);
  }
}

OfficePool::~OfficePool() {
  for (auto& slot : slots_) {
    slot.process->Stop();
  }
}

OfficePool::Lease::~Lease() { pool_->Release(slot_); }

OfficeProcess& OfficePool::Lease::process() const { return *pool_->slots_[slot_].process; }

int OfficePool::TakeFreeSlot() {
  int chosen = -1;
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].busy) {
      continue;
    }
    if (chosen < 0 || slots_[i].process->IsRunning()) {
      chosen = static_cast<int>(i);
      if (slots_[i].process->IsRunning()) {
        break;
      }
    }
  }
  if (chosen >= 0) {
    slots_[static_cast<size_t>(chosen)].busy = true;
  }
  return chosen;
}

std::unique_ptr<OfficePool::Lease> OfficePool::Acquire() {
  int slot = -1;
  {
    std::unique_lock lock(mutex_);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(busy_timeout_seconds_);
    while ((slot = TakeFreeSlot()) < 0) {
      if (freed_.wait_until(lock, deadline) == std::cv_status::timeout &&
          (slot = TakeFreeSlot()) < 0) {
        throw Error(kErrEngineBusy, "Velmora.Sheet",
                    "No spreadsheet engine process became free within " +
                        std::to_string(busy_timeout_seconds_) + " seconds (" +
                        std::to_string(slots_.size()) + " in the pool)");
      }
    }
  }
  auto lease = std::make_unique<Lease>(shared_from_this(), static_cast<size_t>(slot));
  lease->process().EnsureRunning();
  return lease;
}

bool OfficePool::IsAvailable() {
  {
    std::lock_guard lock(mutex_);
    for (auto& slot : slots_) {
      if (slot.busy) {
        return true;  // a process is serving a workbook
      }
    }
  }
  try {
    Acquire();
    return true;
  } catch (const Error&) {
    return false;
  }
}

std::vector<int> OfficePool::ProcessIds() {
  std::lock_guard lock(mutex_);
  std::vector<int> ids;
  for (auto& slot : slots_) {
    if (const int pid = slot.process->pid(); pid > 0) {
      ids.push_back(pid);
    }
  }
  return ids;
}

void OfficePool::Release(size_t slot) {
  {
    std::lock_guard lock(mutex_);
    slots_[slot].busy = false;
  }
  freed_.notify_one();
}

}  // namespace velmora::sheet
