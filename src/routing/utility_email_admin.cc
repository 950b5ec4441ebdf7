// Utility: the administrator's mail about a file kept in the error folder.
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/labels.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"

namespace velmora {

void Utility::SendEmailToAdministrator(const std::string& sFileName) {
  try {
    std::string admin;
    bool read_failed = false;
    try {
      admin = core::GetParameter("AdminEmailAddress");
    } catch (...) {
      read_failed = true;
    }
    if (read_failed && text::Trim(admin).empty()) {
      core::LogError(core::GetLabel("ZODAR4104", core::kDefaultLanguage));
      return;
    }
    const std::string subject = core::GetLabel("ZODAR4100", core::kDefaultLanguage);
    const std::string body = text::IReplaceAll(core::GetLabel("ZODAR4103", core::kDefaultLanguage),
                                               "[%FILENAME%]", sFileName);
    SendEmail(admin, admin, subject, body, "", "");
  } catch (...) {
    // Never raises: SendEmail has logged its failure under its own path.
  }
}

}  // namespace velmora
