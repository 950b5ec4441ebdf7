#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "velmora/base/date_time.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/variant.h"

namespace velmora {

// Folder kinds known to FileHandling::GetFolderName.
enum class EFolderType : int32_t {
  AsIs = 1,                       // the name passed in, unchanged
  UploadFolder = 2,               // parameter "XmlUploadTempDir"
  ErrorFolder = 3,                // parameter "ErrorPath"
  XmlPath1Folder = 4,             // parameter "XMLPath1"
  XmlPath2Folder = 5,             // parameter "XMLPath2"
  XmlErrorFolder = 6,             // parameter "XMLErrorPath"
  ObiFolder = 7,                  // parameter "ObiPath"
  WindowsFolder = 8,              // the installation home
  TempFolder = 9,                 // $TMPDIR, else /tmp
  SystemFolder = 10,              // "plugins" of the installation home
  WithTimeStamp = 11,             // name + "_yyyy.mm.dd_hh.mm.ss"
  AttachmentsVirtualFolder = 12,  // parameter "AttachmentsVirtualPath"
  ExcelTempFolder = 13,           // parameter "ExcelTempFolder", created when missing
};

// File-name kinds known to FileHandling::GetFileName.
enum class EFileType : int32_t {
  AsIs = 1,
  TempFile = 2,
  WithTimeStamp = 3,
  Backup = 4,
};

// Input/output modes of the library's file operations. WriteFileToDisk takes the text-stream
// mode numbers instead: kIoModeReading (1), kIoModeWriting (2), kIoModeAppending (8).
enum class EFileIOMode : int32_t {
  Reading = 1,
  Writing = 2,
  Appending = 3,
};

inline constexpr int32_t kIoModeReading = 1;
inline constexpr int32_t kIoModeWriting = 2;
inline constexpr int32_t kIoModeAppending = 8;

// One file of a folder listing (FileHandling::getFilesInFolder), and the file argument of
// Utility::MoveFileToErrorDir. A snapshot taken when the listing was made; Path() is the
// folder as the caller wrote it joined with Name(), so it stays in the library's path form
// ("D:\in\a.xml", "\\srv\share\a.xml", "/var/in/a.xml"). An operation that moves the file
// through this object (Utility::MoveFileToErrorDir) updates Name() and Path(). Value-like; not
// safe for concurrent writers. Exported to script callers as a dictionary with the keys
// "Name", "Path", "Size" and "DateLastModified".
class FileObject : public Object {
 public:
  FileObject() = default;
  FileObject(std::string name, std::string path, int64_t size, DateTime date_last_modified)
      : name_(std::move(name)),
        path_(std::move(path)),
        size_(size),
        date_last_modified_(date_last_modified) {}

  std::string TypeName() const override { return "File"; }
  Variant Export() const override;

  // The bare name, with extension ("a.xml").
  const std::string& Name() const { return name_; }
  // The full path in the library's path form.
  const std::string& Path() const { return path_; }
  // The size in bytes when listed.
  int64_t Size() const { return size_; }
  // The local date and time of the last change when listed.
  const DateTime& DateLastModified() const { return date_last_modified_; }

  // Points the object at another path; the name becomes the last part of `path`.
  void SetPath(std::string path);

 private:
  std::string name_;
  std::string path_;
  int64_t size_ = 0;
  DateTime date_last_modified_;
};

// Velmora.FileHandling: the library's one gateway to the file system. Names the working
// folders by kind, builds file names, writes, copies, moves, lists and deletes files and
// validates folder names. Paths are written the library's way: "\" and "/" both separate,
// "\\server\share\..." and "X:\..." go through the share and drive maps of the site
// configuration, anything else is a POSIX path. Network paths of the operations that have a
// remote route go through the component "D2ORiro.File". Stateless; safe to use from several
// threads with one object per thread. Every method reports its failures through the error
// chain under "Velmora.FileHandling.<method>" and raises them.
class FileHandling {
 public:
  // The extension of `fileName` without the dot, in lower case; "" when it has none.
  std::string GetFileExtension(const std::string& fileName);

