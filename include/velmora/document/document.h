#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/variant.h"
#include "velmora/xml/document.h"

namespace velmora {

// The status of a DOCUMENT row (column STATUS). A new row starts unknown; processing makes it
// new or published; delivery and the recipients' actions move it on; deleted is final.
enum class DOCUMENTSTATUS : int32_t {
  DOCUMENTUNKNOWNSTATUS = -1,
  DOCUMENTNEW = 0,
  DOCUMENTPUBLISHED = 1,
  DOCUMENTACCEPTED = 2,
  DOCUMENTPARTIALLYACCEPTED = 3,
  DOCUMENTDELETED = 4,
  DOCUMENTSENT = 5,
};

// Velmora.Document: the DOCUMENT record with its statuses and XML bodies. Stateless; each call
// opens and closes its own connection and reports failures through the error chain
// ("Velmora.Document.<method>"). Reads that find no row are not failures. Methods are declared
// in the published slot order.
class Document {
 public:
  // XMLBODY of the document; "" when there is no row or the body is NULL.
  std::string GetXmlDocument(int32_t iDocID);
  // XMLBODY loaded into a new XML document; an empty document when there is no row. A body
  // that is not well-formed raises the parser's number with "DOM Error: " + its reason, the
  // line as help context.
  std::shared_ptr<xml::Document> GetXmlDomDocument(int32_t iDocID);
  // Sets DOCUMENTTYPEID; true when the row exists and `iDocTypeID` is not empty.
  bool UpdateDocTableWithDocType(int32_t iDocID, const std::string& iDocTypeID);
  // Replaces XMLBODY and sets CREATIONDATE to now; nothing when the row is absent.
  void UpdateDocumentWithXmlBody(int32_t iDocID, const std::string& iXmlBody);
  // Replaces ORIGINALXMLBODY and sets ENTRANCEDATE to now; nothing when the row is absent.
  void UpdateDocumentWithOriginalXmlBody(int32_t iDocID, const std::string& iOriginalXmlBody);
  // ORIGINALXMLBODY; "" when there is no row or the body is NULL.
  std::string GetOriginalXmlDocument(int32_t iDocID);
  // DOCUMENTTYPEID of the document, trimmed; "" when the row is absent or the type is NULL.
  std::string GetDocumentTypeOfDocument(int32_t iDocID);
  // SENDER; "" when there is no row or it is NULL.
  std::string GetSenderOfDocument(int32_t iDocID);
  // Checks that `iXMLStr` is a batch of top-level elements (see ParseBatchXMLString); reported
  // as "Velmora.Document.ParseBatchXMLFile".
  void ParseBatchXMLFile(const std::string& iXMLStr);
  // Deletes every PUBLICATION row of the document.
  void RemoveRecipientsForDocument(int32_t iDocID);
  // True when `iUser` may see at least one child document of `iDocID` (IsValidChildDoc).
  bool IsValidParentDoc(int32_t iDocID, const std::string& iUser, SENDERMODE iSenderMode);
  // Whether `iUser` may see the document: nobody when it has no type; while it is new only
  // its sender; its sender while it is not deleted; otherwise a recipient (UserIsRecipientOfDoc).
  // The mode is not used.
  bool IsValidChildDoc(int32_t iDocID, const std::string& iUser, SENDERMODE iSenderMode);
  // STATUS when it is 0 ... 5; DOCUMENTUNKNOWNSTATUS for any other value and for no row.
  DOCUMENTSTATUS GetStatusOfDocument(int32_t iDocID);
  // True when the document has a type and `iUser` (exact) holds a current publication of it
  // (PUBLICATION row not removed, user on the type's distribution list).
  bool UserIsRecipientOfDoc(int32_t iDocID, const std::string& iUser);
  // Deletes the row when it never received a document type; id 0 does nothing.
  void RemoveInvalidDocument(int32_t iDocID);
  // Sets STATUS. Deleted is always accepted; out of deleted, and from sent back to published,
  // the change is silently refused. New -> published also closes the document's
  // "CannotPublish" publication errors; new -> deleted also removes its publications.
  void SetDocumentStatus(int32_t iDocID, DOCUMENTSTATUS iDocStatus);
  // Trims `iStatus` of blanks (written back) and maps the exact texts "New", "published",
  // "ACCEPT", ... to their status; any other text gives DOCUMENTUNKNOWNSTATUS.
  DOCUMENTSTATUS ConvertStatusFromStringToEnum(std::string& iStatus);
  // 0 ... 5 as themselves, anything else DOCUMENTUNKNOWNSTATUS.
  DOCUMENTSTATUS ConvertStatusFromIntToEnum(int16_t iStatus);
  // SHOW as a Boolean; false when there is no row.
  bool GetShowFlag(int32_t i_lDocID);
  // Raises unless `iXMLStr` is a sequence of top-level XML elements (with "<!" and "<?"
  // constructs between them allowed). Stores nothing.
  void ParseBatchXMLString(const std::string& iXMLStr);
  // Sets DOC_DOCUMENTID of `lChildDocID` to `lParentDocID`.
  void setParentDocument(int32_t lChildDocID, int32_t lParentDocID);
  // True when SENDER equals `i_sUser` exactly (case-sensitive).
  bool UserIsSenderOfDocument(int32_t i_lDocID, const std::string& i_sUser);
  // DOC_DOCUMENTID; -1 when the document has no parent or there is no row.
  int32_t GetParentDocIdOfDocument(int32_t iDocID);
  // DOCUMENTID and DOCUMENTTYPEID of every child as a two-dimensional array indexed
  // (field, row); Empty when there is no child.
  Variant getChildDocuments(int32_t i_lParentDocID);
  // The columns `i_sFieldNames` (a comma-separated list of DOCUMENT column names, blanks
  // around them allowed, case ignored) of the row, as a (field, row) array; Empty when there
  // is no row. Anything but column names of DOCUMENT raises InvalidParamValue.
  Variant getDocumentProperty(int32_t i_lDocID, const std::string& i_sFieldNames);
  // Deletes every PUBLICATION row of the document; `i_lDocID` must convert to a 32-bit id.
  void deleteAllUsersFromPublicationList(const Variant& i_lDocID);

