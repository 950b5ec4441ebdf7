// Utility, e-mail: the subject and body texts of document mails.
#include <string>

#include "core/guarded.h"
#include "routing/email/mail_texts.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

constexpr const char* kLineEnd = "\r\n";

// ", " + "ZODAR1907" + " '" + the type's description + "'".
std::string TypeWords(Utility& utility, const std::string& language, const std::string& type) {
  return ", " + email::Label("ZODAR1907", language) + " '" +
         utility.GetDocumentTypeDescription(type) + "'";
}

}  // namespace

std::string Utility::GetSubject(const std::string& sLanguageID, const std::string& sSubject,
                                const std::string& sDocTypeID, int32_t iSenderMode) {
  return core::Guarded("Velmora.Utility.GetSubject", [&] {
    const std::string recipient_head = email::Label("ZODAR1712", sLanguageID);
    if (sSubject == recipient_head && iSenderMode == 0) {
      return email::Label("ZODAR5530", sLanguageID) + TypeWords(*this, sLanguageID, sDocTypeID);
    }
    if (sSubject.empty()) {
      const std::string head =
          iSenderMode != 0 ? recipient_head : email::Label("ZODAR5530", sLanguageID);
      return head + TypeWords(*this, sLanguageID, sDocTypeID);
    }
    return sSubject;
  });
}

std::string Utility::GetDefaultBody(const std::string& sLanguageID, int32_t iDocID,
                                    const std::string& sDocTypeID, const std::string& sBody) {
  return core::Guarded("Velmora.Utility.GetDefaultBody", [&] {
    if (!sBody.empty()) {
      return sBody;
    }
    return email::Label("ZODAR1714", sLanguageID) + " " + std::to_string(iDocID) + " (" +
           email::Label("ZODAR1907", sLanguageID) + " '" + GetDocumentTypeDescription(sDocTypeID) +
           "') " + email::Label("ZODAR1713", sLanguageID) + kLineEnd + kLineEnd;
  });
}

std::string Utility::GetBody(const std::string& sLanguageID, int32_t iDocID,
                             const std::string& sDocTypeID, int32_t iSenderMode,
                             const std::string& sBody, bool bCcFlag, std::string& sToList,
                             const std::string& sCcList) {
  return core::Guarded("Velmora.Utility.GetBody", [&] {
    std::string body = sBody.empty() ? GetDefaultBody(sLanguageID, iDocID, sDocTypeID, "")
                                     : sBody + kLineEnd + kLineEnd;
    if (!bCcFlag) {
      const std::string link =
          email::MailLink(getDocumentHyperlinkBySenderMode(iDocID, sDocTypeID, iSenderMode));
      body += text::IReplaceAll(email::Label("ZODAR4485", sLanguageID), "[%SITELINK%]", link) +
              kLineEnd + kLineEnd;
    }
    if (iSenderMode != 0) {
      return body;
    }
    if (sToList.empty()) {
      sToList = GetToRecipientList(iDocID, sDocTypeID);
    }
    if (!sToList.empty()) {
      body +=
          text::IReplaceAll(email::Label("ZODAR4483", sLanguageID), "[%TORECIPIENTS%]", sToList) +
          kLineEnd;
    }
    if (!sCcList.empty()) {
      body +=
          text::IReplaceAll(email::Label("ZODAR4484", sLanguageID), "[%CCRECIPIENTS%]", sCcList) +
          kLineEnd + kLineEnd;
    } else {
      body += kLineEnd;
    }
    if (CheckPublicationErrors(iDocID)) {
      const std::string error_link = email::MailLink(getDocumentHyperlinkBySenderMode(
          iDocID, sDocTypeID, static_cast<int32_t>(SENDERMODE::ERRORMODE)));
      body += email::Label("ZODAR1715", sLanguageID) + ". " +
              text::IReplaceAll(email::Label("ZODAR4486", sLanguageID), "[%SITEERRORLINK%]",
                                error_link) +
              kLineEnd;
    }
    return body;
  });
}

}  // namespace velmora
