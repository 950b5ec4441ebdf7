#include <memory>

#include "automation/registration.h"
#include "velmora/host/referential_integrity.h"
#include "velmora/routing/distribution_list.h"
#include "velmora/routing/sender_list.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// The distribution and sender lists, Utility's users-and-partners operations, and the
// distribution list as a participant in the host's referential-integrity checks.
void RegisterDirectoryClasses(ClassRegistry& registry) {
  registry.Add("Velmora.DistributionList")
      .Bind("UserFoundOnDBList", &DistributionList::UserFoundOnDBList, {"iDocTypeID", "iUserID"})
      .Bind("BPFoundOnDBList", &DistributionList::BPFoundOnDBList, {"iDocTypeID", "iBPID"})
      .Bind("AnyBPFoundOnDBList", &DistributionList::AnyBPFoundOnDBList, {"iDocTypeID"})
      .Bind("RemoveBPsFromDBList", &DistributionList::RemoveBPsFromDBList, {"iDocTypeID"})
      .Bind("Exists", &DistributionList::Exists, {"Origin", "KeyNames", "KeyValues"})
      .Bind("BeforeDelete", &DistributionList::BeforeDelete, {"Origin", "KeyNames", "KeyValues"});

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
      .Bind("GetAUObject", &Utility::GetAUObject, {"sUserID"})
      .Bind("getAUOAddress", &Utility::getAUOAddress, {"sIISVirtID", "sUserID"})
      .Bind("GetAuoRSByCriteria", &Utility::GetAuoRSByCriteria,
            {"vCriteria", Opt("sIISVirtID", Variant(""))})
      .Bind("GetAUBusinessPartnerID", &Utility::GetAUBusinessPartnerID, {"sUserID"})
      .Bind("GetAUEmailAddress", &Utility::GetAUEmailAddress, {"sUserID"})
      .Bind("GetSenderBPAndName", &Utility::GetSenderBPAndName, {"sXML", "lBPID", "sSenderName"})
      .Bind("GetBusinessPartnerName", &Utility::GetBusinessPartnerName, {"lBPID"})
      .Bind("BPOfDocumentEqualsBPOfUser", &Utility::BPOfDocumentEqualsBPOfUser, {"sUser", "sXML"})
      .Bind("CheckUserAuthorization", &Utility::CheckUserAuthorization,
            {"sUser", "sPassword", Opt("sXML", Variant(""))})
      .Bind("GetApplicationID", &Utility::GetApplicationID, {"sApplicationName"})
      .Bind("UserAccessToApplicationAllowed", &Utility::UserAccessToApplicationAllowed,
            {"sUser", "sApplicationName"})
      .Bind("GetR2AVidodeParameter", &Utility::GetR2AVidodeParameter, {"sParamName"})
      .Bind("RetrieveElementFromRequestFormCollection",
            &Utility::RetrieveElementFromRequestFormCollection,
            {"sFormCollection", "sPattern", "vValue"})
      .Bind("CheckLong", &Utility::CheckLong, {"vValue"})
      .Bind("CheckString", &Utility::CheckString, {"vValue"});

  host::ReferentialIntegrityRegistry::Global().Register(
      "Velmora.DistributionList", [] { return std::make_shared<DistributionList>(); });
}

}  // namespace velmora::automation
