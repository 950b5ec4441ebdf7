// Utility, e-mail: sending one message, with or without a list of attached files.
#include <string>
#include <vector>

#include "core/env.h"
#include "core/file_service.h"
#include "core/guarded.h"
#include "platform/files/path_text.h"
#include "platform/mail/transport.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// The message of a SendEmail call without its files; the sender is checked before the
// receiver.
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

void Utility::SendEmail(const std::string& sFrom, const std::string& sTo,
                        const std::string& sSubject, const std::string& sBody,
                        const std::string& sHTMLFileName, const std::string& sXMLFileName) {
  core::Guarded("Velmora.Utility.SendEmail", [&] {
    mail::Message message = NewMessage(sFrom, sTo, sSubject, sBody);
    const std::vector<std::string> files = NamedFiles(sHTMLFileName, sXMLFileName);
    if (!files.empty()) {
      const auto file_system = core::NewSiteFileSystem();
      for (const std::string& path : files) {
        message.attachments.push_back(
            mail::Attachment{files::GetFileNamePart(path), file_system->ReadFile(path)});
      }
    }
    core::CurrentEnv().Mail().Send(message);
  });
}

void Utility::SendEmailWithAttachments(const std::string& sFrom, const std::string& sTo,
                                       const std::string& sSubject, const std::string& sBody,
                                       const std::string& sHTMLFileName,
                                       const std::string& sXMLFileName,
                                       const Variant& aAttachments) {
  constexpr const char* kPath = "Velmora.Utility.SendEmailWithAttachments";
  core::Guarded(kPath, [&] {
    mail::Message message = NewMessage(sFrom, sTo, sSubject, sBody);
    std::vector<std::string> paths = NamedFiles(sHTMLFileName, sXMLFileName);
    AddArrayPaths(aAttachments, paths);
    core::GetRemoteFile(kPath)->SendMail(std::move(message), paths);
  });
}

}  // namespace velmora
