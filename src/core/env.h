#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "velmora/base/sources.h"

namespace velmora::files {
class FileSystem;
}
namespace velmora::mail {
class Mailbox;
class Transport;
}  // namespace velmora::mail
namespace velmora::net {
class TransferClient;
}
namespace velmora::sheet {
class Engine;
}

// The environment: the adapters through which the library reaches outside the process, in one
// object (the library's only way to an adapter; per-thread caches of configuration values stay
// caches). The program builds one from the installation home at start-up (NewHomeEnv plus the
// adapters only the program links, such as the office engine) and installs it; tests install
// one made of fakes or fault-injecting wrappers (tests/support) for the scope of a test.
//
// Every member may be left unset; the accessors name the default that applies then.
//
// Lifetime and threads: install before the first call that needs it and before other threads
// start. The installed environment is shared read-only by every thread, so each adapter it
// holds is safe to use from several threads at once (the file-system maker returns a new file
// system per call, since a file system serves one caller).
//
// Components created by ProgID (host components, Velmora's classes, plug-in libraries) come from
// the component registry of core/components.h, which tests replace component by component with
// ScopedComponent.
namespace velmora::core {

class ConnectionFactory;

struct Env {
  // The installation home: configuration, data, folders, logs. Empty: the home the
  // installation registry names, else $VELMORA_HOME, else ./velmora-home.
  std::string home;
  // Database connections. Unset: the database of the home's configuration file.
  std::shared_ptr<ConnectionFactory> databases;
  // Makes a file system for one caller. Unset: the local file system with the share and drive
  // maps of the site configuration.
  std::function<std::unique_ptr<files::FileSystem>()> new_file_system;
  // Time and GUIDs. Unset: the system's.
  std::shared_ptr<Clock> clock;
  std::shared_ptr<GuidSource> guids;
  // The spreadsheet engine. Unset: none (workbook operations report that no engine is there).
  std::shared_ptr<sheet::Engine> sheets;
  // Sends composed mails (SMTP relay or pick-up folder). Unset: no mail service.
  std::shared_ptr<mail::Transport> mail;
  // HTTP(S) and FTP transfers. Unset: none.
  std::shared_ptr<net::TransferClient> transfer;
  // Opens the inbox of the import mailbox `address` ("<user>@<server>"); the caller owns it.
  // Unset: the mailbox of section "MAILBOXES" of the site configuration (core/mailboxes.h).
  std::function<std::unique_ptr<mail::Mailbox>(const std::string& address)> open_mailbox;
  // When set, the only folders (POSIX paths) below which the library's file service reads,
  // writes, copies, moves, lists or deletes (the HTTP service sets them). Unset: no limit.
  std::optional<std::vector<std::string>> allowed_roots;
  // When set, the only hosts (names or addresses, compared without regard to case) from which
  // XML documents and style sheets are downloaded over http(s); redirects are not followed.
  // Unset: any host.
  std::optional<std::vector<std::string>> allowed_hosts;

  // The adapters above with their defaults. Mail and Transfer raise kErrObjectRequired naming
  // what is missing when unset.
  std::shared_ptr<ConnectionFactory> Databases() const;
  std::unique_ptr<files::FileSystem> NewFileSystem() const;
  mail::Transport& Mail() const;
  net::TransferClient& Transfer() const;
  std::unique_ptr<mail::Mailbox> OpenMailbox(const std::string& address) const;
};

// The installed environment; an empty one (every default) until InstallEnv.
const Env& CurrentEnv();

// Replaces the installed environment. REQUIRES: no other thread is using the current one.
void InstallEnv(Env env);

// Installs `env` for its own lifetime and puts the previous environment back afterwards.
// Scopes nest; destroy them in the reverse order of their creation.
class ScopedEnv {
 public:
  explicit ScopedEnv(Env env);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  Env previous_;
};

// Forgets the connection string that the default connection factory read from the
// configuration (after `velmora init` has written another one).
void ForgetConfiguredDatabase();

}  // namespace velmora::core
