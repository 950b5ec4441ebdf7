#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/path_resolver.h"
#include "velmora/base/date_time.h"

namespace velmora::files {

// One entry directly inside a folder.
struct FolderEntry {
  std::string name;  // bare name, bytes as the file system holds them (may not be UTF-8)
  bool is_file = false;
  int64_t size = 0;
  DateTime modified;  // local time of the last change
};

enum class WriteMode {
  kCreateNew,  // fails with kErrFileAlreadyExists when the file exists
  kReplace,    // creates or truncates
  kAppend,     // creates or appends
};

// The file system as the library's file operations see it. Every path is written the
// library's way and resolved by a PathResolver (shares, drives, separators); resolution errors
// pass unchanged. Failures raise an Error with source "Velmora.Files", a description naming the
// path, and the number the scripts' file-system object would give:
//   kErrFileNotFound (53)       a file that should exist does not;
//   kErrFileAlreadyExists (58)  a file that should not exist does;
//   kErrPathNotFound (76)       a folder (or a parent folder) is missing or is a file;
//   kErrPermissionDenied (70)   the operating system refuses;
//   kErrPathFileAccess (75)     any other failure.
// Not safe for concurrent use; each caller makes its own.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Queries; they raise only for a path that cannot be resolved.
  virtual bool FileExists(std::string_view path) = 0;
  virtual bool FolderExists(std::string_view path) = 0;

  // Creates one folder; its parent must exist. 58 when it exists already (file or folder).
  virtual void CreateFolder(std::string_view path) = 0;
  // Deletes a file (not a folder): 53 when there is no such file.
  virtual void DeleteFile(std::string_view path) = 0;
  // Deletes a folder with everything in it: 76 when there is no such folder.
  virtual void DeleteFolder(std::string_view path) = 0;
  // Copies a file onto the file `to` (not into a folder): 53 for a missing source, 58 when
  // `to` exists and !overwrite, 76 when the folder of `to` is missing or `to` is a folder.
  virtual void CopyFile(std::string_view from, std::string_view to, bool overwrite) = 0;
  // Moves a file to the path `to`: 53 for a missing source, 58 when `to` exists.
  virtual void MoveFile(std::string_view from, std::string_view to) = 0;

  // The bytes of a file: 53 when there is no such file.
  virtual std::string ReadFile(std::string_view path) = 0;
  // Writes `bytes` to a file; 76 when its folder is missing.
  virtual void WriteFile(std::string_view path, std::string_view bytes, WriteMode mode) = 0;
  // The entries directly inside a folder, in the order the file system lists them: 76 when
  // there is no such folder.
  virtual std::vector<FolderEntry> List(std::string_view folder) = 0;

  // The POSIX path a library path resolves to.
  virtual std::string ToNative(std::string_view path) = 0;
};

// The file system of this machine over std::filesystem and POSIX calls.
std::unique_ptr<FileSystem> NewLocalFileSystem(PathResolver resolver);

}  // namespace velmora::files
