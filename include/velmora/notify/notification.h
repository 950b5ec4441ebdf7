#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/db/recordset.h"

namespace velmora {

// Velmora.Notification: the notification mails of a published document and their
// definitions. Modes: 1 the sender's mail, 2 a recipient's mail (and the copy addresses').
// Partner -1 is any partner, -2 the copy audience; document type "-1" any type. A mail comes
// from the document's own NOTIFICATIONEMAIL row, used as stored, or else from the most
// specific NOTIFICATIONTEMPLATE with its placeholders ("[%DOCID%]", "[%DOCTYPE%]",
// "[%INBOXLINK%]", "[%OUTBOXLINK%]", "[%ERRORBOXLINK%]", "[%TOLIST%]", "[%CCLIST%]", any letter
// case) replaced. Stateless; failures are reported under "Velmora.Notification.<operation>"
// and raised unless said otherwise.
class Notification {
 public:
  // ---- Dispatch (src/notify/notification_dispatch.cc) ----

  // Notifies, in this order, every recipient of `i_lDocID` whose list entry asks for mail
  // (publications not removed), the copy addresses of the document's own copy mail, and the
  // sender when his sender-list entry asks for it. Nothing for a document whose show flag is
  // false. A recipient or the copy addresses that cannot be served become publication errors
  // "ZODAR6082" / "ZODAR6083" (with "[%USERID%]" and "[%EMAILADDRESS%]" for a resend) and the
  // dispatch goes on; a failure of the sender's mail is raised after the temporary HTML file
  // is deleted.
  void SendNotifications(int32_t i_lDocID);
  // The mail definition of partner `i_lBPID`, document `i_lDocID` and mode
  // `i_yNotificationMode`: the document's own e-mail as stored, else the template with its
  // placeholders replaced ("[%TOLIST%]" and "[%CCLIST%]" from `i_sToList`, `i_sCcList`; a
  // template gives no copy list). False, with empty texts and false flags, when there is none.
  bool GetNotificationProperties(int32_t i_lBPID, int32_t i_lDocID, uint8_t i_yNotificationMode,
                                 Variant& o_sSubject, Variant& o_sBody, Variant& o_sCc,
                                 Variant& o_bCcDoc, Variant& o_bCcAtt,
                                 const std::string& i_sToList = "",
                                 const std::string& i_sCcList = "");
  // Sends again the notification of publication error `i_lPubErrorID`: to the one recipient
  // of its "[%USERID%]", or else to the copy addresses; then closes that publication error
  // (when its id is above 0), also when sending fails again (which writes a new one).
  void ReSendNotification(int32_t i_lDocID, const std::string& i_sDocTypeID, int32_t i_lPubErrorID);
  // USERID, BUSINESSPARTNERID, HTMLATTACHMENT and ATTACHMENTS of the recipients of `i_lDocID`
  // whose list entry for `i_sDocTypeID` asks for mail, publications with a removed status
  // (2, 3, 7, 8, 9) left out, narrowed to partner `i_lBP` when it is above 0, ordered by
  // partner; read-only and detached.
  std::shared_ptr<db::Recordset> getRecipientsWithNotification(int32_t i_lDocID,
                                                               const std::string& i_sDocTypeID,
                                                               int32_t i_lBP);
  // Whether getRecipientsWithNotification has a row.
  bool RecipientsWithNotificationExist(int32_t i_lDocID, const std::string& i_sDocTypeID,
                                       int32_t i_lBP);

  // ---- Templates and e-mails (src/notify/notification_templates.cc) ----

  // Bit 1: a sender template may still be added for the type and partner; bit 2: a recipient
  // template may (partner -2 has recipient templates only).
  int32_t CanAddNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID);
  // Adds a template; a type other than "-1" must be in DOCUMENTTYPE (MissingDocumentTypeID
  // with label "ZODAR6085" otherwise). No uniqueness check (see CanAddNotificationTemplate).
  void AddNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                               uint8_t i_yNotificationMode, const std::string& i_sSubject,
                               const std::string& i_sBody, bool i_bCcDoc, bool i_bCcAtt);
  // Changes the template when it exists; nothing otherwise.
  void UpdateNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                  uint8_t i_yNotificationMode, const std::string& i_sSubject,
                                  const std::string& i_sBody, bool i_bCcDoc, bool i_bCcAtt);
  void DeleteNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                  uint8_t i_yNotificationMode);
  // The template as stored; false (empty texts, false flags) when there is none.
  bool GetNotificationTemplateProperties(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                         uint8_t i_yNotificationMode, std::string& o_sSubject,
                                         std::string& o_sBody, bool& o_bCcDoc, bool& o_bCcAtt);
  // The default template of the combination: (type "-1", -2) for partner -2, else (type, -1)
  // or (type "-1", -1). None raises NotPresent with label "ZODAR6068".
  void GetDefaultNotificationTemplateProperties(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                                uint8_t i_yNotificationMode,
                                                std::string& o_sSubject, std::string& o_sBody,
                                                bool& o_bCcDoc, bool& o_bCcAtt);
  // True for type "-1" (any case) with partner -1 or -2.
  bool IsDefaultNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                     uint8_t i_yNotificationMode);
  void AddNotificationEmail(int32_t i_lBPID, int32_t i_lDocID, uint8_t i_yNotificationMode,
                            const std::string& i_sSubject, const std::string& i_sBody,
                            const std::string& i_sCc, bool i_bCcDoc, bool i_bCcAtt);
  // Changes the e-mail, or adds it when there is none.
  void UpdateNotificationEmail(int32_t i_lBPID, int32_t i_lDocID, uint8_t i_yNotificationMode,
                               const std::string& i_sSubject, const std::string& i_sBody,
                               const std::string& i_sCc, bool i_bCcDoc, bool i_bCcAtt);
  void DeleteNotificationEmail(int32_t i_lBPID, int32_t i_lDocID, uint8_t i_yNotificationMode);

  // ---- Placeholder checks (src/notify/notification_codes.cc) ----
  // Whether every placeholder of the text is allowed in its place; `o_sInvalidCodes` lists the
  // others, each in single quotes, separated by ", ". Subjects of templates may hold
  // "[%DOCID%]" and "[%DOCTYPE%]"; bodies of templates also "[%INBOXLINK%]" (mode 2, partner
  // not -2) and the sender's placeholders (mode 1, partner not -2); e-mails none.
  bool IsValidSubjectForNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                             uint8_t i_yNotificationMode,
                                             const std::string& i_sSubject,
                                             std::string& o_sInvalidCodes);
  bool IsValidBodyForNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                          uint8_t i_yNotificationMode, const std::string& i_sBody,
                                          std::string& o_sInvalidCodes);
  bool IsValidSubjectForNotificationEmail(const std::string& i_sSubject,
                                          std::string& o_sInvalidCodes);
  bool IsValidBodyForNotificationEmail(const std::string& i_sBody, std::string& o_sInvalidCodes);
};

}  // namespace velmora
