#include "automation/registration.h"
#include "velmora/boxes/collaboration.h"

namespace velmora::automation {

// Velmora.Collaboration in its published slot order.
void RegisterCollaborationClasses(ClassRegistry& registry) {
  registry.Add("Velmora.Collaboration")
      .Bind("getAllDocumentTypes", &Collaboration::getAllDocumentTypes, {Opt("iOrderBy")})
      .Bind("deleteDocument2", &Collaboration::deleteDocument2,
            {"iDocID", "iDocTypeID", "iSenderMode", "iUserName", "iPath",
             Opt("iIsChildDoc", Variant(false))})
      .Bind("AcceptPublication", &Collaboration::AcceptPublication, {"iDocID", "iUserID"})
      .Bind("SetPublicationStatus", &Collaboration::SetPublicationStatus,
            {"iDocID", "iUserID", "iStatus", Opt("iPublicationErrorID", Variant(0))})
      .Bind("GetDocumentDetails2", &Collaboration::GetDocumentDetails2,
            {"iIsSender", "iDocID", "iUser"})
      .Bind("GetAddresseeStatusQueryStr", &Collaboration::GetAddresseeStatusQueryStr,
            {"iDocID", "iUser"})
      .Bind("GetDocumentAttachmentsQueryStr", &Collaboration::GetDocumentAttachmentsQueryStr,
            {"iIsSender", "iDocID", "iUser"})
      .Bind("GetDocumentTypeListQueryStr2", &Collaboration::GetDocumentTypeListQueryStr2,
            {"iMode", "iUser"})
      .Bind("ClosePublicationErrorsForOneCategory",
            &Collaboration::ClosePublicationErrorsForOneCategory, {"i_lDocID", "i_sCategory"})
      .Bind("ClosePublicationErrors", &Collaboration::ClosePublicationErrors,
            {"iPublicationErrorID", Opt("iDocID", Variant(0))})
      .Bind("DeletePublicationErrors", &Collaboration::DeletePublicationErrors, {"iDocID"})
      .Bind("GetPublicationStatus", &Collaboration::GetPublicationStatus, {"iDocID", "iUserID"})
      .Bind("GetAddresseeStatusQueryStr2", &Collaboration::GetAddresseeStatusQueryStr2,
            {"iDocID", "iUser"})
      .Bind("SetPublicationErrorStatusToRemoved",
            &Collaboration::SetPublicationErrorStatusToRemoved,
            {"i_lDocID", "i_sUser", "i_lPublicationErrorID"})
      .Bind("showCountOfNewDocumentsInInbox", &Collaboration::showCountOfNewDocumentsInInbox)
      .Bind("countNewDocumentsForInbox", &Collaboration::countNewDocumentsForInbox,
            {"i_sDocTypeID", "i_sUserID"});
}

}  // namespace velmora::automation
