#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "velmora/sheet/workbook.h"

namespace velmora::sheet {

// How the office engine runs its processes.
struct OfficeSettings {
  // Office processes in the pool; 0 or less: one per processor core.
  int32_t processes = 0;
  // The office's program folder holding soffice.bin and unorc; "" for the one found at build time.
  std::string program_folder;
  // Where the processes' private profiles live; "" for $TMPDIR, else /tmp.
  std::string work_folder;
  // How long a process may take to start and accept a connection.
  int32_t start_timeout_seconds = 60;
  // How long a request waits for a free process before it raises kErrEngineBusy.
  int32_t busy_timeout_seconds = 60;
};

// The office engine: a pool of office processes that Velmora starts and supervises itself.
// Each process serves one workbook at a time; processes start on first demand; a process that
// died is started again by the next request that needs it. The pool's processes are stopped
// when the engine is destroyed.
class OfficeEngine : public Engine {
 public:
  // The process ids of the running office processes, for supervision and tests.
  virtual std::vector<int> ProcessIds() = 0;
  // The size of the pool.
  virtual int32_t PoolSize() const = 0;
};

std::shared_ptr<OfficeEngine> NewOfficeEngine(const OfficeSettings& settings);

}  // namespace velmora::sheet
