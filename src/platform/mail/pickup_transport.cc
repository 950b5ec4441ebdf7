#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <utility>

#include "platform/mail/composer.h"
#include "platform/mail/transports.h"
#include "velmora/base/error.h"
#include "velmora/base/sources.h"

namespace velmora::mail {
namespace {

[[noreturn]] void RaiseNotWritten(const std::string& path, int error) {
  throw Error(kErrMailNotSent, "Velmora.Mail",
              "The mail could not be written to the pick-up folder ('" + path +
                  "'): " + std::strerror(error));
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      RaiseNotWritten(path, errno);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

// Makes the names in `folder` durable: a renamed file survives a crash only once its folder is
// synced too.
void SyncFolder(const std::string& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0 || ::fsync(fd.get()) != 0) {
    RaiseNotWritten(folder, errno);
  }
}

// A mail is written under a hidden temporary name, synced, renamed to its final name and the
// folder synced, so that the pick-up service never sees half a mail and a mail reported as
// written survives a crash. A failure of the last sync raises although the mail is in place:
// the caller's record then says "not sent" for a mail that may still go out, never the reverse.
class PickupTransport : public Transport {
 public:
  explicit PickupTransport(std::string folder) : folder_(std::move(folder)) {}

  void Send(const Message& message) override {
    const DateTime now = CurrentClock().Now();
    const ComposedMail composed = Compose(message, now);
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    const std::string name = NewName(now);
    const std::string temporary = folder_ + "/." + name + ".tmp";
    const std::string final_path = folder_ + "/" + name;
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
      RaiseNotWritten(temporary, errno);
    }
    try {
      WriteAll(fd.get(), composed.bytes, temporary);
      if (::fsync(fd.get()) != 0 || ::close(fd.Release()) != 0) {
        RaiseNotWritten(temporary, errno);
      }
      if (std::rename(temporary.c_str(), final_path.c_str()) != 0) {
        RaiseNotWritten(final_path, errno);
      }
    } catch (...) {
      ::unlink(temporary.c_str());
      throw;
    }
    SyncFolder(folder_);
  }

 private:
  std::string NewName(const DateTime& now) {
    thread_local std::mt19937_64 random(std::random_device{}());
    char name[96];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d-%016llx%04x.eml", now.year,
                  now.month, now.day, now.hour, now.minute, now.second,
                  static_cast<unsigned long long>(random()),
                  static_cast<unsigned>(counter_.fetch_add(1) & 0xFFFF));
    return name;
  }

  std::string folder_;
  std::atomic<unsigned> counter_{0};
};

}  // namespace

std::unique_ptr<Transport> NewPickupTransport(const std::string& folder) {
  return std::make_unique<PickupTransport>(folder);
}

}  // namespace velmora::mail
