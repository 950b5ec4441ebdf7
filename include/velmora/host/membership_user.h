#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmora/base/variant.h"

// The user object of the membership directory, as the public classes hand it out. The
// directory's other components and its contract live in the host adapter.
namespace velmora::host {

// "KxMembership.User": one user of the directory, read when it is bound.
class MembershipUser : public Object {
 public:
  std::string TypeName() const override { return "KxMembership.User"; }

  // Loads the site configuration at `config_file` and keeps its service account. Raises when
  // the file cannot be read.
  virtual void Initialize(const std::string& config_file) = 0;
  // Binds the object to the user `user_id` (compared exactly) with the service account
  // `account` / `code`. Raises kErrObjectRequired before Initialize, kErrPermissionDenied for a
  // wrong account, MissingUserID for an empty id and NotPresent when the directory does not
  // hold the user.
  virtual void Bind(const std::string& user_id, const std::string& account,
                    const std::string& code) = 0;

  // Properties of the bound user; each raises kErrObjectRequired while the object is unbound.
  // The e-mail address ("" when none is recorded).
  virtual std::string EmailAddress() const = 0;
  virtual int32_t BusinessPartnerID() const = 0;
  // The Windows language id as decimal text, for example "1033".
  virtual std::string LanguageID() const = 0;
  // The user id as the directory stores it.
  virtual std::string UserID() const = 0;
  // The ids of the applications the user may use, in ascending order.
  virtual std::vector<int32_t> Applications() const = 0;
  // The two name fields ("" when not recorded). A display name is FirstName + " " + LastName.
  virtual std::string FirstName() const = 0;
  virtual std::string LastName() const = 0;
  // The default property: a text naming the user, "<first> <last> (<user id>)", or the user
  // id alone when neither name is recorded.
  virtual std::string Value() const = 0;
};

}  // namespace velmora::host