  // ---- Document processing (src/document/processing/, library velmora_processing) ----

  // Publishes the received text `iOriginalXmlBody`: parse, OBI check, show flag, sender, type,
  // authorisation, store, transform, default receiver, properties, user-defined fields,
  // recipients, attachments (none here), delivery and notification, each step guarded. The
  // in/out arguments are read and written back as the steps fill them. `iInterActive` is 0 for
  // the library's own publishing components and -1 for a call on behalf of a logged-in user;
  // steps test for 0 and for -1 separately. `iForwardedDocID` -1 records no parent.
  //
  // Returns the document id. The first failing step raises ProcessDocumentError whose
  // description is the step's localised message: unchanged for interactive calls (after a log
  // entry), with the "Velmora.Document.ProcessDocument" chain for component calls. `oDocID` is
  // then 0; a row that never received its type is removed, a row that has one keeps a
  // PUBLICATIONERRORS row with the message; the administrator is mailed when the document is
  // not shown to its sender.
  Variant ProcessDocument(int32_t iInterActive, const std::string& iOriginalXmlBody,
                          std::string& iOriginalDocTypeID, std::string& iOriginalDefRecipient,
                          int32_t& oDocID, int32_t& oSenderBPID, std::string& oDocTypeID,
                          std::string& oSenderName, std::string& oDefRecipient, int16_t& oStatus,
                          int32_t& iForwardedDocID);
  // ProcessDocument that also copies the attachment files `i_oAttachments` (full paths; nothing
  // or empty for none) into the document's attachments folder after the recipients step.
  Variant ProcessDocumentWithAttachments(
      int32_t iInterActive, const std::string& iOriginalXmlBody, std::string& iOriginalDocTypeID,
      std::string& iOriginalDefRecipient, const std::shared_ptr<Collection>& i_oAttachments,
      int32_t& oDocID, int32_t& oSenderBPID, std::string& oDocTypeID, std::string& oSenderName,
      std::string& oDefRecipient, int16_t& oStatus, int32_t& iForwardedDocID);
  // Converts the working body of `iDocID` from type `iOriginalDocTypeID` to `iNewDocTypeID`
  // with the style sheet of DOCTYPETODOCTYPE (the body is copied unchanged when there is
  // none); TEMPXMLBODY is cleared afterwards.
  void TransformDocToNewDocType(int32_t& iDocID, std::string& iOriginalDocTypeID,
                                std::string& iNewDocTypeID);
};

}  // namespace velmora
