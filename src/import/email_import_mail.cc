#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "import/email_import_run.h"
#include "platform/files/file_system.h"
#include "routing/error_folder.h"
#include "routing/mails.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"

namespace velmora::import {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kWriteToErrorDir =
    "Velmora.EmailImport.WriteEmailToErrorDirectoryWithNotification";

// Removes what a refused mail's copy wrote, and its folder when that is empty then: an error
// folder of the same second may hold the copies of other failures.
void RemoveCopies(files::FileSystem& file_system, const std::string& folder,
                  const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    file_system.DeleteFile(file);
  }
  if (!folder.empty() && file_system.FolderExists(folder) && file_system.List(folder).empty()) {
    file_system.DeleteFolder(folder);
  }
}

}  // namespace

void EmailImportRun::DeleteEmail(ImportMail& mail) {
  core::Guarded("Velmora.EmailImport.DeleteEmail", [&] {
    const std::string sender = mail.sender;
    try {
      mail.mailbox->Delete(mail.id);
      mail.deleted = true;
    } catch (...) {
      PendingError pending;
      pending.Capture();
      NotifyAdministrator(
          Label("ZODAR4591", {{"[%SENDER%]", sender}}) + kCrLf + kCrLf + Label("ZODAR4596") +
          kCrLf + kCrLf +
          Label("ZODAR4597", {{"[%PARAMETERNAME%]", "EmailImportForDocumentAttachmentsUserID"}}) +
          kCrLf + kCrLf + Label("ZODAR4595"));
      DisableEmailImport();
      document_import_disabled_ = true;
      report_.warnings.push_back("The e-mail from '" + sender +
                                 "' could not be deleted; the import of documents with "
                                 "attachments has been disabled.");
      pending.Raise();
    }
  });
}

void EmailImportRun::DisableEmailImport() {
  try {
    std::unique_ptr<db::Connection> connection = core::GetConnection();
    std::unique_ptr<db::Recordset> parameter = connection->OpenRecordset(
        "SELECT * "
        " FROM COLLABORATIONPARAMETER "
        " WHERE PARAMNAME = '"
        "EmailImportForDocumentAttachmentsUserID"
        "'",
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    if (!parameter->IsEOF()) {
      const Variant value = parameter->Field("PARAMVALUE");
      const std::string text = value.IsNull() ? std::string() : value.ToText();
      if (text.rfind('~', 0) != 0) {
        parameter->SetField("PARAMVALUE", Variant("~" + text));
        parameter->Update();
      }
    }
    core::CloseRecordset(parameter);
    core::CloseConnection(connection);
  } catch (...) {
    core::LogError("Velmora.EmailImport.DisableEmailImport");
  }
}

void EmailImportRun::WriteEmailToErrorDirectoryWithNotification(const ImportMail& mail) {
  const std::unique_ptr<files::FileSystem> file_system = core::NewSiteFileSystem();
  std::string folder;
  std::vector<std::string> written;
  try {
    folder = routing::error_folder::Create();
    for (const ImportAttachment& attachment : mail.attachments) {
      written.push_back(FileHandling().GetUniqueFileName(folder, attachment.name));
      file_system->WriteFile(written.back(), attachment.content, files::WriteMode::kCreateNew);
    }
    // The whole mail too, so that a mail without attachments is not lost with its text.
    written.push_back(FileHandling().GetUniqueFileName(folder, "message.eml"));
    file_system->WriteFile(written.back(), mail.raw, files::WriteMode::kCreateNew);
    ++report_.refused;
    NotifyAdministrator(Label("ZODAR4592", {{"[%SENDER%]", mail.sender}}) + kCrLf + kCrLf +
                        Label("ZODAR4593", {{"[%ERRORDIR%]", folder}}));
  } catch (...) {
    PendingError pending;
    pending.Capture();
    const std::string text = Label("ZODAR4592", {{"[%SENDER%]", mail.sender}}) + kCrLf +
                             Label("ZODAR4594", {{"[%ERRORDIR%]", folder}});
    core::LogError(pending.error(), kWriteToErrorDir, Variant(text));
    try {
      RemoveCopies(*file_system, folder, written);
    } catch (...) {
      core::LogError(kWriteToErrorDir);
    }
    core::RethrowError(pending, kWriteToErrorDir, Variant(text));
  }
}

void EmailImportRun::NotifyAdministrator(const std::string& text) {
  try {
    const std::string address = core::GetParameter("AdminEmailAddress");
    if (text::Trim(address).empty()) {
      RaiseError(EnumerationErrors::MissingParameter, "Velmora.EmailImport.NotifyAdministrator",
                 Label("ZODAR4104"));
    }
    routing::mails::Send(address, address, Label("ZODAR4590"), text);
  } catch (...) {
    core::LogError("Velmora.EmailImport.NotifyAdministrator");
  }
}

}  // namespace velmora::import
