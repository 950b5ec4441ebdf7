#include "platform/sheet/office_process.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include "platform/sheet/uno_support.h"
#include "velmora/sheet/workbook.h"

namespace velmora::sheet {
namespace {

using css::uno::Reference;

// soffice.bin ends with this status when it wants to be started again (after it set up a new
// profile); the launcher it normally runs under would restart it.
constexpr int kRestartRequested = 81;
constexpr int kMaxRestartRequests = 3;

// The slots alive in the program, for the stop at its end.
struct LiveSlots {
  std::mutex mutex;
  std::set<OfficeProcess*> slots;
};

LiveSlots& Live() {
  static LiveSlots live;
  return live;
}

void StopEverySlot() {
  LiveSlots& live = Live();
  std::lock_guard lock(live.mutex);
  for (OfficeProcess* slot : live.slots) {
    slot->Stop();
  }
}

// Registered after the first connection stands, so that it runs before the UNO runtime's
// objects made until then are destroyed.
void StopEverySlotAtExit() {
  static std::once_flag once;
  std::call_once(once, [] { std::atexit(StopEverySlot); });
}

// The bridge writes to an office process's pipe with plain writes. Once the process has died,
// such a write raises SIGPIPE, whose default action ends the whole host, not just the call. The
// engine therefore ignores SIGPIPE before its first connection, unless the host has installed a
// disposition of its own. The write then fails with EPIPE, and the bridge reports the dead
// process as a failure of that workbook. Office processes are started with the default action
// restored (soffice_process.cc).
void IgnoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      sigemptyset(&ignore.sa_mask);
      ::sigaction(SIGPIPE, &ignore, nullptr);
    }
  });
}

}  // namespace

OfficeProcess::OfficeProcess(std::string program_folder, std::string work_folder,
                             int start_timeout_seconds)
    : program_folder_(std::move(program_folder)),
      work_folder_(std::move(work_folder)),
      start_timeout_seconds_(start_timeout_seconds) {
  LiveSlots& live = Live();
  std::lock_guard lock(live.mutex);
  live.slots.insert(this);
}

OfficeProcess::~OfficeProcess() {
  {
    LiveSlots& live = Live();
    std::lock_guard lock(live.mutex);
    live.slots.erase(this);
  }
  Stop();
}

void OfficeProcess::EnsureRunning() {
  if (process_ && !process_->HasExited() && (!suspect_ || Answers())) {
    suspect_ = false;
    return;
  }
  Stop();
  Start();
}

bool OfficeProcess::IsRunning() { return process_ && !process_->HasExited(); }

int OfficeProcess::pid() { return IsRunning() ? process_->pid() : -1; }

void OfficeProcess::Stop() {
  desktop_.clear();
  if (bridge_.is()) {
    try {
      bridge_->dispose();
    } catch (const css::uno::Exception&) {
      // A connection that is gone already needs no closing.
    }
    bridge_.clear();
  }
  process_.reset();
  suspect_ = false;
}

bool OfficeProcess::Answers() {
  if (!IsRunning() || !desktop_.is()) {
    return false;
  }
  try {
    desktop_->getComponents();
    return true;
  } catch (const css::uno::Exception&) {
    return false;
  }
}

void OfficeProcess::Start() {
  IgnoreBrokenPipes();
  const Reference<css::uno::XComponentContext> local = LocalContext(program_folder_);
  process_ = std::make_unique<SofficeProcess>(program_folder_, work_folder_);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(start_timeout_seconds_);
  int restarts = 0;
  std::string last_failure = "no answer";
  while (std::chrono::steady_clock::now() < deadline) {
    if (process_->HasExited()) {
      const int status = process_->wait_status();
      if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartRequested &&
          ++restarts <= kMaxRestartRequests) {
        process_->Spawn();
        continue;
      }
      process_.reset();
      throw Error(
          kErrEngineUnavailable, "Velmora.Sheet",
          "The office process ended while starting (status " + std::to_string(status) + ")");
    }
    try {
      const auto connection =
          css::connection::Connector::create(local)->connect(ToUno(process_->PipeText()));
      const Reference<css::bridge::XBridge> bridge =
          css::bridge::BridgeFactory::create(local)->createBridge(
              OUString(), "urp", connection, Reference<css::bridge::XInstanceProvider>());
      bridge_.set(bridge, css::uno::UNO_QUERY_THROW);
      const Reference<css::uno::XComponentContext> remote(
          bridge->getInstance("StarOffice.ComponentContext"), css::uno::UNO_QUERY_THROW);
      desktop_ = css::frame::Desktop::create(remote);
      StopEverySlotAtExit();
      return;
    } catch (const css::connection::NoConnectException& exception) {
      last_failure = FromUno(exception.Message);
    } catch (const css::uno::Exception& exception) {
      last_failure = FromUno(exception.Message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  process_.reset();
  throw Error(kErrEngineUnavailable, "Velmora.Sheet",
              "The office process did not accept a connection within " +
                  std::to_string(start_timeout_seconds_) + " seconds: " + last_failure);
}

}  // namespace velmora::sheet
