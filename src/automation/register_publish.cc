#include "automation/registration.h"
#include "velmora/document/document.h"
#include "velmora/publish/publish_by_upload.h"
#include "velmora/publish/publish_create_document.h"
#include "velmora/publish/publish_forward_document.h"

namespace velmora::automation {

// Document processing (methods of Velmora.Document) and the publishing classes, in their
// published slot order. Collections of attachment paths are arrays of texts.
void RegisterPublishingClasses(ClassRegistry& registry) {
  registry.Add("Velmora.Document")
      .Bind("ProcessDocument", &Document::ProcessDocument,
            {"iInterActive", "iOriginalXmlBody", "iOriginalDocTypeID", "iOriginalDefRecipient",
             "oDocID", "oSenderBPID", "oDocTypeID", "oSenderName", "oDefRecipient", "oStatus",
             Opt("iForwardedDocID", Variant(-1))})
      .Bind("TransformDocToNewDocType", &Document::TransformDocToNewDocType,
            {"iDocID", "iOriginalDocTypeID", "iNewDocTypeID"})
      .Bind("ProcessDocumentWithAttachments", &Document::ProcessDocumentWithAttachments,
            {"iInterActive", "iOriginalXmlBody", "iOriginalDocTypeID", "iOriginalDefRecipient",
             "i_oAttachments", "oDocID", "oSenderBPID", "oDocTypeID", "oSenderName",
             "oDefRecipient", "oStatus", Opt("iForwardedDocID", Variant(-1))});

  registry.Add("Velmora.PublishCreateDocument")
      .Bind("Main", &PublishCreateDocument::Main, {"i_sXMLStr", "i_oAttachments"})
      .Bind("SetPublisherLanguageID", &PublishCreateDocument::SetPublisherLanguageID,
            {"i_sLanguageID"})
      .Bind("GetPublisherLanguageID", &PublishCreateDocument::GetPublisherLanguageID)
      .Bind("PublishXmlDocument", &PublishCreateDocument::PublishXmlDocument,
            {"i_sXmlString", "i_oAttachments", "i_bSynchronous"})
      .Bind("PublishExcelDocument", &PublishCreateDocument::PublishExcelDocument,
            {"i_sExcelFile", "i_oAttachments", "i_bSynchronous"})
      .Bind("PublishObiDocument", &PublishCreateDocument::PublishObiDocument,
            {"i_sObiObject", "i_bSynchronous"})
      .Bind("MainX", &PublishCreateDocument::MainX, {"i_sXMLStr"})
      .Bind("PublishDocument", &PublishCreateDocument::PublishDocument,
            {"i_sFile", "i_oAttachments", "i_bSynchronous"})
      .Bind("CopyAttachmentCollection", &PublishCreateDocument::CopyAttachmentCollection,
            {"i_lDocID", "i_oAttachments"});

  registry.Add("Velmora.PublishForwardDocument")
      .Bind("Main", &PublishForwardDocument::Main, {"iDocID", "iUser", "iAttPath"})
      .Bind("Main2", &PublishForwardDocument::Main2,
            {"iDocID", "iNewDocTypeID", "iUser", "iAttPath"})
      .Bind("TransformExist", &PublishForwardDocument::TransformExist, {"iDocID"})
      .Bind("RemoveAllRecipientsForDocument",
            &PublishForwardDocument::RemoveAllRecipientsForDocument, {"iDocID"});

  registry.Add("Velmora.PublishByUpload")
      .Bind("DeleteAllOldTempXMLFiles", &PublishByUpload::DeleteAllOldTempXMLFiles, {"iPath"})
      .Bind("DeleteTempDocumentInDB", &PublishByUpload::DeleteTempDocumentInDB, {"iDocID"})
      .Bind("ReadXMLFile", &PublishByUpload::ReadXMLFile, {"iXMLPath", "iDocID"})
      .Bind("DeleteXMLFileAndDocument", &PublishByUpload::DeleteXMLFileAndDocument,
            {"iXMLTempPath", "iDocID"})
      .Bind("ReadExcelFile", &PublishByUpload::ReadExcelFile, {"i_sExcelPath", "i_lDocID"});
}

}  // namespace velmora::automation
