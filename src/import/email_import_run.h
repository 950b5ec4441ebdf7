#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "platform/mail/mailbox.h"
#include "platform/mail/received_mail.h"
#include "velmora/base/dictionary.h"
#include "velmora/core/job_run.h"

// One run of the mailbox import: the steps of EMailImport, each logged under
// "Velmora.EmailImport." plus its name. Not safe for concurrent use; one object per run.
namespace velmora::import {

// The configuration a run reads; every value "" when its mailbox user is blank.
struct EmailParameters {
  std::string server;
  std::string drop_user;
  std::string document_user;
  std::string folder1;
  std::string temp_folder;
  std::string error_path;
};

// An attachment of a mail: `name` is a plain file name already checked; a refused name is
// replaced by a generated one and kept, made printable, in `refused_name`.
struct ImportAttachment {
  std::string name;
  std::string content;
  std::string refused_name;
};

// One mail of a mailbox: where it is and what it holds.
struct ImportMail {
  mail::Mailbox* mailbox = nullptr;
  std::string id;
  std::string raw;
  std::string sender;
  std::vector<ImportAttachment> attachments;
  bool deleted = false;
};

// The text of label `code` with its placeholders replaced, safe to use while an error is being
// reported.
std::string Label(const std::string& code,
                  std::initializer_list<std::pair<std::string, std::string>> replacements = {});

class EmailImportRun {
 public:
  EmailImportRun(std::stop_token stop, JobRunReport& report) : stop_(stop), report_(report) {}
  EmailImportRun(const EmailImportRun&) = delete;
  EmailImportRun& operator=(const EmailImportRun&) = delete;

  // StartRun: the whole run; never raises.
  void StartRun();

 private:
  void StartEmailImport();
  EmailParameters GetEmailParameters();

  // The attachment drop (email_import_drop.cc).
  void HandleEmailsWithoutDocumentAttachments(const std::string& server, const std::string& user,
                                              const std::string& folder);
  void HandleEmailWithoutDocumentAttachments(ImportMail& mail, const std::string& folder);
  std::string SaveAttachmentToFolder(const ImportAttachment& attachment, const std::string& folder);
  // Removes the files a drop wrote for a mail that stays in its mailbox.
  void RemoveDroppedFiles(const std::vector<std::string>& files);

  // Documents with attachments (email_import_documents.cc).
  void HandleEmailsWithDocumentAttachments(const std::string& server, const std::string& user,
                                           const std::string& temp_folder);
  void HandleEmailWithDocumentAttachments(ImportMail& mail, const std::string& temp_folder);
  bool AttachmentCanBeDocument(const std::string& name);
  void ProcessEmailWithAttachments(ImportMail& mail, const std::string& temp_folder);
  std::string CreateTempFolder(const std::string& temp_folder);
  std::string StoreEmailAttachments(const ImportMail& mail, const std::string& folder,
                                    const std::shared_ptr<Collection>& attachments);
  void DeleteTempFolder(const std::string& folder);

  // Deleting, disabling, refusing, notifying (email_import_mail.cc).
  void DeleteEmail(ImportMail& mail);
  void DisableEmailImport();
  void WriteEmailToErrorDirectoryWithNotification(const ImportMail& mail);
  void NotifyAdministrator(const std::string& text);

  // The session of a mailbox (email_import_mailbox.cc): opened and logged on, or raised as the
  // Part of the run that failed describes it.
  std::unique_ptr<mail::Mailbox> LogOn(const std::string& server, const std::string& user,
                                       std::vector<std::string>& ids);
  // Fetches and parses mail `id`; attachment names checked, refusals logged.
  ImportMail ReadMail(mail::Mailbox& mailbox, const std::string& id);
  // True when a stop was requested; the mails from `next` on are counted as left.
  bool StopBefore(size_t next, size_t count);
  void Warn(const std::string& path, const std::string& text);

  std::stop_token stop_;
  JobRunReport& report_;
  std::optional<bool> excel_installed_;
  // Set when a mail could not be deleted: the document import stops for this run too.
  bool document_import_disabled_ = false;
};

}  // namespace velmora::import
