#include "automation/registration.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// The e-mail operations of Velmora.Utility.
void RegisterEmailOperations(ClassRegistry& registry) {
  const Variant empty_text("");
  registry.Add("Velmora.Utility")
      .Bind("SendEmail", &Utility::SendEmail,
            {"sFrom", "sTo", "sSubject", "sBody", Opt("sHTMLFileName", empty_text),
             Opt("sXMLFileName", empty_text)})
      .Bind("SendEmailWithAttachments", &Utility::SendEmailWithAttachments,
            {"sFrom", "sTo", "sSubject", "sBody", "sHTMLFileName", "sXMLFileName", "aAttachments"})
      .Bind("sendEmailByGettingHTMLAndXML", &Utility::sendEmailByGettingHTMLAndXML,
            {"sFrom", "iBcc", "sBody", "sSubject", "sDocID", "vDocTypeID", "sXML",
             Opt("sCcList", empty_text), Opt("bHTMLToCc", Variant(false)),
             Opt("iSenderMode", Variant(int32_t{-1})), Opt("iLanguageID", Variant(int32_t{1033}))})
      .Bind(
          "SendEmailToSender", &Utility::SendEmailToSender,
          {"iDocID", Opt("sSubject", empty_text), Opt("sBody", empty_text),
           Opt("bAddHTML", Variant(false)), Opt("sToList", empty_text), Opt("sCcList", empty_text)})
      .Bind("SendEmailToRecipients", &Utility::SendEmailToRecipients,
            {"iDocID", Opt("sCcList", empty_text), Opt("sSubject", empty_text),
             Opt("sBody", empty_text), Opt("bAddHTML", Variant(false))})
      .Bind("SendEmailToRecipientsEx", &Utility::SendEmailToRecipientsEx,
            {"iDocID", Opt("vUserIDs"), Opt("sCcList", empty_text), Opt("sSubject", empty_text),
             Opt("sBody", empty_text), Opt("bAddHTML", Variant(false)),
             Opt("bSkipTo", Variant(false)), Opt("bSkipCC", Variant(false)),
             Opt("bPubUsersOnly", Variant(true))})
      .Bind("SendEmailToAdministrator", &Utility::SendEmailToAdministrator, {"sFileName"})
      .Bind("GetSubject", &Utility::GetSubject,
            {"sLanguageID", Opt("sSubject", empty_text), "sDocTypeID",
             Opt("iSenderMode", Variant(int32_t{1}))})
      .Bind("GetBody", &Utility::GetBody,
            {"sLanguageID", "iDocID", "sDocTypeID", "iSenderMode", Opt("sBody", empty_text),
             Opt("bCcFlag", Variant(false)), OptRef("sToList", empty_text),
             Opt("sCcList", empty_text)})
      .Bind("GetDefaultBody", &Utility::GetDefaultBody,
            {"sLanguageID", "iDocID", "sDocTypeID", Opt("sBody", empty_text)})
      .Bind("getDocumentHyperlinkBySenderMode", &Utility::getDocumentHyperlinkBySenderMode,
            {"iDocID", "sDocTypeID", "iSenderMode"})
      .Bind("getPagePath", &Utility::getPagePath)
      .Bind("getVelmoraPath", &Utility::getVelmoraPath)
      .Bind("getReceiveUrl", &Utility::getReceiveUrl)
      .Bind("getHTMLAttachment", &Utility::getHTMLAttachment, {"iDocID"})
      .Bind("getHTMLAttachmentByUsingXML", &Utility::getHTMLAttachmentByUsingXML,
            {"sDocID", "vDocTypeID", "vXML"})
      .Bind("CanAttachHTMLFile", &Utility::CanAttachHTMLFile, {"sDocTypeID"})
      .Bind("DeleteHTMLAttachment", &Utility::DeleteHTMLAttachment, {"sFileName"})
      .Bind("ShowAcceptRejectButtons", &Utility::ShowAcceptRejectButtons, {"sDocTypeID"})
      .Bind("DownloadDocument", &Utility::DownloadDocument, {"iDocID", "sUserID", "iFileFormat"});
}

}  // namespace velmora::automation
