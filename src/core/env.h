#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora::mail {
class Transport;
}
namespace velmora::net {
class TransferClient;
}

// The environment: the adapters through which the library reaches outside the process. The
// program builds one from the installation home at start-up and installs it; tests install
// one made of fakes or fault-injecting wrappers (tests/support) for the scope of a test.
//
// Lifetime and threads: install before the first call that needs it and before other threads
// start; the installed environment is shared read-only by every thread, so each adapter it
// holds is safe to use from several threads at once.
namespace velmora::core {

struct Env {
  // The installation home: configuration, data, folders, logs. Empty: not known.
  std::string home;
  // Sends composed mails (SMTP relay or pick-up folder). Null: no mail service configured.
  std::shared_ptr<mail::Transport> mail;
  // HTTP(S) and FTP transfers. Null: no transfer client available.
  std::shared_ptr<net::TransferClient> transfer;
  // When set, the only folders (POSIX paths) below which the library's file service reads,
  // writes, copies, moves, lists or deletes (the HTTP service sets them). Unset: no limit.
  std::optional<std::vector<std::string>> allowed_roots;
  // When set, the only hosts (names or addresses, compared without regard to case) from which
  // XML documents and style sheets are downloaded over http(s); redirects are not followed.
  // Unset: any host.
  std::optional<std::vector<std::string>> allowed_hosts;

  // The adapters above; each raises kErrObjectRequired naming what is missing when unset.
  mail::Transport& Mail() const;
  net::TransferClient& Transfer() const;
};

// The installed environment; an empty one until InstallEnv.
const Env& CurrentEnv();

// Replaces the installed environment. REQUIRES: no other thread is using the current one.
void InstallEnv(Env env);

// Installs `env` for its own lifetime and puts the previous environment back afterwards.
class ScopedEnv {
 public:
  explicit ScopedEnv(Env env);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  Env previous_;
};

}  // namespace velmora::core
