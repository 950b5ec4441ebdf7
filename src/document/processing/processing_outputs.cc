// The outputs of processing: delivery, notification mails and the administrator's mail.
#include "document/processing/processing_outputs.h"

#include <memory>
#include <vector>

#include "core/dispatch.h"
#include "core/general.h"
#include "routing/mails.h"
#include "velmora/base/error.h"
#include "velmora/base/variant.h"
#include "velmora/delivery/push_doc_utils.h"

namespace velmora::document {

void PushToReceivers(int32_t docId, const std::string& docTypeId, bool raiseOnFailure) {
  PushDocUtils push;
  if (raiseOnFailure) {
    push.PushDocumentToReceiversWithErrorRaise(docId, docTypeId, "");
  } else {
    push.PushDocumentToReceivers(docId, docTypeId, "");
  }
}

void NotifyRecipients(int32_t docId) {
  const Variant component = core::B2B_getComponent("Velmora.Notification");
  if (component.IsEmpty()) {
    return;
  }
  const auto notification = component.As<core::Dispatch>();
  if (!notification) {
    throw Error(kErrObjectRequired, "Velmora.Notification",
                "Object required: Velmora.Notification is not a callable component");
  }
  std::vector<Variant> args{Variant(docId)};
  notification->Invoke("SendNotifications", args);
}

void MailAdministrator(const std::string& address, const std::string& subject,
                       const std::string& body) {
  routing::mails::Send(address, address, subject, body, "", "");
}

}  // namespace velmora::document
