#include "routing/mails.h"

#include <utility>
#include <vector>

#include "core/db_utils.h"
#include "core/env.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/labels.h"
#include "platform/files/path_text.h"
#include "platform/mail/transport.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::routing::mails {
namespace {

// The message of a send without its files; the sender is checked before the receiver.
mail::Message NewMessage(const std::string& from, const std::string& to, const std::string& subject,
                         const std::string& body) {
  if (text::Trim(from).empty()) {
    RaiseError(EnumerationErrors::MissingEmailSenderError, "Utility", "The Sender is missing.");
  }
  if (text::Trim(to).empty()) {
    RaiseError(EnumerationErrors::MissingEmailReceiverError, "Utility", "The Receiver is missing.");
  }
  return mail::Message{from, to, subject, body, {}};
}

// The HTML and XML file names that are not empty, in this order.
std::vector<std::string> NamedFiles(const std::string& html, const std::string& xml) {
  std::vector<std::string> files;
  for (const std::string* name : {&html, &xml}) {
    if (!name->empty()) {
      files.push_back(*name);
    }
  }
  return files;
}

// The paths of an attachment array: element (0, row) of a two-dimensional array, every
// element of a one-dimensional one.
void AddArrayPaths(const Variant& attachments, std::vector<std::string>& paths) {
  if (!attachments.IsArray()) {
    return;
  }
  const VariantArray& array = attachments.AsArray();
  if (array.dimensions() == 2) {
    for (int32_t row = array.LBound(2); row <= array.UBound(2); ++row) {
      paths.push_back(array.At(array.LBound(1), row).ToText());
    }
  } else if (array.dimensions() == 1) {
    for (const Variant& element : array.values()) {
      paths.push_back(element.ToText());
    }
  }
}

}  // namespace

void Send(const std::string& from, const std::string& to, const std::string& subject,
          const std::string& body, const std::string& html_file, const std::string& xml_file) {
  mail::Message message = NewMessage(from, to, subject, body);
  const std::vector<std::string> files = NamedFiles(html_file, xml_file);
  if (!files.empty()) {
    const auto file_system = core::NewSiteFileSystem();
    for (const std::string& path : files) {
      message.attachments.push_back(
          mail::Attachment{files::GetFileNamePart(path), file_system->ReadFile(path)});
    }
  }
  core::CurrentEnv().Mail().Send(message);
}

void SendWithFiles(const std::string& from, const std::string& to, const std::string& subject,
                   const std::string& body, const std::string& html_file,
                   const std::string& xml_file, const Variant& attachments) {
  mail::Message message = NewMessage(from, to, subject, body);
  std::vector<std::string> paths = NamedFiles(html_file, xml_file);
  AddArrayPaths(attachments, paths);
  core::GetRemoteFile("Velmora.Utility.SendEmailWithAttachments")
      ->SendMail(std::move(message), paths);
}

void SendToAdministrator(const std::string& file_name) {
  try {
    std::string admin;
    bool read_failed = false;
    try {
      admin = core::GetParameter("AdminEmailAddress");
    } catch (...) {
      read_failed = true;
    }
    if (read_failed && text::Trim(admin).empty()) {
      core::LogError(core::GetLabel("ZODAR4104", core::kDefaultLanguage));
      return;
    }
    const std::string subject = core::GetLabel("ZODAR4100", core::kDefaultLanguage);
    const std::string body = text::IReplaceAll(core::GetLabel("ZODAR4103", core::kDefaultLanguage),
                                               "[%FILENAME%]", file_name);
    try {
      Send(admin, admin, subject, body);
    } catch (...) {
      core::LogError("Velmora.Utility.SendEmail");
    }
  } catch (...) {
    // Never raises: the administrator's mail is a courtesy to the failure being handled.
  }
}

}  // namespace velmora::routing::mails
