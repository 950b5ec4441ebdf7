#include "app/run_command.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "automation/class_registry.h"
#include "platform/json/json_codec.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"
#include "velmora/base/sources.h"

namespace velmora::app {
namespace {

constexpr int kMaxEverySeconds = 86400;

struct RunOptions {
  std::string job;
  std::optional<std::string> every;
  bool json = false;
};

// The seconds of --every, or nullopt when the text is not a whole number from 1 to a day.
std::optional<int> EverySeconds(const std::string& text) {
  if (text.empty() || text.size() > 5 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const int seconds = std::stoi(text);
  if (seconds < 1 || seconds > kMaxEverySeconds) {
    return std::nullopt;
  }
  return seconds;
}

std::string KnownJobs() {
  std::string names;
  for (const auto& [name, job] : ScheduledJobs()) {
    names += (names.empty() ? "" : ", ") + name;
  }
  return names;
}

void Print(const std::string& job, const DateTime& started, const JobRunReport& report, bool json) {
  if (json) {
    auto out = std::make_shared<Dictionary>();
    out->Add("job", Variant(job));
    out->Add("started", Variant(started.ToText()));
    out->Add("found", Variant(report.found));
    out->Add("published", Variant(report.published));
    out->Add("refused", Variant(report.refused));
    out->Add("moved", Variant(report.moved));
    out->Add("left", Variant(report.left));
    out->Add("skipped", Variant(report.skipped));
    VariantArray warnings(0);
    for (const std::string& warning : report.warnings) {
      warnings.Append(Variant(warning));
    }
    out->Add("warnings", Variant(std::move(warnings)));
    std::cout << json::Serialize(Variant(ObjectRef(out))) << std::endl;
    return;
  }
  std::cout << started.ToText() << " " << job << ": ";
  if (report.skipped) {
    std::cout << "skipped, another run holds the lock" << std::endl;
  } else {
    std::cout << "found " << report.found << ", published " << report.published << ", refused "
              << report.refused << ", moved " << report.moved << ", left " << report.left
              << ", warnings " << report.warnings.size() << std::endl;
  }
  for (const std::string& warning : report.warnings) {
    std::cerr << "  warning: " << warning << std::endl;
  }
}

// Requests a stop of `stop` when SIGINT or SIGTERM arrives; those signals are blocked in every
// thread made after construction and taken by a thread of its own. Ends that thread when
// destroyed.
class StopOnSignal {
 public:
  explicit StopOnSignal(std::stop_source& stop) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    waiter_ = std::thread([this, &stop] {
      int received = 0;
      sigwait(&signals_, &received);
      stop.request_stop();
    });
  }
  ~StopOnSignal() {
    // A signal that never came is sent to the waiting thread itself, so that it ends.
    pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

 private:
  sigset_t signals_;
  std::thread waiter_;
};

int RunJob(const RunOptions& options, const std::function<void()>& use_home) {
  const auto job = ScheduledJobs().find(options.job);
  if (job == ScheduledJobs().end()) {
    std::cerr << "velmora run: unknown job '" << options.job << "'; the jobs are " << KnownJobs()
              << "\n";
    return 2;
  }
  std::optional<int> every;
  if (options.every) {
    every = EverySeconds(*options.every);
    if (!every) {
      std::cerr << "velmora run: --every needs a whole number of seconds from 1 to "
                << kMaxEverySeconds << ", not '" << *options.every << "'\n";
      return 2;
    }
  }
  std::stop_source stop;
  const StopOnSignal signals(stop);
  use_home();
  // Processing creates classes such as "Velmora.Notification" by their ProgIDs.
  automation::RegisterAllClasses();
  std::mutex mutex;
  std::condition_variable_any wake;
  while (!stop.stop_requested()) {
    const DateTime started = CurrentClock().Now();
    Print(job->first, started, job->second(stop.get_token()), options.json);
    if (!every) {
      break;
    }
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop.get_token(), std::chrono::seconds(*every), [] { return false; });
  }
  return 0;
}

}  // namespace

void AddRunCommand(cli::Command& root, const std::function<void()>& use_home) {
  auto options = std::make_shared<RunOptions>();
  cli::Command& run = root.Add("run", "Run a scheduled job once, or every SECONDS until stopped");
  run.Positional("job", options->job, "The job: " + KnownJobs(), true);
  run.Option("--every", options->every, "Run again every SECONDS until SIGINT or SIGTERM");
  run.Flag("--json", options->json, "One JSON object per run");
  run.OnRun([options, use_home] {
    try {
      return RunJob(*options, use_home);
    } catch (const Error& failure) {
      std::cerr << "velmora run: " << failure.description() << "\n";
      return 1;
    }
  });
}

}  // namespace velmora::app
