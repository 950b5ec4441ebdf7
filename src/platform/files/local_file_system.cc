#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/files/file_system.h"
#include "velmora/base/error.h"

namespace velmora::files {
namespace {

constexpr const char* kSource = "Velmora.Files";

[[noreturn]] void Raise(int32_t number, std::string_view path, int error_number = 0) {
  std::string what;
  switch (number) {
    case kErrFileNotFound:
      what = "File not found";
      break;
    case kErrFileAlreadyExists:
      what = "File already exists";
      break;
    case kErrPathNotFound:
      what = "Path not found";
      break;
    case kErrPermissionDenied:
      what = "Permission denied";
      break;
    default:
      what = "Path/File access error";
      break;
  }
  std::string description = what + ": '" + PrintablePath(path) + "'";
  if (error_number != 0) {
    description += " (" + std::string(std::strerror(error_number)) + ")";
  }
  throw Error(number, kSource, description);
}

// The number for an errno value; `missing` is the number for a missing entry (53 for the file
// an operation works on, 76 for a folder).
int32_t NumberOf(int error_number, int32_t missing) {
  switch (error_number) {
    case ENOENT:
      return missing;
    case ENOTDIR:
      return kErrPathNotFound;
    case EEXIST:
    case ENOTEMPTY:
      return kErrFileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return kErrPermissionDenied;
    default:
      return kErrPathFileAccess;
  }
}

[[noreturn]] void RaiseErrno(std::string_view path, int32_t missing) {
  const int error_number = errno;
  Raise(NumberOf(error_number, missing), path, error_number);
}

bool StatOf(const std::string& native, struct stat& info) {
  return !native.empty() && ::stat(native.c_str(), &info) == 0;
}

bool IsRegularFile(const std::string& native) {
  struct stat info {};
  return StatOf(native, info) && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& native) {
  struct stat info {};
  return StatOf(native, info) && S_ISDIR(info.st_mode);
}

// Something (a file, a folder, a dangling link) is at `native`.
bool AnythingAt(const std::string& native) {
  struct stat info {};
  return !native.empty() && ::lstat(native.c_str(), &info) == 0;
}

DateTime LocalTime(time_t seconds) {
  struct tm parts {};
  localtime_r(&seconds, &parts);
  return DateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                  parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

// An open file descriptor, closed on every path out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close (a full disk) is seen.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

class LocalFileSystem : public FileSystem {
 public:
  explicit LocalFileSystem(PathResolver resolver) : resolver_(std::move(resolver)) {}

  std::string ToNative(std::string_view path) override { return resolver_.ToNative(path); }

  bool FileExists(std::string_view path) override { return IsRegularFile(ToNative(path)); }

  bool FolderExists(std::string_view path) override { return IsDirectory(ToNative(path)); }

  void CreateFolder(std::string_view path) override {
    const std::string native = ToNative(path);
    if (::mkdir(native.c_str(), 0777) != 0) {
      RaiseErrno(path, kErrPathNotFound);
    }
  }

  void DeleteFile(std::string_view path) override {
    const std::string native = ToNative(path);
    if (IsDirectory(native) || !AnythingAt(native)) {
      Raise(kErrFileNotFound, path);
    }
    if (::unlink(native.c_str()) != 0) {
      RaiseErrno(path, kErrFileNotFound);
    }
  }

  void DeleteFolder(std::string_view path) override {
    const std::string native = ToNative(path);
    if (!IsDirectory(native)) {
      Raise(kErrPathNotFound, path);
    }
    std::error_code failure;
    std::filesystem::remove_all(native, failure);
    if (failure) {
      Raise(NumberOf(failure.value(), kErrPathNotFound), path, failure.value());
    }
  }

  void CopyFile(std::string_view from, std::string_view to, bool overwrite) override {
    const std::string source = ToNative(from);
    const std::string target = ToNative(to);
    if (!IsRegularFile(source)) {
      Raise(kErrFileNotFound, from);
    }
    if (IsDirectory(target)) {
      Raise(kErrPathNotFound, to);
    }
    if (AnythingAt(target) && !overwrite) {
      Raise(kErrFileAlreadyExists, to);
    }
    std::error_code failure;
    std::filesystem::copy_file(source, target,
                               overwrite ? std::filesystem::copy_options::overwrite_existing
                                         : std::filesystem::copy_options::none,
                               failure);
    if (failure) {
      Raise(NumberOf(failure.value(), kErrPathNotFound), to, failure.value());
    }
  }

  void MoveFile(std::string_view from, std::string_view to) override {
    const std::string source = ToNative(from);
    const std::string target = ToNative(to);
    if (!IsRegularFile(source)) {
      Raise(kErrFileNotFound, from);
    }
    if (AnythingAt(target)) {
      Raise(kErrFileAlreadyExists, to);
    }
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      return;
    }
    if (errno == EINVAL || errno == ENOSYS) {
      // The file system cannot refuse to replace; the check above stands in.
      if (::rename(source.c_str(), target.c_str()) == 0) {
        return;
      }
    }
    if (errno != EXDEV) {
      RaiseErrno(to, kErrPathNotFound);
    }
    CopyFile(from, to, false);
    if (::unlink(source.c_str()) != 0) {
      RaiseErrno(from, kErrFileNotFound);
    }
  }

  std::string ReadFile(std::string_view path) override {
    const std::string native = ToNative(path);
    if (!IsRegularFile(native)) {
      Raise(kErrFileNotFound, path);
    }
    Descriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
      RaiseErrno(path, kErrFileNotFound);
    }
    std::string content;
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        RaiseErrno(path, kErrFileNotFound);
      }
      if (n == 0) {
        break;
      }
      content.append(buffer, static_cast<size_t>(n));
    }
    return content;
  }

  void WriteFile(std::string_view path, std::string_view bytes, WriteMode mode) override {
    const std::string native = ToNative(path);
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
    switch (mode) {
      case WriteMode::kCreateNew:
        flags |= O_EXCL;
        break;
      case WriteMode::kReplace:
        flags |= O_TRUNC;
        break;
      case WriteMode::kAppend:
        flags |= O_APPEND;
        break;
    }
    if (native.empty()) {
      Raise(kErrPathNotFound, path);
    }
    Descriptor fd(::open(native.c_str(), flags, 0666));
    if (fd.get() < 0) {
      RaiseErrno(path, kErrPathNotFound);
    }
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) {
          continue;
        }
        RaiseErrno(path, kErrPathNotFound);
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    if (!fd.Close()) {
      RaiseErrno(path, kErrPathNotFound);
    }
  }

  std::vector<FolderEntry> List(std::string_view folder) override {
    const std::string native = ToNative(folder);
    if (!IsDirectory(native)) {
      Raise(kErrPathNotFound, folder);
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.c_str()), &::closedir);
    if (!dir) {
      RaiseErrno(folder, kErrPathNotFound);
    }
    std::vector<FolderEntry> entries;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir.get());
      if (entry == nullptr) {
        if (errno != 0) {
          RaiseErrno(folder, kErrPathNotFound);
        }
        break;
      }
      const std::string name = entry->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      FolderEntry item;
      item.name = name;
      struct stat info {};
      if (::stat((native + "/" + name).c_str(), &info) == 0) {
        item.is_file = S_ISREG(info.st_mode);
        item.size = static_cast<int64_t>(info.st_size);
        item.modified = LocalTime(info.st_mtim.tv_sec);
      }
      entries.push_back(std::move(item));
    }
    return entries;
  }

 private:
  PathResolver resolver_;
};

}  // namespace

std::unique_ptr<FileSystem> NewLocalFileSystem(PathResolver resolver) {
  return std::make_unique<LocalFileSystem>(std::move(resolver));
}

}  // namespace velmora::files
