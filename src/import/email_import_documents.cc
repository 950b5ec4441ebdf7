#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "import/email_import_run.h"
#include "platform/files/file_system.h"
#include "routing/error_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"
#include "velmora/publish/publish_create_document.h"

namespace velmora::import {
namespace {

constexpr const char* kHandleMail = "Velmora.EmailImport.HandleEmailWithDocumentAttachments";

// `folder` and `name` joined with one separator.
std::string Joined(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
    return folder + name;
  }
  return folder + "/" + name;
}

}  // namespace

void EmailImportRun::HandleEmailsWithDocumentAttachments(const std::string& server,
                                                         const std::string& user,
                                                         const std::string& temp_folder) {
  core::Guarded("Velmora.EmailImport.HandleEmailsWithDocumentAttachments", [&] {
    std::vector<std::string> ids;
    const std::unique_ptr<mail::Mailbox> mailbox = LogOn(server, user, ids);
    for (size_t i = 0; i < ids.size(); ++i) {
      if (StopBefore(i, ids.size())) {
        break;
      }
      ImportMail mail;
      try {
        mail = ReadMail(*mailbox, ids[i]);
      } catch (...) {
        core::LogError("Velmora.EmailImport.HandleEmailsWithDocumentAttachments");
        ++report_.left;
        continue;
      }
      try {
        HandleEmailWithDocumentAttachments(mail, temp_folder);
      } catch (...) {
        // Reported by the step that failed; the next mail is handled all the same.
      }
      if (!mail.deleted) {
        ++report_.left;
      }
      if (document_import_disabled_) {
        // Disabled by this mail: the others wait until the operator enables the import again.
        report_.left += static_cast<int32_t>(ids.size() - i - 1);
        break;
      }
    }
  });
}

void EmailImportRun::HandleEmailWithDocumentAttachments(ImportMail& mail,
                                                        const std::string& temp_folder) {
  core::Guarded(kHandleMail, [&] {
    bool found = false;
    for (const ImportAttachment& attachment : mail.attachments) {
      if (AttachmentCanBeDocument(attachment.name)) {
        found = true;
        break;
      }
    }
    if (found) {
      ProcessEmailWithAttachments(mail, temp_folder);
      return;
    }
    WriteEmailToErrorDirectoryWithNotification(mail);
    DeleteEmail(mail);
    RaiseError(EnumerationErrors::EmailImportError, kHandleMail,
               Label("ZODAR4590") + "\r\n" + Label("ZODAR0051") + "\r\n- " + Label("ZODAR0046") +
                   "\r\n- " + Label("ZODAR4602") + "\r\n");
  });
}

bool EmailImportRun::AttachmentCanBeDocument(const std::string& name) {
  return core::Guarded("Velmora.EmailImport.AttachmentCanBeDocument", [&] {
    const std::string extension = FileHandling().GetFileExtension(name);
    if (extension == "xml") {
      return true;
    }
    if (extension != "xls") {
      return false;
    }
    if (!excel_installed_) {
      excel_installed_ = routing::error_folder::WorkbookEngineAvailable();
    }
    return *excel_installed_;
  });
}

void EmailImportRun::ProcessEmailWithAttachments(ImportMail& mail, const std::string& temp_folder) {
  std::string folder;
  try {
    folder = CreateTempFolder(temp_folder);
    auto attachments = std::make_shared<Collection>();
    const std::string document = StoreEmailAttachments(mail, folder, attachments);
    int32_t document_id = 0;
    if (!text::Trim(document).empty()) {
      try {
        document_id = PublishCreateDocument().PublishDocument(document, attachments, true);
      } catch (...) {
        document_id = 0;
      }
    }
    if (document_id < 1) {
      WriteEmailToErrorDirectoryWithNotification(mail);
    } else {
      ++report_.published;
    }
    DeleteEmail(mail);
    DeleteTempFolder(folder);
  } catch (...) {
    PendingError pending;
    pending.Capture();
    if (!folder.empty()) {
      DeleteTempFolder(folder);
    }
    core::ReportError(pending, "Velmora.EmailImport.ProcessEmailWithAttachments");
  }
}

std::string EmailImportRun::CreateTempFolder(const std::string& temp_folder) {
  std::string folder;
  return core::Guarded(
      "Velmora.EmailImport.CreateTempFolder",
      [&] {
        folder = Joined(temp_folder, "F" + core::iGeneral_GenerateGUID());
        core::NewSiteFileSystem()->CreateFolder(folder);
        return folder;
      },
      [&] {
        return Label("ZODAR4599", {{"[%DIR%]", folder}});
      });
}

std::string EmailImportRun::StoreEmailAttachments(const ImportMail& mail, const std::string& folder,
                                                  const std::shared_ptr<Collection>& attachments) {
  return core::Guarded(
      "Velmora.EmailImport.StoreEmailAttachments",
      [&] {
        const std::unique_ptr<files::FileSystem> file_system = core::NewSiteFileSystem();
        std::string document;
        for (const ImportAttachment& attachment : mail.attachments) {
          const std::string path = FileHandling().GetUniqueFileName(folder, attachment.name);
          file_system->WriteFile(path, attachment.content, files::WriteMode::kCreateNew);
          if (document.empty() && AttachmentCanBeDocument(attachment.name)) {
            document = path;
          } else {
            attachments->Add(Variant(path));
          }
        }
        return document;
      },
      [&] {
        return Label("ZODAR4601", {{"[%DIR%]", folder}});
      });
}

void EmailImportRun::DeleteTempFolder(const std::string& folder) {
  try {
    FileHandling().deleteFolderAndFilesInFolder(folder);
  } catch (...) {
    core::LogError("Velmora.EmailImport.DeleteTempFolder",
                   Variant(Label("ZODAR4600", {{"[%DIR%]", folder}})));
  }
}

}  // namespace velmora::import
