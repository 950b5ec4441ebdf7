#include "platform/host/membership_account.h"

#include "platform/host/configuration.h"
#include "platform/host/password_hash.h"
#include "velmora/base/error.h"

namespace velmora::host {

ServiceAccount ServiceAccount::FromSiteConfiguration(const std::string& config_file) {
  auto configuration = NewXmlConfiguration();
  configuration->LoadFile(config_file);
  std::string user = configuration->GetValue("MEMBERSHIP", "MemScriptUser").ToText();
  const std::string root = configuration->GetValue("MEMBERSHIP", "LDAPRoot").ToText();
  if (!root.empty()) {
    user += "," + root;
  }
  return ServiceAccount(std::move(user),
                        configuration->GetValue("MEMBERSHIP", "MemScriptCode").ToText());
}

void ServiceAccount::Check(const std::string& user, const std::string& code,
                           const std::string& source) const {
  if (user_.empty() || code_.empty()) {
    throw Error(kErrPermissionDenied, source,
                "The site configuration names no membership service account "
                "(MEMBERSHIP: MemScriptUser and MemScriptCode)");
  }
  // Both comparisons always run, so the time does not tell which part was wrong.
  const bool user_matches = ConstantTimeEquals(user, user_);
  const bool code_matches = ConstantTimeEquals(code, code_);
  if (!user_matches || !code_matches) {
    throw Error(kErrPermissionDenied, source,
                "The membership service account was refused: it is not the account of the site "
                "configuration");
  }
}

}  // namespace velmora::host
