#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "velmora/base/variant.h"

// The parts of notification dispatch shared by its files.
namespace velmora::notify {

// A mail definition: from a document's own e-mail or from a template.
struct MailDefinition {
  std::string subject;
  std::string body;
  std::string cc;
  bool cc_doc = false;
  bool cc_att = false;
};

// GetNotificationProperties: the definition, or nullopt when there is none.
std::optional<MailDefinition> FindMailDefinition(int32_t bp, int32_t docId, uint8_t mode,
                                                 const std::string& toList,
                                                 const std::string& ccList);

// The definitions of the three audiences; none raises DefaultTemplateNotFound with the
// audience's path "Velmora.Notification.GetNotificationPropertiesFor<Audience>".
MailDefinition PropertiesForRecipients(int32_t bp, int32_t docId);
MailDefinition PropertiesForCc(int32_t docId);
MailDefinition PropertiesForSender(int32_t bp, int32_t docId, const std::string& toList,
                                   const std::string& ccList);

// What one dispatch carries between its steps; the HTML file is deleted by its owner.
struct Dispatch {
  int32_t doc_id = 0;
  std::string doc_type;
  std::string sender_address;
  std::string html_file;
  std::optional<Variant> attachments;
};

// SendMail: SendEmail, or SendEmailWithAttachments when there is a list and it is wanted.
void SendMail(const Dispatch& dispatch, const std::string& to, const std::string& subject,
              const std::string& body, bool attach_html, bool attach_files);

}  // namespace velmora::notify
