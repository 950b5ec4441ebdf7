#pragma once

#include <memory>
#include <string>

namespace velmora::files {

// An exclusive advisory lock on a file, held until the object is destroyed or the process
// ends (a killed process never leaves a stale lock behind). Processes that share the file,
// also on other machines over NFS with lock support, see each other's locks.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Takes the lock on the file at the POSIX path `native_path`, creating the file (mode 0600)
// when missing; its folder must exist. nullptr when another holder has it: the call never
// waits. Raises an Error (source "Velmora.Files", kErrPathFileAccess or
// kErrPermissionDenied) when the file cannot be opened or locked.
std::unique_ptr<FileLock> TryLockFile(const std::string& native_path);

}  // namespace velmora::files
