#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/db/recordset.h"

// Readers and writers of the publication tables that the document record needs and that the
// higher classes publish: Utility.GetRecipientsFromPublicationTable and
// Collaboration.ClosePublicationErrorsForOneCategory are thin wrappers of these. Each opens and
// closes its own connection and reports under the public method's path, so a wrapper adds
// nothing to the error chain.
namespace velmora::document {

// The current recipients of document `docId` for type `docTypeId`: one row per PUBLICATION row
// not removed (status not 2, 3, 7, 8, 9) whose user stands on the type's distribution list,
// with EMAIL, HTMLATTACHMENTXSL, USERID and HTMLATTACHMENT, and with `email` only the users
// whose list entry asks for mail, plus ATTACHMENTS. The recordset holds every row and is
// detached from its connection; it is never null. Reported as
// "Velmora.Utility.GetRecipientsFromPublicationTable".
std::unique_ptr<db::Recordset> GetRecipientsFromPublicationTable(int32_t docId,
                                                                 const std::string& docTypeId,
                                                                 bool email);

// The text of the query above, which Utility.GetRecipientsFromPublicationTableByUsers extends
// with a condition on the users: the published texts of the two differ only in EMAIL in the
// select list (`email_column`) and a blank after the status condition (`trailing_blank`).
std::string PublicationRecipientsSql(int32_t docId, const std::string& docTypeId, bool email,
                                     bool email_column, bool trailing_blank);

// Sets bit 1 (closed) of CLOSED on the open publication errors of document `docId` whose
// LABEL belongs to `category`, compared ignoring case: "CannotPublish" (ZODAR0008 and
// ZODAR4475 ... ZODAR4482) or "SelectRecipients" (ZODAR0008 and ZODAR4476); the other bits
// stay. Any other category raises InvalidParamValue ("Not supported Category : <category>").
// Reported as "Velmora.Collaboration.ClosePublicationErrorsForOneCategory".
void ClosePublicationErrorsForOneCategory(int32_t docId, const std::string& category);

}  // namespace velmora::document
