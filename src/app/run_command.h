#pragma once

#include <functional>
#include <map>
#include <stop_token>
#include <string>

#include "platform/cli/command_line.h"
#include "velmora/core/job_run.h"

// `velmora run JOB [--every SECONDS] [--json]`: runs one scheduled job once, or every SECONDS
// until SIGINT or SIGTERM (the file or mail in hand is finished, then the program exits 0).
// Each run prints one line to standard output: the time it started, the job and its counts
// ("found 3, published 2, refused 1, moved 0, left 0, warnings 1"), or "skipped" when another
// run held the job's lock; each warning follows on standard error. With --json each run prints
// one JSON object instead: {"job", "started", "found", "published", "refused", "moved", "left",
// "skipped", "warnings"}. An unknown job or a bad --every value exits 2 with a message.
namespace velmora::app {

// One run of a job: stops between files or mails once the token asks.
using JobFunction = std::function<JobRunReport(std::stop_token)>;

// The jobs `velmora run` knows, by name.
const std::map<std::string, JobFunction>& ScheduledJobs();

// Adds the command under `root`; `use_home` runs before the first run.
void AddRunCommand(cli::Command& root, const std::function<void()>& use_home);

}  // namespace velmora::app
