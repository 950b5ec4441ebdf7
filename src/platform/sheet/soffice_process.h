#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace velmora::sheet {

// One office process started by Velmora: soffice.bin, headless, listening on a named pipe,
// with a private profile whose registry turns document file locking, recovery and the
// first-start steps off. Started with posix_spawn (never fork: the parent runs UNO threads),
// with TZ=UTC, the standard streams on /dev/null and no other inherited descriptors.
// The destructor stops the process and removes its profile and the pipe files it may have left.
// Not copyable.
class SofficeProcess {
 public:
  // Starts the process. Raises kErrEngineUnavailable when it cannot be spawned.
  SofficeProcess(const std::string& program_folder, const std::string& work_folder);
  ~SofficeProcess();
  SofficeProcess(const SofficeProcess&) = delete;
  SofficeProcess& operator=(const SofficeProcess&) = delete;

  pid_t pid() const { return pid_; }
  // The connection description of the process's pipe ("pipe,name=...").
  std::string PipeText() const;
  // Whether the process has ended (reaps it when it has).
  bool HasExited();
  // The exit status of an ended process as waitpid reported it.
  int wait_status() const { return wait_status_; }
  // Ends the process: SIGTERM, then SIGKILL after `grace`; reaps it.
  void Stop(std::chrono::milliseconds grace);
  // Starts the process again in the same profile (the office asks for this once after it set
  // up a new profile). REQUIRES: HasExited().
  void Spawn();

 private:
  std::string ProfileUrl() const;

  std::string program_folder_;
  std::string profile_folder_;
  std::string pipe_name_;
  pid_t pid_ = -1;
  bool exited_ = false;
  int wait_status_ = 0;
};

}  // namespace velmora::sheet
