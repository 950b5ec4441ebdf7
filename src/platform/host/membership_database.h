#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "velmora/base/variant.h"
#include "velmora/db/connection.h"
#include "velmora/db/recordset.h"

// The tables of the membership directory and the partner register in Velmora's own database:
// BUSINESSPARTNER, MEMBERUSER, APPLICATION and MEMBERAPPLICATION. The one place that writes
// and reads them. Every value that comes from a caller reaches SQL as a bound parameter, never
// as pasted text.
namespace velmora::host {

// Opens a new connection to the installation's database; the caller owns and closes it.
using ConnectionFactory = std::function<std::unique_ptr<db::Connection>()>;

struct PartnerRecord {
  int32_t id = 0;
  std::string name;
  // Partner codes of kind 0 and 1; "" when the partner has none (stored as NULL).
  std::string code0;
  std::string code1;
};

struct MemberRecord {
  std::string user_id;
  // "" when not recorded (stored as NULL).
  std::string employee_number;
  std::string email_address;
  int32_t business_partner_id = 0;
  int32_t language_id = 1033;
  std::string first_name;
  std::string last_name;
  // The Argon2id hash string, "" when the user has no password. Never shown.
  std::string password_hash;
  // Ids of the applications the user may use, ascending.
  std::vector<int32_t> applications;
};

struct ApplicationRecord {
  int32_t id = 0;
  std::string name;
};

// Which column a directory search compares.
enum class MemberKey { kUserId, kEmployeeNumber };

// Reads and writes the directory tables, each call on a connection of its own (a write of
// several rows runs in one transaction). Raises the database's errors as they come; "not
// found" is an empty answer, not an error. Not safe for concurrent use; cheap to create.
class MembershipDatabase {
 public:
  explicit MembershipDatabase(ConnectionFactory open);
  MembershipDatabase(const MembershipDatabase&) = delete;
  MembershipDatabase& operator=(const MembershipDatabase&) = delete;

  // The user `user_id`; with `WithApplications::kNo` its application list stays empty, for the
  // many look-ups that need only the user's own fields.
  enum class WithApplications { kYes, kNo };
  std::optional<MemberRecord> FindUser(const std::string& user_id,
                                       WithApplications with = WithApplications::kYes);
  // The application ids of user `user_id`, ordered.
  std::vector<int32_t> ApplicationsOfUser(const std::string& user_id);
  // Users whose user id or employee number equals `value` exactly, ordered by user id, at most
  // `max_rows`; a disconnected recordset with the columns "cn" and "BusinessPartnerID".
  std::unique_ptr<db::Recordset> SearchUsers(MemberKey key, const std::string& value,
                                             int32_t max_rows);
  // Every user, ordered by user id.
  std::vector<MemberRecord> ListUsers();
  // The ids of the users of partner `partner_id`, ordered.
  std::vector<std::string> UsersOfPartner(int32_t partner_id);

  std::optional<PartnerRecord> FindPartner(int32_t partner_id);
  // The partner whose code of kind `kind` (0 or 1) equals `code` exactly.
  std::optional<PartnerRecord> FindPartnerByCode(int32_t kind, const std::string& code);
  std::vector<PartnerRecord> ListPartners();

  std::optional<ApplicationRecord> FindApplication(int32_t application_id);
  std::optional<ApplicationRecord> FindApplicationByName(const std::string& name);
  std::vector<ApplicationRecord> ListApplications();

  // Writes. REQUIRES: the caller checked keys and references (see MembershipDirectory); a
  // violated constraint raises the database's error.
  void InsertPartner(const PartnerRecord& partner);
  // Returns whether a row was deleted.
  bool DeletePartner(int32_t partner_id);
  void InsertApplication(const ApplicationRecord& application);
  // Inserts the user and its applications.
  void InsertUser(const MemberRecord& user);
  // Rewrites every column of the user and replaces its applications.
  void UpdateUser(const MemberRecord& user);
  // Deletes the user and its applications; returns whether the user existed.
  bool DeleteUser(const std::string& user_id);

 private:
  ConnectionFactory open_;
};

// A read-only forward recordset on `sql`, in which each "?" is a parameter bound to the next
// value of `values` (32-bit integers and texts only). Raises kErrTypeMismatch for another kind
// of value, kErrInvalidProcedureCall for a text that is not valid UTF-8 or holds a NUL
// character, and the database's kErrDbBadArgument for a count mismatch.
std::unique_ptr<db::Recordset> SelectWhere(db::Connection& connection, const std::string& sql,
                                           const std::vector<Variant>& values);

}  // namespace velmora::host
