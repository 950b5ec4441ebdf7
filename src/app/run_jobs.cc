// The table of scheduled jobs behind `velmora run`: one entry per job.
#include "app/run_command.h"
#include "velmora/convert/edi.h"
#include "velmora/import/document_import.h"
#include "velmora/import/email_import.h"

namespace velmora::app {

const std::map<std::string, JobFunction>& ScheduledJobs() {
  static const std::map<std::string, JobFunction> jobs = {
      {"document-import", [](std::stop_token stop) { return DocumentImport().RunOnce(stop); }},
      {"edi", [](std::stop_token stop) { return EDI().RunOnce(stop); }},
      {"email-import", [](std::stop_token stop) { return EMailImport().RunOnce(stop); }},
  };
  return jobs;
}

}  // namespace velmora::app
