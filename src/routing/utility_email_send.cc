// Utility, e-mail: sending one message, with or without a list of attached files.
#include <string>

#include "core/guarded.h"
#include "routing/mails.h"
#include "velmora/routing/utility.h"

namespace velmora {

void Utility::SendEmail(const std::string& sFrom, const std::string& sTo,
                        const std::string& sSubject, const std::string& sBody,
                        const std::string& sHTMLFileName, const std::string& sXMLFileName) {
  core::Guarded("Velmora.Utility.SendEmail", [&] {
    routing::mails::Send(sFrom, sTo, sSubject, sBody, sHTMLFileName, sXMLFileName);
  });
}

void Utility::SendEmailWithAttachments(const std::string& sFrom, const std::string& sTo,
                                       const std::string& sSubject, const std::string& sBody,
                                       const std::string& sHTMLFileName,
                                       const std::string& sXMLFileName,
                                       const Variant& aAttachments) {
  core::Guarded("Velmora.Utility.SendEmailWithAttachments", [&] {
    routing::mails::SendWithFiles(sFrom, sTo, sSubject, sBody, sHTMLFileName, sXMLFileName,
                                  aAttachments);
  });
}

}  // namespace velmora
