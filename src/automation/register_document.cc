#include "automation/registration.h"
#include "velmora/document/document.h"

namespace velmora::automation {

// Velmora.Document in its published slot order. The processing methods (ProcessDocument,
// TransformDocToNewDocType, ProcessDocumentWithAttachments) are registered with the publishing
// classes (register_publish.cc).
void RegisterDocumentClasses(ClassRegistry& registry) {
  registry.Add("Velmora.Document")
      .Bind("GetXmlDocument", &Document::GetXmlDocument, {"iDocID"})
      .Bind("GetXmlDomDocument", &Document::GetXmlDomDocument, {"iDocID"})
      .Bind("UpdateDocTableWithDocType", &Document::UpdateDocTableWithDocType,
            {"iDocID", "iDocTypeID"})
      .Bind("UpdateDocumentWithXmlBody", &Document::UpdateDocumentWithXmlBody,
            {"iDocID", "iXmlBody"})
      .Bind("UpdateDocumentWithOriginalXmlBody", &Document::UpdateDocumentWithOriginalXmlBody,
            {"iDocID", "iOriginalXmlBody"})
      .Bind("GetOriginalXmlDocument", &Document::GetOriginalXmlDocument, {"iDocID"})
      .Bind("GetDocumentTypeOfDocument", &Document::GetDocumentTypeOfDocument, {"iDocID"})
      .Bind("GetSenderOfDocument", &Document::GetSenderOfDocument, {"iDocID"})
      .Bind("ParseBatchXMLFile", &Document::ParseBatchXMLFile, {"iXMLStr"})
      .Bind("RemoveRecipientsForDocument", &Document::RemoveRecipientsForDocument, {"iDocID"})
      .Bind("IsValidParentDoc", &Document::IsValidParentDoc, {"iDocID", "iUser", "iSenderMode"})
      .Bind("IsValidChildDoc", &Document::IsValidChildDoc, {"iDocID", "iUser", "iSenderMode"})
      .Bind("GetStatusOfDocument", &Document::GetStatusOfDocument, {"iDocID"})
      .Bind("UserIsRecipientOfDoc", &Document::UserIsRecipientOfDoc, {"iDocID", "iUser"})
      .Bind("RemoveInvalidDocument", &Document::RemoveInvalidDocument, {"iDocID"})
      .Bind("SetDocumentStatus", &Document::SetDocumentStatus, {"iDocID", "iDocStatus"})
      .Bind("ConvertStatusFromStringToEnum", &Document::ConvertStatusFromStringToEnum, {"iStatus"})
      .Bind("ConvertStatusFromIntToEnum", &Document::ConvertStatusFromIntToEnum, {"iStatus"})
      .Bind("GetShowFlag", &Document::GetShowFlag, {"i_lDocID"})
      .Bind("ParseBatchXMLString", &Document::ParseBatchXMLString, {"iXMLStr"})
      .Bind("setParentDocument", &Document::setParentDocument, {"lChildDocID", "lParentDocID"})
      .Bind("UserIsSenderOfDocument", &Document::UserIsSenderOfDocument, {"i_lDocID", "i_sUser"})
      .Bind("GetParentDocIdOfDocument", &Document::GetParentDocIdOfDocument, {"iDocID"})
      .Bind("getChildDocuments", &Document::getChildDocuments, {"i_lParentDocID"})
      .Bind("getDocumentProperty", &Document::getDocumentProperty, {"i_lDocID", "i_sFieldNames"})
      .Bind("deleteAllUsersFromPublicationList", &Document::deleteAllUsersFromPublicationList,
            {"i_lDocID"});
}

}  // namespace velmora::automation
