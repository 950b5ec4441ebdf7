#pragma once

#include <cstdint>
#include <string>

// The outputs of processing that leave the library: delivery to the receiving partners'
// systems, the notification mails and the administrator's failure mail. Processing reaches the
// delivery and notification subsystems only through these three functions; each raises what
// the service it calls raises.
namespace velmora::document {

// Delivers document `docId` of type `docTypeId` by each receiving partner's send methods:
// PushDocUtils.PushDocumentToReceiversWithErrorRaise when `raiseOnFailure` (OBI documents),
// PushDocUtils.PushDocumentToReceivers otherwise, both with an empty XML text.
void PushToReceivers(int32_t docId, const std::string& docTypeId, bool raiseOnFailure);

// Sends the notification mails of document `docId` through the component
// "Velmora.Notification" (created with B2B_getComponent, called late-bound as
// SendNotifications). When the program has no such component (the creation is logged) there is
// nobody to notify and nothing is sent.
void NotifyRecipients(int32_t docId);

// Sends one mail from `address` to `address` (Utility.SendEmail with no files).
void MailAdministrator(const std::string& address, const std::string& subject,
                       const std::string& body);

}  // namespace velmora::document
