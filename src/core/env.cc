#include "core/env.h"

#include <mutex>
#include <optional>
#include <utility>

#include "core/connection_factory.h"
#include "core/file_service.h"
#include "core/mailboxes.h"
#include "platform/files/file_system.h"
#include "velmora/base/error.h"

namespace velmora::core {
namespace {

// The installed environment and the base sources it put in force.
struct Installed {
  Env env;
  std::optional<ScopedClock> clock;
  std::optional<ScopedGuidSource> guids;
};

Installed& Current() {
  static Installed installed;
  return installed;
}

// Puts `env` in force, with its clock and GUID source.
void Apply(Env env) {
  Installed& installed = Current();
  installed.guids.reset();
  installed.clock.reset();
  installed.env = std::move(env);
  if (installed.env.clock) {
    installed.clock.emplace(*installed.env.clock);
  }
  if (installed.env.guids) {
    installed.guids.emplace(*installed.env.guids);
  }
}

std::mutex& DefaultDatabaseMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<ConnectionFactory>& DefaultDatabase() {
  static std::shared_ptr<ConnectionFactory> factory = NewConfiguredConnectionFactory();
  return factory;
}

[[noreturn]] void RaiseMissing(const char* what) {
  throw Error(kErrObjectRequired, "Velmora.Env", std::string("Object required: ") + what);
}

}  // namespace

std::shared_ptr<ConnectionFactory> Env::Databases() const {
  if (databases) {
    return databases;
  }
  std::lock_guard lock(DefaultDatabaseMutex());
  return DefaultDatabase();
}

std::unique_ptr<files::FileSystem> Env::NewFileSystem() const {
  return new_file_system ? new_file_system() : NewLocalSiteFileSystem();
}

mail::Transport& Env::Mail() const {
  if (!mail) {
    RaiseMissing("mail transport");
  }
  return *mail;
}

net::TransferClient& Env::Transfer() const {
  if (!transfer) {
    RaiseMissing("transfer client");
  }
  return *transfer;
}

std::unique_ptr<mail::Mailbox> Env::OpenMailbox(const std::string& address) const {
  return open_mailbox ? open_mailbox(address) : OpenSiteMailbox(home, address);
}

const Env& CurrentEnv() { return Current().env; }

void InstallEnv(Env env) { Apply(std::move(env)); }

ScopedEnv::ScopedEnv(Env env) : previous_(Current().env) { Apply(std::move(env)); }

ScopedEnv::~ScopedEnv() { Apply(std::move(previous_)); }

void ForgetConfiguredDatabase() {
  std::lock_guard lock(DefaultDatabaseMutex());
  DefaultDatabase() = NewConfiguredConnectionFactory();
}

}  // namespace velmora::core
