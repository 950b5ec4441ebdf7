#pragma once

#include <stop_token>
#include <string>

#include "velmora/core/job_run.h"

namespace velmora {

// Velmora.EMailImport: turns mails of two import mailboxes into documents. The mailbox of user
// "EmailImportSMTPUserID" (attachment drop): every XML or workbook attachment is written into
// the first import folder ("XMLPath1") for the folder import, then the mail is deleted. The
// mailbox of user "EmailImportForDocumentAttachmentsUserID" (document with attachments): the
// first XML (or, with a spreadsheet engine, workbook) attachment of each mail is published at
// once with the other attachments as its attachments; a mail that cannot be published goes to
// a new error folder and the administrator is mailed. Mailboxes are those of
// core::Env::OpenMailbox for "<user>@<EmailImportLocalSMTPServer>".
//
// A run takes the installation's lock "email-import", so that two runs never read one mailbox
// at the same time. Stateless between calls; one object may serve one caller at a time.
class EMailImport {
 public:
  EMailImport() = default;
  EMailImport(const EMailImport&) = delete;
  EMailImport& operator=(const EMailImport&) = delete;

  // One run over both mailboxes. Never raises: every failure is logged.
  void Run();
  // The trimmed PARAMVALUE of parameter `iParamName`, or "" when there is none or it cannot be
  // read (logged).
  std::string GetEmailParameter(const std::string& iParamName);
  // Run, with what it did for the operator. Between mails it checks `stop` and, when a stop is
  // requested, finishes the current mail and returns; the mails not reached count as left.
  // Never raises.
  JobRunReport RunOnce(std::stop_token stop);
};

}  // namespace velmora
