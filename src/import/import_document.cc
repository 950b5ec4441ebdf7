// The folder import, one document: processing, and after a failure the warning, the error
// copy and the administrator's mail.
#include "core/guarded.h"
#include "core/labels.h"
#include "import/folder_import_run.h"
#include "import/import_rules.h"
#include "routing/error_folder.h"
#include "routing/mails.h"
#include "velmora/document/document.h"

namespace velmora::import {
namespace {

std::string Label(const std::string& code) { return core::GetLabelForMessage(code, {}); }

// The path `file` had before it was claimed.
std::string UnclaimedPath(const FileObject& file) {
  const std::string& path = file.Path();
  const std::string& name = file.Name();
  if (!IsClaimed(name) || path.size() < name.size()) {
    return path;
  }
  return path.substr(0, path.size() - name.size()) + name.substr(1);
}

}  // namespace

void FolderImportRun::ImportDocument(const std::string& xml, const FileObject& file,
                                     const std::string& method) {
  std::string type_in;
  std::string recipient_in;
  int32_t doc_id = 0;
  int32_t sender_bp = 0;
  std::string doc_type;
  std::string sender_name;
  std::string default_recipient;
  int16_t status = 0;
  int32_t parent = -1;
  Error failure(0, "", "");
  try {
    Document().ProcessDocument(0, xml, type_in, recipient_in, doc_id, sender_bp, doc_type,
                               sender_name, default_recipient, status, parent);
    ++report_.published;
    return;
  } catch (...) {
    failure = CurrentError();
  }
  ++report_.refused;
  try {
    const bool workbook = FileHandling().GetFileExtension(file.Name()) == "xls";
    const std::string message = Label(workbook ? "ZODAR0032" : "ZODAR0003") + "\r\n" +
                                Label("ZODAR0002") + ": '" + default_recipient + "'\r\n\r\n" +
                                Label("ZODAR0504") + "\r\n" + failure.description();
    report_.warnings.push_back(UnclaimedPath(file) + ": " + Label("ZODAR0003"));
    core::LogWarning(failure, method, core::Info(message));
    try {
      if (workbook) {
        WriteExcelToFile(file);
      } else {
        WriteNodeToFile(file, xml);
      }
    } catch (...) {
      // Reported where it failed; the administrator is mailed all the same.
    }
    // The file keeps its claimed name until it is deleted: renamed back, a parallel run could
    // claim it and publish its documents a second time.
    routing::mails::SendToAdministrator(UnclaimedPath(file));
  } catch (...) {
    // Only the log can fail here; the next document is processed all the same.
  }
}

void FolderImportRun::WriteNodeToFile(const FileObject& file, const std::string& xml) {
  try {
    std::string name = file.Name();
    routing::error_folder::WriteXml(xml, name);
  } catch (...) {
    Problem("Velmora.DocumentImport.WriteNodeToFile", "ZODAR0016",
            Replacing("[%FILE%]", file.Name()), CurrentError());
  }
}

void FolderImportRun::WriteExcelToFile(const FileObject& file) {
  core::Guarded("Velmora.DocumentImport.WriteExcelToFile", [&] {
    const std::string folder = routing::error_folder::Create();
    const std::string& name = file.Name();
    FileHandling files;
    // An existing copy keeps its name: the new one gets "<base>_<n>.<extension>".
    const std::string target =
        files.GetUniqueFileName(folder, IsClaimed(name) ? name.substr(1) : name);
    files.CopyFile(file.Path(), target, true);
  });
}

}  // namespace velmora::import