  // The folder of kind `folderType` (see EFolderType); parameter folders are read from
  // COLLABORATIONPARAMETER and trimmed (a missing parameter raises MissingParameter). Any
  // other number returns the trimmed `folderName`, or "." when that is blank. WindowsFolder and
  // SystemFolder raise Path not found when the installation directory is unknown.
  std::string GetFolderName(EFolderType folderType, const std::string& folderName = "");

  // Every piece trimmed, then: AsIs prefix+name+suffix+extension; TempFile prefix + a fresh
  // temporary name ("radXXXXX.tmp") + suffix + extension; WithTimeStamp prefix + name +
  // "_yyyy.mm.dd_hh.mm.ss" + suffix + extension; Backup and any other number "".
  std::string GetFileName(EFileType fileType, const std::string& prefix, const std::string& name,
                          const std::string& suffix, const std::string& extension);

  // Writes `sourceString` to `destFile` (Windows-1252; characters outside it become "?"), or
  // copies (ioMode 2) / appends (ioMode 8) `sourceFile` to it. Checks, in order: blank
  // destination (MissingParameter), ioMode 1 (WrongIOMode), both sources given (NotPresent),
  // missing source file (NotPresent), missing destination while !createFile (NotPresent),
  // existing destination while !overwriteFile (AlreadyPresent), missing destination folder
  // while !createFolders (NotPresent); then writes. Nothing is written when a check fails.
  // Both file names are used trimmed. A copy (blank sourceString) fails when sourceFile is
  // blank too.
  void WriteFileToDisk(const std::string& destFile, const std::string& sourceString = "",
                       const std::string& sourceFile = "", bool createFolders = false,
                       bool createFile = true, bool overwriteFile = false,
                       int32_t ioMode = kIoModeWriting);

  // Creates every missing folder of `path` (at most 127 levels; deeper trees fail).
  void CreateFolderTree(const std::string& path);

  // The files directly inside `folder` as a collection of FileObject, in listing order.
  std::shared_ptr<Collection> getFilesInFolder(const std::string& folder);

  // The bare names of the files directly inside `folder`, as texts, in listing order; always
  // a collection (empty for an empty folder). Names that are not valid UTF-8 are left out
  // with a warning in the log.
  std::shared_ptr<Collection> getFileNamesInFolder(const std::string& folder);

  // The whole text of the file, as UTF-8. A UTF-8 file (a leading byte-order mark is dropped)
  // is returned as it is; a file with a UTF-16 byte-order mark is decoded; any other file that
  // is not valid UTF-8 is read as Windows-1252. Any failure raises CannotLoadFile ("ZODAR4560").
  std::string GetFileContentAsString(const std::string& fileName);

  // Deletes the folder with everything in it when it exists; a missing folder is no error.
  void deleteFolderAndFilesInFolder(const std::string& folder);

  // Deletes the file when the trimmed name is not blank. A missing file raises.
  void DeleteFileFromDisk(const std::string& fileName);

  // Moves a file; fails when `to` exists. A `to` ending in a separator names a folder.
  void MoveFile(const std::string& from, const std::string& to);

  // Copies a file; with !overwrite an existing `to` fails. A `to` ending in a separator names
  // a folder.
  void CopyFile(const std::string& from, const std::string& to, bool overwrite);

  bool FileExists(const std::string& fileName);
  bool FolderExists(const std::string& folderName);

  // True for ""; false when the name holds any of : * ? " < > | or is not valid UTF-8; true
  // otherwise (separators are allowed, so whole paths validate).
  bool IsValidFolderName(const std::string& folderName);

  // The file name of `path` without folder and extension; "" for a blank path.
  std::string GetBaseName(const std::string& path);

  // A path in `folderName` that does not exist yet: folder joined with `fileName`, else with
  // base + "_" + n + "." + extension for n = 1, 2, ... `fileName` must be a bare file name
  // (no separator, drive, "." or ".."); anything else raises.
  std::string GetUniqueFileName(const std::string& folderName, const std::string& fileName);

  // Creates or replaces the file with `text`: UTF-16LE with a byte-order mark when `unicode`,
  // Windows-1252 otherwise (characters outside it become "?").
  void createTextFile(const std::string& text, const std::string& fileName, bool unicode);
};

}  // namespace velmora
