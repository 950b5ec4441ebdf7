#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/variant.h"

namespace velmora {

// Velmora.Collaboration: what a user does to a document in the boxes (accept, delete, record
// a view or download, close or hide publication errors, count new inbox documents) and the SQL
// texts of the detail, addressee-status, attachment and document-type lists that the pages run
// themselves on the installation's database. The one place where a recipient's publication
// status changes (PUBLICATIONSTATUS): viewing never overwrites downloaded, accepted or
// rejected; downloading overwrites only viewed; new is never set back; deleting stores the
// deleted twin of the live status.
//
// Stateless; every call opens and closes its own connections. Failures are reported as
// "Velmora.Collaboration.<method>" and raised, except where said; showCountOfNewDocumentsInInbox
// never raises. User ids and document type ids are compared exactly (case-sensitive).
// Methods are declared in the published slot order.
class Collaboration {
 public:
  // Document type id -> description (both trimmed; a NULL description stays null), in row
  // order, optionally ordered by `iOrderBy`: a comma-separated list of DOCUMENTTYPE column
  // names, each optionally followed by ASC or DESC (blanks around allowed, case ignored).
  // Empty, null or missing: no order. Anything else raises InvalidParamValue. Two rows of the
  // same trimmed id raise kErrKeyAlreadyExists. Reported as "Velmora.getAllDocumentTypes".
  std::shared_ptr<Dictionary> getAllDocumentTypes(const Variant& iOrderBy = Variant());
  // Removes a document from a box; true when something was done. A child document: the
  // user's publication is deleted when the user is a current recipient, and the document when
  // the user is its sender. Otherwise by mode: SENDERMODE deletes the document; RECEIVERMODE,
  // ERRORMODE and CHANGEDOCTYPEMODE delete the user's publication; any other mode does
  // nothing and answers false. `iDocTypeID` and `iPath` are not used.
  bool deleteDocument2(int32_t iDocID, const std::string& iDocTypeID, SENDERMODE iSenderMode,
                       const std::string& iUserName, const std::string& iPath,
                       bool iIsChildDoc = false);
  // Accepts the user's publication and sets the document accepted, or partially accepted
  // while another recipient's publication is neither accepted (1) nor accepted and deleted
  // (3). Reported as "Collaboration.AcceptDocument".
  void AcceptPublication(int32_t iDocID, const std::string& iUserID);
  // With `iPublicationErrorID` not 0: links the publication to that error and leaves its
  // status alone. Otherwise moves the publication toward `iStatus` (0 ... 9) by the
  // transition rules; nothing is written when the status stays. A status outside 0 ... 9
  // raises InvalidParamValue.
  void SetPublicationStatus(int32_t iDocID, const std::string& iUserID, int32_t iStatus,
                            int32_t iPublicationErrorID = 0);
  // The detail query of a document: mode 1 for a recipient (the tags that have a value),
  // 0 for its sender and 2 for the error box (every tag configured for the type, with a null
  // value where none is stored); "" for any other mode. Reported as
  // "Collaboration.GetDocumentDetails2".
  std::string GetDocumentDetails2(int16_t iIsSender, int32_t iDocID, const std::string& iUser);
  // The recipients' partner, user and status of a document sent by `iUser`, for recipients on
  // the type's distribution list, by partner.
  std::string GetAddresseeStatusQueryStr(int32_t iDocID, const std::string& iUser);
  // File name and id of the document's attachments; `iIsSender` and `iUser` are not used.
  // Reported as "Collaboration.GetDocumentAttachmentsQueryStr".
  std::string GetDocumentAttachmentsQueryStr(bool iIsSender, int32_t iDocID,
                                             const std::string& iUser);
  // The document types offered in a box: mode 0 the out box, 1 the inbox, 2 the error box
  // (which asks the membership directory for the user's partner); "" for any other mode.
  // Reported as "Collaboration.GetDocumentTypeListQueryStr2".
  std::string GetDocumentTypeListQueryStr2(int16_t iMode, const std::string& iUser);
  // Closes the open publication errors of one category ("CannotPublish", "SelectRecipients",
  // case ignored); any other category raises InvalidParamValue.
  void ClosePublicationErrorsForOneCategory(int32_t i_lDocID, const std::string& i_sCategory);
  // Sets bit 1 of CLOSED on error `iPublicationErrorID` (of document `iDocID` when not 0)
  // when it is still open; bits 2 and 4 stay.
  void ClosePublicationErrors(int32_t iPublicationErrorID, int32_t iDocID = 0);
  // Deletes every publication error of the document.
  void DeletePublicationErrors(int32_t iDocID);
  // STATUS of the user's publication; -1 when there is none.
  int32_t GetPublicationStatus(int32_t iDocID, const std::string& iUserID);
  // User and status of every publication of a document sent by `iUser`.
  std::string GetAddresseeStatusQueryStr2(int32_t iDocID, const std::string& iUser);
  // Hides error `i_lPublicationErrorID` from the sender's error box (bit 2) when `i_sUser`
  // sent document `i_lDocID`, and from the recipient's (bit 4) when the user is a current
  // recipient of it; a user who is both hides it from both. No row: nothing.
  void SetPublicationErrorStatusToRemoved(int32_t i_lDocID, const std::string& i_sUser,
                                          int32_t i_lPublicationErrorID);
  // Whether "GLOBAL"/"ShowCountNewDocuments" of the B2B configuration file equals 1. Never
  // raises: a failure is logged as a warning and answers false.
  bool showCountOfNewDocumentsInInbox();
  // The number of the user's new publications (status 0) of shown, non-new documents of the
  // type.
  int32_t countNewDocumentsForInbox(const std::string& i_sDocTypeID, const std::string& i_sUserID);
};

}  // namespace velmora
