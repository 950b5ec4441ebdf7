// Utility, e-mail: the document mails to the sender, the recipients and copy addresses, the
// mail with a document as HTML and XML, and the administrator's mail.
#include <memory>
#include <optional>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/publication_errors.h"
#include "routing/email/mail_texts.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"
#include "velmora/routing/sender_list.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

constexpr const char* kLineEnd = "\r\n";

// SendEmailWithAttachments with an attachment array, SendEmail without.
void SendDocumentMail(Utility& utility, const std::string& from, const std::string& to,
                      const std::string& subject, const std::string& body, const std::string& html,
                      const std::optional<Variant>& attachments) {
  if (attachments) {
    utility.SendEmailWithAttachments(from, to, subject, body, html, "", *attachments);
  } else {
    utility.SendEmail(from, to, subject, body, html, "");
  }
}

// The publication error of a recipient whose mail failed; `who` names him.
void LogRecipientFailure(int32_t docId, const Error& failure, const std::string& language,
                         const std::string& who) {
  core::LogPublicationError(
      docId, failure.number(),
      failure.description() + kLineEnd + email::Label("ZODAR0001", language) + ": '" + who + "'",
      "Velmora.Utility.SendEmailToRecipients", "ZODAR1817");
}

// One recipient row of SendEmailToRecipientsEx.
void SendToRecipient(Utility& utility, int32_t docId, const std::string& type,
                     const std::string& from, const std::string& subject, const std::string& body,
                     const std::optional<Variant>& attachments, db::Recordset& row,
                     email::TemporaryHtml& html) {
  std::string user_id = row.Field("USERID").ToText();
  std::string who = user_id;
  std::string language;
  try {
    const auto user = utility.GetAUObject(user_id);
    who = user->Value();
    language = user->LanguageID();
    std::string no_list;
    const std::string mail_subject = utility.GetSubject(language, subject, type, 1);
    const std::string mail_body =
        utility.GetBody(language, docId, type, 1, body, false, no_list, "");
    const Variant style_sheet = row.Field("HTMLATTACHMENTXSL");
    const bool wants_html = row.Field("HTMLATTACHMENT").ToBool() && !style_sheet.IsNull() &&
                            !style_sheet.ToText().empty();
    const std::string html_file = wants_html ? html.Make(docId) : std::string();
    const bool wants_files = row.Field("ATTACHMENTS").ToBool();
    SendDocumentMail(utility, from, user->EmailAddress(), mail_subject, mail_body, html_file,
                     wants_files ? attachments : std::nullopt);
  } catch (const Error& failure) {
    LogRecipientFailure(docId, failure, language, who);
  }
}

// The temporary HTML and XML files of one call, deleted when it ends (failures to delete are
// logged by DeleteXMLFileFromDisk and not raised).
struct TemporaryFiles {
  std::string html;
  std::string xml;
  ~TemporaryFiles() {
    for (const std::string* file : {&xml, &html}) {
      try {
        routing::xml_files::Delete(*file);
      } catch (...) {
        // The mail's outcome stands; the file left behind is logged.
        core::LogError("Velmora.Utility.DeleteXMLFileFromDisk");
      }
    }
  }
};

}  // namespace

void Utility::SendEmailToSender(int32_t iDocID, const std::string& sSubject,
                                const std::string& sBody, bool bAddHTML, const std::string& sToList,
                                const std::string& sCcList) {
  core::Guarded("Velmora.Utility.SendEmailToSender", [&] {
    Document document;
    const std::string type = document.GetDocumentTypeOfDocument(iDocID);
    std::string sender = document.GetSenderOfDocument(iDocID);
    bool notification = false;
    bool with_files = false;
    bool with_html = false;
    std::string style_sheet;
    SenderList().GetNotification2(type, sender, notification, with_files, with_html, style_sheet);
    if (!notification) {
      return;
    }
    const std::optional<Variant> attachments =
        with_files ? email::DocumentAttachmentArray(sender, iDocID, "SendEmailToSender")
                   : std::nullopt;
    const auto user = GetAUObject(sender);
    const std::string language = user->LanguageID();
    std::string to_list = sToList;
    const std::string subject = GetSubject(language, sSubject, type, 0);
    const std::string body = GetBody(language, iDocID, type, 0, sBody, false, to_list, sCcList);
    email::TemporaryHtml html;
    const std::string html_file =
        (bAddHTML || with_html) && !style_sheet.empty() ? html.Make(iDocID) : std::string();
    SendDocumentMail(*this, user->EmailAddress(), user->EmailAddress(), subject, body, html_file,
                     attachments);
  });
}

