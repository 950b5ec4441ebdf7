#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/membership_database.h"
#include "velmora/base/variant.h"
#include "velmora/db/recordset.h"
#include "velmora/host/membership_user.h"

// The membership directory of the host framework: user objects, the directory search and the
// password validator. Users live in Velmora's own database (MEMBERUSER, MEMBERAPPLICATION).
//
// Every component is initialised with the site configuration file. The user object and the
// directory search are then bound with the membership service account, which must be the one
// the site configuration names in section "MEMBERSHIP": key "MemScriptUser" (followed by ","
// and the value of "LDAPRoot" when that key is set) and key "MemScriptCode". A wrong account
// raises kErrPermissionDenied; the code is compared in constant time and never echoed.
//
// Objects are not safe for concurrent use; each caller creates its own. Calls that reach the
// database open a connection of their own and close it before they return.
namespace velmora::host {

// "KxMembership.Members": the directory search.
class MembershipMembers : public Object {
 public:
  std::string TypeName() const override { return "KxMembership.Members"; }

  // As MembershipUser::Initialize.
  virtual void Initialize(const std::string& config_file) = 0;
  // Binds the search with the service account; raises as MembershipUser::Bind does for the
  // account.
  virtual void Bind(const std::string& account, const std::string& code) = 0;
  // The users matching `filters`: a one-element array (any lower bound) or a text holding one
  // filter, "cn=<user id>" or "employeenumber=<employee number>", written exactly so; the value
  // is everything after the first "=" and is compared exactly (case, blanks, quotes and
  // non-ASCII letters as given). `attributes` must be empty (the columns are always "cn" and
  // "BusinessPartnerID"); at most `max_rows` (> 0) rows come back, ordered by user id, in a
  // disconnected read-only recordset owned by the caller. Raises kErrObjectRequired unless
  // initialised and bound, and kErrInvalidProcedureCall for any other filter, an empty value
  // or a bad argument.
  virtual std::unique_ptr<db::Recordset> Search(const Variant& filters, const Variant& attributes,
                                                int32_t max_rows) = 0;
};

// "KxMembership.Validator": checks a user name and password.
class MembershipValidator : public Object {
 public:
  std::string TypeName() const override { return "KxMembership.Validator"; }

  // Loads the site configuration at `config_file`; raises when it cannot be read.
  virtual void Initialize(const std::string& config_file) = 0;
  // True when `user_id` is a user of the directory with a password and `password` matches it.
  // An unknown user, a user without a password and an empty password give false, in about the
  // time a real check takes. Raises kErrObjectRequired before Initialize, and when the
  // directory cannot be read.
  virtual bool Validate(const std::string& user_id, const std::string& password) = 0;
};

class PasswordHasher;

std::shared_ptr<MembershipUser> NewMembershipUser(ConnectionFactory open);
std::shared_ptr<MembershipMembers> NewMembershipMembers(ConnectionFactory open);
// `hasher` null: the libsodium hasher.
std::shared_ptr<MembershipValidator> NewMembershipValidator(
    ConnectionFactory open, std::shared_ptr<PasswordHasher> hasher = nullptr);

}  // namespace velmora::host
