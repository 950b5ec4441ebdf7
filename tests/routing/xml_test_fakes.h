#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/dispatch.h"
#include "platform/files/remote_file.h"
#include "velmora/base/error.h"

// Fakes of the outside components the XML and XSL services call for network paths.
namespace velmora::testing {

// "D2ORiro.XML" that answers every call with a fixed text and records the method and its
// arguments (as text) in `calls`.
class FakeNetworkXml : public core::Dispatch {
 public:
  std::string TypeName() const override { return "FakeNetworkXml"; }
  bool HasMethod(const std::string&) const override { return true; }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    calls.push_back(method);
    for (const Variant& arg : args) {
      calls.push_back(arg.ToText());
    }
    return Variant("<p>from the share</p>");
  }

  std::vector<std::string> calls;
};

// "D2ORiro.File" whose share refuses every deletion with permission denied (70), as a share
// does for a file another process holds open. Other operations are not expected and raise.
class HeldRemoteFile : public files::RemoteFile {
 public:
  void CreateFolderTree(const std::string&) override { Refuse(); }
  std::shared_ptr<Collection> GetFileNamesInFolder(const std::string&) override { Refuse(); }
  void DeleteFolderAndFiles(const std::string&) override { Refuse(); }
  void DeleteFile(const std::string& fileName) override {
    throw Error(kErrPermissionDenied, "Velmora.Files", "Permission denied: '" + fileName + "'");
  }
  bool FileExists(const std::string&) override { return true; }
  bool FolderExists(const std::string&) override { return true; }
  void CopyFile(const std::string&, const std::string&, bool) override { Refuse(); }
  void MoveFile(const std::string&, const std::string&) override { Refuse(); }
  void CreateTextFile(const std::string&, const std::string&, bool) override { Refuse(); }

 private:
  [[noreturn]] static void Refuse() {
    throw Error(kErrInvalidProcedureCall, "HeldRemoteFile", "not expected in this test");
  }
};

}  // namespace velmora::testing
