#include "platform/files/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/path_resolver.h"
#include "velmora/base/error.h"

namespace velmora::files {
namespace {

class FlockLock : public FileLock {
 public:
  explicit FlockLock(int fd) : fd_(fd) {}
  ~FlockLock() override { ::close(fd_); }
  FlockLock(const FlockLock&) = delete;
  FlockLock& operator=(const FlockLock&) = delete;

 private:
  int fd_;
};

[[noreturn]] void Raise(const std::string& path, int error_number) {
  const int32_t number =
      error_number == EACCES || error_number == EPERM ? kErrPermissionDenied : kErrPathFileAccess;
  throw Error(number, "Velmora.Files",
              "Cannot lock '" + path + "': " + std::strerror(error_number));
}

}  // namespace

std::unique_ptr<FileLock> TryLockFile(const std::string& native_path) {
  const int fd = ::open(native_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    Raise(native_path, errno);
  }
  auto lock = std::make_unique<FlockLock>(fd);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error_number = errno;
    if (error_number == EWOULDBLOCK) {
      return nullptr;
    }
    Raise(native_path, error_number);
  }
  return lock;
}

}  // namespace velmora::files
