#include "platform/host/membership_database.h"

#include <algorithm>
#include <string_view>

#include "velmora/base/error.h"
#include "velmora/base/text_encoding.h"

namespace velmora::host {
namespace {

constexpr const char* kSource = "KxMembership.Directory";

constexpr const char* kUserColumns =
    "SELECT USERID, EMPLOYEENUMBER, EMAILADDRESS, BUSINESSPARTNERID, LANGUAGEID, FIRSTNAME, "
    "LASTNAME, PASSWORDHASH FROM MEMBERUSER";
constexpr const char* kPartnerColumns =
    "SELECT BUSINESSPARTNERID, NAME, CODE0, CODE1 FROM BUSINESSPARTNER";
constexpr const char* kApplicationColumns = "SELECT APPLICATIONID, NAME FROM APPLICATION";

// NULL and empty read as "".
std::string TextField(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? std::string() : value.ToText();
}

// "" is written as NULL, so that optional columns (and the unique partner codes) hold no
// empty texts.
Variant NullIfEmpty(const std::string& text) {
  return text.empty() ? Variant::MakeNull() : Variant(text);
}

// Raises unless `value` is a value SelectWhere looks up: a 32-bit integer, or UTF-8 text
// without NUL characters.
void CheckLookUpValue(const Variant& value) {
  if (value.kind() == Variant::Kind::kInt32) {
    return;
  }
  if (value.kind() != Variant::Kind::kText) {
    throw Error(kErrTypeMismatch, kSource, "A directory look-up takes numbers and texts only");
  }
  const std::string text = value.ToText();
  if (!text::IsValidUtf8(text) || text.find('\0') != std::string::npos) {
    throw Error(kErrInvalidProcedureCall, kSource,
                "A directory look-up value is not valid UTF-8 text");
  }
}

MemberRecord ReadMember(const db::Recordset& row) {
  MemberRecord user;
  user.user_id = TextField(row, "USERID");
  user.employee_number = TextField(row, "EMPLOYEENUMBER");
  user.email_address = TextField(row, "EMAILADDRESS");
  user.business_partner_id = row.Field("BUSINESSPARTNERID").ToInt32();
  user.language_id = row.Field("LANGUAGEID").ToInt32();
  user.first_name = TextField(row, "FIRSTNAME");
  user.last_name = TextField(row, "LASTNAME");
  user.password_hash = TextField(row, "PASSWORDHASH");
  return user;
}

PartnerRecord ReadPartner(const db::Recordset& row) {
  PartnerRecord partner;
  partner.id = row.Field("BUSINESSPARTNERID").ToInt32();
  partner.name = TextField(row, "NAME");
  partner.code0 = TextField(row, "CODE0");
  partner.code1 = TextField(row, "CODE1");
  return partner;
}

ApplicationRecord ReadApplication(const db::Recordset& row) {
  return ApplicationRecord{row.Field("APPLICATIONID").ToInt32(), TextField(row, "NAME")};
}

std::vector<int32_t> ApplicationsOf(db::Connection& connection, const std::string& user_id) {
  std::vector<int32_t> ids;
  auto rows = SelectWhere(connection,
                          "SELECT APPLICATIONID FROM MEMBERAPPLICATION WHERE USERID = ? "
                          "ORDER BY APPLICATIONID",
                          {Variant(user_id)});
  for (; !rows->IsEOF(); rows->MoveNext()) {
    ids.push_back(rows->Field("APPLICATIONID").ToInt32());
  }
  return ids;
}

void Run(db::Connection& connection, const std::string& sql, const std::vector<Variant>& values) {
  auto statement = connection.Prepare(sql);
  for (size_t i = 0; i < values.size(); ++i) {
    statement->Bind(static_cast<int32_t>(i + 1), values[i]);
  }
  statement->Execute();
}

int64_t RunCounted(db::Connection& connection, const std::string& sql, const Variant& value) {
  auto statement = connection.Prepare(sql);
  statement->Bind(1, value);
  return statement->Execute();
}

void InsertApplicationsOf(db::Connection& connection, const MemberRecord& user) {
  if (user.applications.empty()) {
    return;
  }
  auto insert =
      connection.Prepare("INSERT INTO MEMBERAPPLICATION (USERID, APPLICATIONID) VALUES (?, ?)");
  std::vector<int32_t> ids = user.applications;
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  for (int32_t id : ids) {
    insert->Bind(1, Variant(user.user_id));
    insert->Bind(2, Variant(id));
    insert->Execute();
  }
}

template <class Record, class Reader>
std::vector<Record> ReadAll(db::Connection& connection, const std::string& sql, Reader read) {
  std::vector<Record> records;
  auto rows = connection.Query(sql);
  for (; !rows->IsEOF(); rows->MoveNext()) {
    records.push_back(read(*rows));
  }
  return records;
}

template <class Record, class Reader>
std::optional<Record> ReadFirst(db::Connection& connection, const std::string& sql,
                                const std::vector<Variant>& values, Reader read) {
  auto rows = SelectWhere(connection, sql, values);
  if (rows->IsEOF()) {
    return std::nullopt;
  }
  return read(*rows);
}

}  // namespace

std::unique_ptr<db::Recordset> SelectWhere(db::Connection& connection, const std::string& sql,
                                           const std::vector<Variant>& values) {
  for (const Variant& value : values) {
    CheckLookUpValue(value);
  }
  return connection.Query(sql, values);
}

MembershipDatabase::MembershipDatabase(ConnectionFactory open) : open_(std::move(open)) {}

std::optional<MemberRecord> MembershipDatabase::FindUser(const std::string& user_id,
                                                         WithApplications with) {
  auto connection = open_();
  auto user = ReadFirst<MemberRecord>(*connection, std::string(kUserColumns) + " WHERE USERID = ?",
                                      {Variant(user_id)}, ReadMember);
  if (user && with == WithApplications::kYes) {
    user->applications = ApplicationsOf(*connection, user->user_id);
  }
  return user;
}

std::vector<int32_t> MembershipDatabase::ApplicationsOfUser(const std::string& user_id) {
  auto connection = open_();
  return ApplicationsOf(*connection, user_id);
}

std::unique_ptr<db::Recordset> MembershipDatabase::SearchUsers(MemberKey key,
                                                               const std::string& value,
                                                               int32_t max_rows) {
  const std::string column = key == MemberKey::kUserId ? "USERID" : "EMPLOYEENUMBER";
  auto connection = open_();
  auto rows = SelectWhere(*connection,
                          "SELECT USERID AS cn, BUSINESSPARTNERID AS BusinessPartnerID "
                          "FROM MEMBERUSER WHERE " +
                              column + " = ? ORDER BY USERID LIMIT " + std::to_string(max_rows),
                          {Variant(value)});
  rows->Disconnect();
  connection->Close();
  return rows;
}

std::vector<MemberRecord> MembershipDatabase::ListUsers() {
  auto connection = open_();
  std::vector<MemberRecord> users = ReadAll<MemberRecord>(
      *connection, std::string(kUserColumns) + " ORDER BY USERID", ReadMember);
  auto links = connection->Query(
      "SELECT USERID, APPLICATIONID FROM MEMBERAPPLICATION ORDER BY USERID, APPLICATIONID");
  for (; !links->IsEOF(); links->MoveNext()) {
    const std::string user_id = TextField(*links, "USERID");
    auto user = std::lower_bound(
        users.begin(), users.end(), user_id,
        [](const MemberRecord& record, const std::string& id) { return record.user_id < id; });
    if (user != users.end() && user->user_id == user_id) {
      user->applications.push_back(links->Field("APPLICATIONID").ToInt32());
    }
  }
  return users;
}

std::vector<std::string> MembershipDatabase::UsersOfPartner(int32_t partner_id) {
  auto connection = open_();
  std::vector<std::string> ids;
  auto rows = SelectWhere(
      *connection, "SELECT USERID FROM MEMBERUSER WHERE BUSINESSPARTNERID = ? ORDER BY USERID",
      {Variant(partner_id)});
  for (; !rows->IsEOF(); rows->MoveNext()) {
    ids.push_back(TextField(*rows, "USERID"));
  }
  return ids;
}

std::optional<PartnerRecord> MembershipDatabase::FindPartner(int32_t partner_id) {
  auto connection = open_();
  return ReadFirst<PartnerRecord>(*connection,
                                  std::string(kPartnerColumns) + " WHERE BUSINESSPARTNERID = ?",
                                  {Variant(partner_id)}, ReadPartner);
}

std::optional<PartnerRecord> MembershipDatabase::FindPartnerByCode(int32_t kind,
                                                                   const std::string& code) {
  if (kind != 0 && kind != 1) {
    return std::nullopt;
  }
  auto connection = open_();
  const std::string column = kind == 0 ? "CODE0" : "CODE1";
  return ReadFirst<PartnerRecord>(*connection,
                                  std::string(kPartnerColumns) + " WHERE " + column + " = ?",
                                  {Variant(code)}, ReadPartner);
}

std::vector<PartnerRecord> MembershipDatabase::ListPartners() {
  auto connection = open_();
  return ReadAll<PartnerRecord>(
      *connection, std::string(kPartnerColumns) + " ORDER BY BUSINESSPARTNERID", ReadPartner);
}

std::optional<ApplicationRecord> MembershipDatabase::FindApplication(int32_t application_id) {
  auto connection = open_();
  return ReadFirst<ApplicationRecord>(*connection,
                                      std::string(kApplicationColumns) + " WHERE APPLICATIONID = ?",
                                      {Variant(application_id)}, ReadApplication);
}

std::optional<ApplicationRecord> MembershipDatabase::FindApplicationByName(
    const std::string& name) {
  auto connection = open_();
  return ReadFirst<ApplicationRecord>(*connection,
                                      std::string(kApplicationColumns) + " WHERE NAME = ?",
                                      {Variant(name)}, ReadApplication);
}

std::vector<ApplicationRecord> MembershipDatabase::ListApplications() {
  auto connection = open_();
  return ReadAll<ApplicationRecord>(
      *connection, std::string(kApplicationColumns) + " ORDER BY APPLICATIONID", ReadApplication);
}

void MembershipDatabase::InsertPartner(const PartnerRecord& partner) {
  auto connection = open_();
  Run(*connection,
      "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, CODE0, CODE1) VALUES (?, ?, ?, ?)",
      {Variant(partner.id), Variant(partner.name), NullIfEmpty(partner.code0),
       NullIfEmpty(partner.code1)});
}

bool MembershipDatabase::DeletePartner(int32_t partner_id) {
  auto connection = open_();
  return RunCounted(*connection, "DELETE FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = ?",
                    Variant(partner_id)) > 0;
}

void MembershipDatabase::InsertApplication(const ApplicationRecord& application) {
  auto connection = open_();
  Run(*connection, "INSERT INTO APPLICATION (APPLICATIONID, NAME) VALUES (?, ?)",
      {Variant(application.id), Variant(application.name)});
}

void MembershipDatabase::InsertUser(const MemberRecord& user) {
  auto connection = open_();
  connection->Begin();
  Run(*connection,
      "INSERT INTO MEMBERUSER (USERID, EMPLOYEENUMBER, EMAILADDRESS, BUSINESSPARTNERID, "
      "LANGUAGEID, FIRSTNAME, LASTNAME, PASSWORDHASH) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
      {Variant(user.user_id), NullIfEmpty(user.employee_number), NullIfEmpty(user.email_address),
       Variant(user.business_partner_id), Variant(user.language_id), NullIfEmpty(user.first_name),
       NullIfEmpty(user.last_name), NullIfEmpty(user.password_hash)});
  InsertApplicationsOf(*connection, user);
  connection->Commit();
}

void MembershipDatabase::UpdateUser(const MemberRecord& user) {
  auto connection = open_();
  connection->Begin();
  Run(*connection,
      "UPDATE MEMBERUSER SET EMPLOYEENUMBER = ?, EMAILADDRESS = ?, BUSINESSPARTNERID = ?, "
      "LANGUAGEID = ?, FIRSTNAME = ?, LASTNAME = ?, PASSWORDHASH = ? WHERE USERID = ?",
      {NullIfEmpty(user.employee_number), NullIfEmpty(user.email_address),
       Variant(user.business_partner_id), Variant(user.language_id), NullIfEmpty(user.first_name),
       NullIfEmpty(user.last_name), NullIfEmpty(user.password_hash), Variant(user.user_id)});
  RunCounted(*connection, "DELETE FROM MEMBERAPPLICATION WHERE USERID = ?", Variant(user.user_id));
  InsertApplicationsOf(*connection, user);
  connection->Commit();
}

bool MembershipDatabase::DeleteUser(const std::string& user_id) {
  auto connection = open_();
  connection->Begin();
  RunCounted(*connection, "DELETE FROM MEMBERAPPLICATION WHERE USERID = ?", Variant(user_id));
  const bool deleted =
      RunCounted(*connection, "DELETE FROM MEMBERUSER WHERE USERID = ?", Variant(user_id)) > 0;
  connection->Commit();
  return deleted;
}

}  // namespace velmora::host
