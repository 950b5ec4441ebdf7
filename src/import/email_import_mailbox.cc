#include "core/env.h"
#include "core/general.h"
#include "import/email_import_run.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::import {
namespace {

// `raw` with control characters shown as "\xNN", for the log.
std::string Printable(const std::string& raw) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0x0F];
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace

std::unique_ptr<mail::Mailbox> EmailImportRun::LogOn(const std::string& server,
                                                     const std::string& user,
                                                     std::vector<std::string>& ids) {
  std::unique_ptr<mail::Mailbox> mailbox;
  try {
    mailbox = core::CurrentEnv().OpenMailbox(user + "@" + server);
  } catch (...) {
    mailbox.reset();
    Warn("Velmora.EmailImport.LogOn", CurrentError().description());
  }
  if (!mailbox) {
    RaiseError(EnumerationErrors::EmailImportError, "Velmora.EmailImport.LogOn",
               Label("ZODAR4584"));
  }
  try {
    ids = mailbox->List();
  } catch (...) {
    const Error failure = CurrentError();
    throw Error(failure.number(), failure.source(),
                Label("ZODAR4585") + " Additional Info: " + failure.description());
  }
  report_.found += static_cast<int32_t>(ids.size());
  return mailbox;
}

ImportMail EmailImportRun::ReadMail(mail::Mailbox& mailbox, const std::string& id) {
  ImportMail mail;
  mail.mailbox = &mailbox;
  mail.id = id;
  mail.raw = mailbox.Fetch(id);
  mail::ReceivedMail received = mail::ParseReceivedMail(mail.raw);
  mail.sender = std::move(received.sender);
  for (size_t i = 0; i < received.attachments.size(); ++i) {
    mail::Attachment& attachment = received.attachments[i];
    const mail::AttachmentName checked = mail::CheckAttachmentName(attachment.name);
    ImportAttachment kept{checked.name, std::move(attachment.content), ""};
    if (!checked.refusal.empty()) {
      kept.name = mail::GeneratedAttachmentName(i + 1);
      kept.refused_name = Printable(attachment.name);
      Warn("Velmora.EmailImport.ReadMail",
           "The attachment name '" + kept.refused_name + "' of the e-mail from '" + mail.sender +
               "' was refused (" + checked.refusal + "); the attachment is handled as '" +
               kept.name + "'.");
    }
    mail.attachments.push_back(std::move(kept));
  }
  return mail;
}

bool EmailImportRun::StopBefore(size_t next, size_t count) {
  if (!stop_.stop_requested()) {
    return false;
  }
  report_.left += static_cast<int32_t>(count - next);
  return true;
}

void EmailImportRun::Warn(const std::string& path, const std::string& text) {
  core::LogWarning(Error(0, path, text), path);
  report_.warnings.push_back(text);
}

}  // namespace velmora::import
