#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/membership_database.h"
#include "platform/host/password_hash.h"
#include "velmora/host/referential_integrity.h"

// Maintenance of the membership directory and the partner register, as the host's
// administration does it: partners, applications and users with their passwords. Every change
// is checked first and refused with an Error whose description says what is wrong (source
// "KxMembership.Directory"); deletes ask the referential-integrity participants first.
namespace velmora::host {

// Fields of a user to set; an absent field is left as it is (for a new user: empty, language
// 1033, no password, no applications). Empty texts clear the optional fields.
struct UserFields {
  std::optional<int32_t> business_partner_id;
  std::optional<std::string> email_address;
  std::optional<int32_t> language_id;
  // The new password in clear text; it is stored only as its hash.
  std::optional<std::string> password;
  std::optional<std::string> employee_number;
  std::optional<std::string> first_name;
  std::optional<std::string> last_name;
  // Application names; when present, the user's applications become exactly these.
  std::optional<std::vector<std::string>> applications;
};

// Not safe for concurrent use; each call opens and closes its own connections. Checks and the
// writes that follow are not one transaction: a concurrent writer can still make a write fail
// on the database's own constraints, which then raises the database's error.
class MembershipDirectory {
 public:
  MembershipDirectory(ConnectionFactory open, std::shared_ptr<PasswordHasher> hasher,
                      const ReferentialIntegrityRegistry& participants);
  MembershipDirectory(const MembershipDirectory&) = delete;
  MembershipDirectory& operator=(const MembershipDirectory&) = delete;

  // Raises for an id below 1, an empty name, an id or a code already in use, or texts that
  // are too long or hold control characters.
  void AddPartner(const PartnerRecord& partner);
  // Raises NotPresent for an unknown partner, ReferentialDelete when users belong to it or a
  // participant refers to it or refuses.
  void RemovePartner(int32_t partner_id);
  std::vector<PartnerRecord> ListPartners();

  // Raises for an id below 1, an empty name, or an id or name already in use.
  void AddApplication(const ApplicationRecord& application);
  std::vector<ApplicationRecord> ListApplications();

  // Raises for a bad or taken user id, a missing or unknown partner, a missing or malformed
  // e-mail address, a language id below 1, an empty password, an unknown application name.
  void AddUser(const std::string& user_id, const UserFields& fields);
  // Changes the fields given. Raises NotPresent for an unknown user and as AddUser for bad
  // values; moving the user to another partner first asks the participants about the user's
  // link to the old partner (origin USER_BUSINESSPARTNER).
  void SetUser(const std::string& user_id, const UserFields& fields);
  // Raises NotPresent for an unknown user and ReferentialDelete when a participant refers to
  // the user or refuses.
  void RemoveUser(const std::string& user_id);
  std::vector<MemberRecord> ListUsers();

 private:
  void ApplyFields(const UserFields& fields, MemberRecord& user);

  MembershipDatabase database_;
  std::shared_ptr<PasswordHasher> hasher_;
  const ReferentialIntegrityRegistry& participants_;
};

// Raises kErrInvalidProcedureCall from `source` unless `value` is valid UTF-8 without control
// characters and at most `max_chars` characters long; `what` names the value in the message
// ("The user id"). With `is_key`, it must also be non-empty and neither begin nor end with a
// blank.
void CheckDirectoryText(const std::string& source, const std::string& what,
                        const std::string& value, size_t max_chars, bool is_key);

}  // namespace velmora::host
