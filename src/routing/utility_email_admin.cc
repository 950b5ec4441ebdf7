// Utility: the administrator's mail about a file kept in the error folder.
#include <string>

#include "routing/mails.h"
#include "velmora/routing/utility.h"

namespace velmora {

void Utility::SendEmailToAdministrator(const std::string& sFileName) {
  routing::mails::SendToAdministrator(sFileName);
}

}  // namespace velmora
