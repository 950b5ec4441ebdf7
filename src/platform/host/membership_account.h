#pragma once

#include <string>

// The membership service account: the account with which Velmora binds to the membership
// directory, named in section "MEMBERSHIP" of the site configuration.
namespace velmora::host {

class ServiceAccount {
 public:
  // The account of the site configuration at `config_file`: key "MemScriptUser", followed by
  // "," and key "LDAPRoot" when that is set, and key "MemScriptCode". Raises when the file
  // cannot be read.
  static ServiceAccount FromSiteConfiguration(const std::string& config_file);

  ServiceAccount() = default;
  ServiceAccount(std::string user, std::string code)
      : user_(std::move(user)), code_(std::move(code)) {}

  // Raises kErrPermissionDenied from `source` unless `user` and `code` are this account. The
  // code is compared in constant time; neither text appears in the message. An account whose
  // user or code is empty (not configured) refuses everyone.
  void Check(const std::string& user, const std::string& code, const std::string& source) const;

 private:
  std::string user_;
  std::string code_;
};

}  // namespace velmora::host
