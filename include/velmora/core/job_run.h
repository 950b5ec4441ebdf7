#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// What one run of a scheduled job (folder import, mailbox import, EDI exchange) did, for the
// operator's summary of `velmora run` and for C++ callers that schedule the jobs themselves.
// Every file or mail a run looks at ends in exactly one of the counts below or stays where it
// was for the next run (counted in `left`).
struct JobRunReport {
  int32_t found = 0;      // files or mails the run considered
  int32_t published = 0;  // documents published
  int32_t refused = 0;    // files or mails put into an error folder (the administrator mailed)
  int32_t moved = 0;      // files handed on without publishing: mail attachments dropped into
                          // the import folder, EDI batches sent and incoming files fetched
  int32_t left = 0;       // considered but left in place for a later run (being written,
                          // claimed by another run, not deletable, network not ready)
  bool skipped = false;   // true when another run of the same job held its lock: nothing done
  std::vector<std::string> warnings;  // lines the operator should read (also in the log)
};

}  // namespace velmora
