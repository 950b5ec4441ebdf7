#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "import/email_import_run.h"
#include "platform/files/file_system.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::import {
namespace {

constexpr const char* kHandleMail = "Velmora.EmailImport.HandleEmailWithoutDocumentAttachments";

// An attachment the drop writes: a name longer than 4 characters, with a dot, ending in ".xml"
// or ".xls" (any case).
bool Qualifies(const std::string& name) {
  if (name.size() <= 4 || name.find('.') == std::string::npos) {
    return false;
  }
  const std::string ending = text::ToLower(name.substr(name.size() - 4));
  return ending == ".xml" || ending == ".xls";
}

}  // namespace

void EmailImportRun::HandleEmailsWithoutDocumentAttachments(const std::string& server,
                                                            const std::string& user,
                                                            const std::string& folder) {
  core::Guarded("Velmora.EmailImport.HandleEmailsWithoutDocumentAttachments", [&] {
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
        report_.left += static_cast<int32_t>(ids.size() - i);
        RaiseError(EnumerationErrors::CDOProcessAttachmentsError, kHandleMail,
                   CurrentError().description());
      }
      HandleEmailWithoutDocumentAttachments(mail, folder);
    }
  });
}

// Every qualifying attachment is written before the mail is deleted; when one cannot be written
// or the mail cannot be deleted, the files written for it are removed again and the mail stays,
// so that nothing is lost and nothing is dropped twice.
void EmailImportRun::HandleEmailWithoutDocumentAttachments(ImportMail& mail,
                                                           const std::string& folder) {
  std::vector<std::string> written;
  bool failed = false;
  for (const ImportAttachment& attachment : mail.attachments) {
    const std::string& shown =
        attachment.refused_name.empty() ? attachment.name : attachment.refused_name;
    if (!Qualifies(shown)) {
      continue;
    }
    try {
      if (!attachment.refused_name.empty()) {
        RaiseError(EnumerationErrors::CDOProcessAttachmentError, kHandleMail,
                   "The attachment name was refused.");
      }
      written.push_back(SaveAttachmentToFolder(attachment, folder));
    } catch (...) {
      failed = true;
      core::LogError(
          kHandleMail,
          Variant(Label("ZODAR4588", {{"[%ATTACHMENT%]", shown}, {"[%SENDER%]", mail.sender}}) +
                  "\r\n" + Label("ZODAR4589", {{"[%DISDIR%]", folder}})));
    }
  }
  if (written.empty() || failed) {
    RemoveDroppedFiles(written);
    ++report_.left;
    return;
  }
  try {
    mail.mailbox->Delete(mail.id);
    ++report_.moved;
  } catch (...) {
    core::LogError(kHandleMail);
    RemoveDroppedFiles(written);
    ++report_.left;
    Warn(kHandleMail, "The e-mail from '" + mail.sender +
                          "' could not be deleted from the drop mailbox; its attachments were "
                          "taken back and it stays for the next run.");
  }
}

std::string EmailImportRun::SaveAttachmentToFolder(const ImportAttachment& attachment,
                                                   const std::string& folder) {
  return core::Guarded("Velmora.EmailImport.SaveAttachmentToFolder", [&] {
    try {
      const std::string& name = attachment.name;
      const std::unique_ptr<files::FileSystem> file_system = core::NewSiteFileSystem();
      std::string target = folder + name;
      if (file_system->FileExists(target)) {
        const std::string temp_name = core::NewTempFileName();
        target = folder + name.substr(0, name.find('.')) + "_" +
                 temp_name.substr(0, temp_name.size() - 4) + name.substr(name.size() - 4);
      }
      file_system->WriteFile(target, attachment.content, files::WriteMode::kCreateNew);
      return target;
    } catch (...) {
      const Error failure = CurrentError();
      RaiseError(EnumerationErrors::CDOProcessAttachmentError, failure.source(),
                 failure.description());
    }
  });
}

void EmailImportRun::RemoveDroppedFiles(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    try {
      core::NewSiteFileSystem()->DeleteFile(file);
    } catch (...) {
      core::LogError(kHandleMail);
      Warn(kHandleMail, "The dropped attachment '" + file +
                            "' could not be taken back; its e-mail stays in the mailbox and "
                            "may be dropped again.");
    }
  }
}

}  // namespace velmora::import
