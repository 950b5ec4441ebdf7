#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "platform/host/installation_registry.h"
#include "platform/host/log.h"
#include "velmora/base/sources.h"

namespace velmora::host {
namespace {

constexpr int kKeptFiles = 5;
constexpr int64_t kDefaultMaxBytes = 10 * 1024 * 1024;

int64_t MaxBytes() {
  const char* value = std::getenv("VELMORA_LOG_MAX_BYTES");
  if (value != nullptr) {
    const long long parsed = std::atoll(value);
    if (parsed > 0) {
      return parsed;
    }
  }
  return kDefaultMaxBytes;
}

bool AlsoToStandardError() {
  const char* value = std::getenv("VELMORA_LOG_STDERR");
  return value != nullptr && std::string(value) == "1";
}

// Closes a file descriptor on scope exit.
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

 private:
  int fd_;
};

std::string ExtraText(const Variant& extra) {
  if (extra.IsEmpty() || extra.IsNull() || extra.IsObject() || extra.IsArray()) {
    return {};
  }
  return extra.ToText();
}

class JsonLinesLog : public Log {
 public:
  explicit JsonLinesLog(std::string log_dir) : log_dir_(std::move(log_dir)) {}

  void WriteErrorEntry(const std::string& source, const std::string& text, int32_t level,
                       const Variant& extra) override {
    Write("error", source, text, level, extra);
  }

  void WriteNoticeEntry(const std::string& source, const std::string& text, int32_t level,
                        const Variant& extra) override {
    Write("notice", source, text, level, extra);
  }

 private:
  void Write(const char* kind, const std::string& source, const std::string& text, int32_t level,
             const Variant& extra) {
    nlohmann::json entry = {{"time", CurrentClock().Now().ToText()},
                            {"kind", kind},
                            {"level", level},
                            {"source", source},
                            {"text", text},
                            {"extra", ExtraText(extra)}};
    const std::string line =
        entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (AlsoToStandardError() || !Append(line)) {
      std::cerr << line << std::flush;
    }
  }

  bool Append(const std::string& line) {
    std::error_code error;
    std::filesystem::create_directories(log_dir_, error);
    const std::string path = log_dir_ + "/velmora.log";
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX) != 0) {
      return false;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) == 0 &&
        status.st_size + static_cast<int64_t>(line.size()) > MaxBytes() && status.st_size > 0) {
      Rotate(path);
      FileDescriptor fresh(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
      return fresh.get() >= 0 && WriteAll(fresh.get(), line);
    }
    return WriteAll(fd.get(), line);
  }

  static void Rotate(const std::string& path) {
    for (int i = kKeptFiles - 1; i >= 1; --i) {
      std::rename((path + "." + std::to_string(i)).c_str(),
                  (path + "." + std::to_string(i + 1)).c_str());
    }
    std::rename(path.c_str(), (path + ".1").c_str());
  }

  static bool WriteAll(int fd, const std::string& line) {
    size_t written = 0;
    while (written < line.size()) {
      const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
      if (n <= 0) {
        return false;
      }
      written += static_cast<size_t>(n);
    }
    return true;
  }

  std::string log_dir_;
};

}  // namespace

std::shared_ptr<Log> NewJsonLinesLog(std::string log_dir) {
  return std::make_shared<JsonLinesLog>(std::move(log_dir));
}

std::shared_ptr<Log> NewInstallationLog(const std::string& home) {
  return NewJsonLinesLog(InstallationHome(home) + "/log");
}

}  // namespace velmora::host
