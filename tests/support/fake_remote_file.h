#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "platform/files/remote_file.h"

// A "D2ORiro.File" that records every call and touches nothing, registered in place of the
// real component for the life of the object: proof that an operation took the remote route.
namespace velmora::testing {

class FakeRemoteFile : public files::RemoteFile {
 public:
  // One line per call: the operation and its arguments, separated by "|".
  std::vector<std::string> calls;
  // The answer of FileExists and FolderExists.
  bool exists = true;
  // The names GetFileNamesInFolder returns.
  std::vector<std::string> names;

  void CreateFolderTree(const std::string& path) override { Record("CreateFolderTree|" + path); }
  std::shared_ptr<Collection> GetFileNamesInFolder(const std::string& folder) override {
    Record("GetFileNamesInFolder|" + folder);
    auto listed = std::make_shared<Collection>();
    for (const std::string& name : names) {
      listed->Add(Variant(name));
    }
    return listed;
  }
  void DeleteFolderAndFiles(const std::string& folder) override {
    Record("DeleteFolderAndFiles|" + folder);
  }
  void DeleteFile(const std::string& fileName) override { Record("DeleteFile|" + fileName); }
  bool FileExists(const std::string& fileName) override {
    Record("FileExists|" + fileName);
    return exists;
  }
  bool FolderExists(const std::string& folderName) override {
    Record("FolderExists|" + folderName);
    return exists;
  }
  void CopyFile(const std::string& from, const std::string& to, bool overwrite) override {
    Record("CopyFile|" + from + "|" + to + "|" + (overwrite ? "true" : "false"));
  }
  void MoveFile(const std::string& from, const std::string& to) override {
    Record("MoveFile|" + from + "|" + to);
  }
  void CreateTextFile(const std::string& text, const std::string& fileName, bool unicode) override {
    Record("CreateTextFile|" + text + "|" + fileName + "|" + (unicode ? "true" : "false"));
  }
  void SendMail(mail::Message message, const std::vector<std::string>& attachments) override {
    std::string call = "SendMail|" + message.from + "|" + message.to + "|" + message.subject;
    for (const mail::Attachment& attachment : message.attachments) {
      call += "|" + attachment.name;
    }
    for (const std::string& path : attachments) {
      call += "|" + path;
    }
    Record(std::move(call));
  }

 private:
  void Record(std::string call) { calls.push_back(std::move(call)); }
};

// Installs a FakeRemoteFile as "D2ORiro.File"; every creation returns the same fake.
class ScopedFakeRemoteFile {
 public:
  ScopedFakeRemoteFile()
      : fake_(std::make_shared<FakeRemoteFile>()),
        component_(files::RemoteFile::kProgId, [fake = fake_] { return fake; }) {}

  FakeRemoteFile& operator*() { return *fake_; }
  FakeRemoteFile* operator->() { return fake_.get(); }

 private:
  std::shared_ptr<FakeRemoteFile> fake_;
  core::ScopedComponent component_;
};

}  // namespace velmora::testing
