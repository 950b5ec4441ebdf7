#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/path_resolver.h"
#include "platform/mail/transport.h"
#include "velmora/base/dictionary.h"

namespace velmora::files {

// The file component for network paths (ProgID "D2ORiro.File"): the operations the library
// sends for "\\server\share\..." paths. Errors are those of FileSystem. Not safe for concurrent
// use; the library creates one per operation.
class RemoteFile : public Object {
 public:
  static constexpr const char* kProgId = "D2ORiro.File";
  std::string TypeName() const override { return kProgId; }

  // Creates every missing folder of `path`, the outermost first.
  virtual void CreateFolderTree(const std::string& path) = 0;
  // The bare names of the files directly inside `folder`, as texts, in listing order. Names
  // are returned as the file system holds them (they may not be valid UTF-8).
  virtual std::shared_ptr<Collection> GetFileNamesInFolder(const std::string& folder) = 0;
  // Deletes the folder with everything in it; a missing folder is no error.
  virtual void DeleteFolderAndFiles(const std::string& folder) = 0;
  virtual void DeleteFile(const std::string& fileName) = 0;
  virtual bool FileExists(const std::string& fileName) = 0;
  virtual bool FolderExists(const std::string& folderName) = 0;
  // `to` ending in a separator names a folder, as for the local file operations.
  virtual void CopyFile(const std::string& from, const std::string& to, bool overwrite) = 0;
  virtual void MoveFile(const std::string& from, const std::string& to) = 0;
  // Creates or replaces the file: UTF-16LE with byte-order mark when `unicode`, else
  // Windows-1252.
  virtual void CreateTextFile(const std::string& text, const std::string& fileName,
                              bool unicode) = 0;
  // The mail operation: sends `message` with the files `attachments` (paths written the
  // library's way) added after its own attachments, each under its plain base name. A file
  // that cannot be read raises as ReadFile does and nothing is sent; the transport's errors
  // pass unchanged. A component without a mail operation raises kErrObjectRequired.
  virtual void SendMail(mail::Message message, const std::vector<std::string>& attachments);
};

// Where the mail operation sends: the transport of the environment in force.
using MailSource = std::function<mail::Transport&()>;

// The component over the shares mounted on this machine, found through `resolver`'s maps;
// its mail operation sends through `mail` (without one it raises kErrObjectRequired).
std::shared_ptr<RemoteFile> NewMountedShareFile(PathResolver resolver, MailSource mail = {});

}  // namespace velmora::files