void Utility::SendEmailToRecipients(int32_t iDocID, const std::string& sCcList,
                                    const std::string& sSubject, const std::string& sBody,
                                    bool bAddHTML) {
  core::Guarded("Velmora.Utility.SendEmailToRecipients", [&] {
    SendEmailToRecipientsEx(iDocID, Variant(), sCcList, sSubject, sBody, bAddHTML, false, false,
                            true);
  });
}

void Utility::SendEmailToRecipientsEx(int32_t iDocID, const Variant& vUserIDs,
                                      const std::string& sCcList, const std::string& sSubject,
                                      const std::string& sBody, bool bAddHTML, bool bSkipTo,
                                      bool bSkipCC, bool bPubUsersOnly) {
  core::Guarded("Velmora.Utility.SendEmailToRecipientsEx", [&] {
    if (bSkipTo && bSkipCC) {
      return;
    }
    Document document;
    const std::string type = document.GetDocumentTypeOfDocument(iDocID);
    const auto sender = GetAUObject(document.GetSenderOfDocument(iDocID));
    const std::string from = sender->EmailAddress();
    const std::string sender_language = sender->LanguageID();
    const std::optional<Variant> attachments =
        email::DocumentAttachmentArray(sender->UserID(), iDocID, "SendEmailToRecipientsEx");
    email::TemporaryHtml html;
    if (!bSkipTo) {
      const auto rows =
          bPubUsersOnly ? GetRecipientsFromPublicationTable(iDocID, type, true)
                        : GetRecipientsFromPublicationTableByUsers(iDocID, type, true, vUserIDs);
      for (; !rows->IsEOF(); rows->MoveNext()) {
        SendToRecipient(*this, iDocID, type, from, sSubject, sBody, attachments, *rows, html);
      }
    }
    if (bSkipCC || text::Trim(sCcList).empty()) {
      return;
    }
    std::string no_list;
    const std::string subject = GetSubject(sender_language, sSubject, type, 1);
    const std::string body = GetBody(sender_language, iDocID, type, 1, sBody, true, no_list, "");
    const std::string html_file =
        bAddHTML && !GetHtmlAttachmentXsl(type).empty() ? html.Make(iDocID) : std::string();
    SendDocumentMail(*this, from, sCcList, subject, body, html_file, attachments);
  });
}

void Utility::sendEmailByGettingHTMLAndXML(const std::string& sFrom, const std::string& iBcc,
                                           const std::string& sBody, const std::string& sSubject,
                                           const std::string& sDocID, const Variant& vDocTypeID,
                                           const std::string& sXML, const std::string& sCcList,
                                           bool bHTMLToCc, int32_t iSenderMode,
                                           int32_t iLanguageID) {
  core::Guarded("Velmora.Utility.sendEmailByGettingHTMLAndXML", [&] {
    TemporaryFiles made;
    if (!sDocID.empty()) {
      made.html = getHTMLAttachmentByUsingXML(sDocID, vDocTypeID, Variant(sXML));
    }
    if (!sXML.empty()) {
      std::string name = sDocID + ".xml";
      made.xml = WriteXMLFileToDisk(sXML, name).ToText();
    }
    std::string text = sBody;
    if (iSenderMode != -1) {
      const int32_t document_id = Variant(sDocID).ToInt32();
      const bool still_new = iSenderMode == 0 && Document().GetStatusOfDocument(document_id) ==
                                                     DOCUMENTSTATUS::DOCUMENTNEW;
      if (!still_new) {
        const int32_t link_mode = iSenderMode == 0 ? 1 : iSenderMode == 1 ? 0 : iSenderMode;
        text += std::string(kLineEnd) + kLineEnd + core::GetLabel("ZODAR1717", iLanguageID) + ":" +
                kLineEnd +
                email::MailLink(
                    getDocumentHyperlinkBySenderMode(document_id, vDocTypeID.ToText(), link_mode));
      }
    }
    SendEmail(sFrom, iBcc, sSubject, text, made.html, made.xml);
    if (!text::Trim(sCcList).empty()) {
      SendEmail(sFrom, sCcList, sSubject, sBody, bHTMLToCc ? made.html : std::string(), "");
    }
  });
}

}  // namespace velmora
