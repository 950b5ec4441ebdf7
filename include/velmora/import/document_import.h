#pragma once

#include <stop_token>

#include "velmora/core/job_run.h"

namespace velmora {

// Velmora.DocumentImport: the scheduled folder import. Each run scans the import folders
// (parameters "XMLPath1" and "XMLPath2") once and publishes every XML, workbook (.xls) and OBI
// file found there through document processing; handled files are deleted, failed ones end in
// the error folder ("XMLErrorPath") with the administrator mailed. A file is claimed by renaming
// it to "~" + name before it is read, so runs may overlap; a claimed file is never picked up
// again. A file changed at or shortly before the start of a run (it may still be written)
// waits for the next run. Stateless between runs; one object per thread.
class DocumentImport {
 public:
  // One run. Never raises: every failure is written to the log.
  void Run();

  // What Run does, with the counts for the operator. `stop` is checked between files: once a
  // stop is requested the file in hand is finished and the run returns. Never raises.
  JobRunReport RunOnce(std::stop_token stop);
};

}  // namespace velmora
