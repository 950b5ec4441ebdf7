#pragma once

#include <string>

#include "velmora/base/variant.h"

namespace velmora {

// Velmora.SenderList: who may send documents of a type (table SENDERLIST, written outside the
// library), with the sender's notification preferences. Stateless; every call opens and
// closes its own connection. An empty type or user answers false (all flags false) without a
// query. Failures are reported as "Velmora.SenderList.<operation>" and raised. Flags are read
// as Booleans (non-zero is true); the first matching row counts.
class SenderList {
 public:
  // True when `iUserID` is on the sender list of `iDocTypeID`.
  bool CheckAuthorizationForSender(std::string& iDocTypeID, std::string& iUserID);
  // The NOTIFICATION flag (GetNotification3).
  bool GetNotification(std::string& iDocTypeID, std::string& iUserID);
  // The three flags of the row into the outputs (all false when there is none); the result is
  // the NOTIFICATION flag.
  bool GetNotification3(const std::string& iDocTypeID, const std::string& iUserID,
                        bool& oNotification, bool& oAttachments, bool& oHTMLAttachment);
  // GetNotification3, and `oHTMLStyleSheet` the type's HTML style sheet file name as stored,
  // without folder ("" when none). The result is the NOTIFICATION flag as a Boolean variant.
  Variant GetNotification2(const std::string& iDocTypeID, const std::string& iUserID,
                           bool& oNotification, bool& oAttachments, bool& oHTMLAttachment,
                           std::string& oHTMLStyleSheet);
  // The ATTACHMENTS flag.
  bool GetAttachments(std::string& iDocTypeID, std::string& iUserID);
  // The HTMLATTACHMENT flag.
  bool GetDocumentAsAttachment(std::string& iDocTypeID, std::string& iUserID);
};

}  // namespace velmora
