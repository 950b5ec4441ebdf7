#include <vector>

#include "platform/files/file_system.h"
#include "platform/files/path_text.h"
#include "platform/files/remote_file.h"
#include "velmora/base/error.h"
#include "velmora/base/text_encoding.h"

namespace velmora::files {
namespace {

[[noreturn]] void RaiseNoMailOperation() {
  throw Error(kErrObjectRequired, "Velmora.Files", "Object required: mail transport");
}

class MountedShareFile : public RemoteFile {
 public:
  MountedShareFile(PathResolver resolver, MailSource mail)
      : files_(NewLocalFileSystem(std::move(resolver))), mail_(std::move(mail)) {}

  void CreateFolderTree(const std::string& path) override {
    std::vector<std::string> missing;
    for (std::string current = path; !current.empty() && !files_->FolderExists(current);
         current = GetParentFolderPart(current)) {
      missing.push_back(current);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
      files_->CreateFolder(*folder);
    }
  }

  std::shared_ptr<Collection> GetFileNamesInFolder(const std::string& folder) override {
    auto names = std::make_shared<Collection>();
    for (const FolderEntry& entry : files_->List(folder)) {
      if (entry.is_file) {
        names->Add(Variant(entry.name));
      }
    }
    return names;
  }

  void DeleteFolderAndFiles(const std::string& folder) override {
    if (files_->FolderExists(folder)) {
      files_->DeleteFolder(folder);
    }
  }

  void DeleteFile(const std::string& fileName) override { files_->DeleteFile(fileName); }

  bool FileExists(const std::string& fileName) override { return files_->FileExists(fileName); }

  bool FolderExists(const std::string& folderName) override {
    return files_->FolderExists(folderName);
  }

  void CopyFile(const std::string& from, const std::string& to, bool overwrite) override {
    files_->CopyFile(from, TargetPath(from, to), overwrite);
  }

  void MoveFile(const std::string& from, const std::string& to) override {
    files_->MoveFile(from, TargetPath(from, to));
  }

  void CreateTextFile(const std::string& text, const std::string& fileName, bool unicode) override {
    files_->WriteFile(fileName, text::EncodeTextFile(text, unicode), WriteMode::kReplace);
  }

  void SendMail(mail::Message message, const std::vector<std::string>& attachments) override {
    if (!mail_) {
      RaiseNoMailOperation();
    }
    for (const std::string& path : attachments) {
      message.attachments.push_back(
          mail::Attachment{GetFileNamePart(path), files_->ReadFile(path)});
    }
    mail_().Send(message);
  }

 private:
  std::unique_ptr<FileSystem> files_;
  MailSource mail_;
};

}  // namespace

void RemoteFile::SendMail(mail::Message, const std::vector<std::string>&) {
  RaiseNoMailOperation();
}

std::shared_ptr<RemoteFile> NewMountedShareFile(PathResolver resolver, MailSource mail) {
  return std::make_shared<MountedShareFile>(std::move(resolver), std::move(mail));
}

}  // namespace velmora::files
