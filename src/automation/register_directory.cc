#include "automation/registration.h"
#include "velmora/routing/distribution_list.h"
#include "velmora/routing/sender_list.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// The distribution and sender lists, Utility's users-and-partners operations, and the
// distribution list as a participant in the host's referential-integrity checks.
void RegisterDirectoryClasses(ClassRegistry& registry) {
  registry.Add("Velmora.DistributionList")
      .Bind("UserFoundOnDBList", &DistributionList::UserFoundOnDBList,
            {Ref("iDocTypeID"), Ref("iUserID")})
      .Bind("BPFoundOnDBList", &DistributionList::BPFoundOnDBList,
            {Ref("iDocTypeID"), Ref("iBPID")})
      .Bind("AnyBPFoundOnDBList", &DistributionList::AnyBPFoundOnDBList, {Ref("iDocTypeID")})
      .Bind("RemoveBPsFromDBList", &DistributionList::RemoveBPsFromDBList, {Ref("iDocTypeID")});
  AddReferentialIntegrity<DistributionList>(registry.Add("Velmora.DistributionList"),
                                            {"Origin", "KeyNames", "KeyValues"});

  registry.Add("Velmora.SenderList")
      .Bind("CheckAuthorizationForSender", &SenderList::CheckAuthorizationForSender,
            {"iDocTypeID", "iUserID"})
      .Bind("GetNotification", &SenderList::GetNotification, {"iDocTypeID", "iUserID"})
      .Bind("GetNotification3", &SenderList::GetNotification3,
            {"iDocTypeID", "iUserID", "oNotification", "oAttachments", "oHTMLAttachment"})
      .Bind("GetNotification2", &SenderList::GetNotification2,
            {"iDocTypeID", "iUserID", "oNotification", "oAttachments", "oHTMLAttachment",
             "oHTMLStyleSheet"})
      .Bind("GetAttachments", &SenderList::GetAttachments, {"iDocTypeID", "iUserID"})
      .Bind("GetDocumentAsAttachment", &SenderList::GetDocumentAsAttachment,
            {"iDocTypeID", "iUserID"});

  registry.Add("Velmora.Utility")
      .Bind("getIISVirtID", &Utility::getIISVirtID)
      .Bind("GetAUObject", &Utility::GetAUObject, {Ref("sUserID")})
      .Bind("getAUOAddress", &Utility::getAUOAddress, {Ref("sIISVirtID"), Ref("sUserID")})
      .Bind("GetAuoRSByCriteria", &Utility::GetAuoRSByCriteria,
            {Ref("vCriteria"), OptRef("sIISVirtID", Variant(""))})
      .Bind("GetAUBusinessPartnerID", &Utility::GetAUBusinessPartnerID, {Ref("sUserID")})
      .Bind("GetAUEmailAddress", &Utility::GetAUEmailAddress, {Ref("sUserID")})
      .Bind("GetSenderBPAndName", &Utility::GetSenderBPAndName,
            {Ref("sXML"), Ref("lBPID"), Ref("sSenderName")})
      .Bind("GetBusinessPartnerName", &Utility::GetBusinessPartnerName, {"lBPID"})
      .Bind("BPOfDocumentEqualsBPOfUser", &Utility::BPOfDocumentEqualsBPOfUser, {"sUser", "sXML"})
      .Bind("CheckUserAuthorization", &Utility::CheckUserAuthorization,
            {Ref("sUser"), Ref("sPassword"), OptRef("sXML", Variant(""))})
      .Bind("GetApplicationID", &Utility::GetApplicationID, {"sApplicationName"})
      .Bind("UserAccessToApplicationAllowed", &Utility::UserAccessToApplicationAllowed,
            {"sUser", "sApplicationName"})
      .Bind("GetR2AVidodeParameter", &Utility::GetR2AVidodeParameter, {Ref("sParamName")})
      .Bind("RetrieveElementFromRequestFormCollection",
            &Utility::RetrieveElementFromRequestFormCollection,
            {"sFormCollection", "sPattern", Ref("vValue")})
      .Bind("CheckLong", &Utility::CheckLong, {Ref("vValue")})
      .Bind("CheckString", &Utility::CheckString, {Ref("vValue")});
}

}  // namespace velmora::automation
