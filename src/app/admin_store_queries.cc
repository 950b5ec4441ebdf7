#include "app/admin_store_queries.h"

#include "app/admin_runner.h"

namespace velmora::app {

Variant Flag(const db::Recordset& row, std::string_view name) {
  return Variant(row.Field(name).ToInt32() != 0);
}

Variant TextOf(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? Variant::MakeNull() : Variant(value.ToText());
}

Variant NumberOf(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? Variant::MakeNull() : Variant(value.ToInt32());
}

int16_t Bit(bool on) { return static_cast<int16_t>(on ? 1 : 0); }

bool Exists(const std::string& sql, const std::vector<Variant>& values) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  auto rows = host::SelectWhere(*connection, sql, values);
  const bool found = !rows->IsEOF();
  rows->Close();
  core::CloseConnection(connection);
  return found;
}

int64_t Execute(const std::string& sql, const std::vector<Variant>& values) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  auto statement = connection->Prepare(sql);
  for (size_t i = 0; i < values.size(); ++i) {
    statement->Bind(static_cast<int>(i + 1), values[i]);
  }
  const int64_t changed = statement->Execute();
  core::CloseConnection(connection);
  return changed;
}

int64_t ExecuteTogether(const std::vector<std::string>& statements,
                        const std::vector<Variant>& values) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  connection->Begin();
  int64_t changed = 0;
  for (const std::string& sql : statements) {
    auto statement = connection->Prepare(sql);
    for (size_t i = 0; i < values.size(); ++i) {
      statement->Bind(static_cast<int>(i + 1), values[i]);
    }
    changed = statement->Execute();
  }
  connection->Commit();
  return changed;
}

void RequireDocumentType(const std::string& id) {
  if (!Exists("SELECT DOCUMENTTYPEID FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = ?", {Variant(id)})) {
    Missing("The document type '" + id + "' does not exist");
  }
}

// The business partner of user `user_id`; raises NotPresent for an unknown user.
int32_t PartnerOfUser(const std::string& user_id) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  auto rows = host::SelectWhere(
      *connection, "SELECT BUSINESSPARTNERID FROM MEMBERUSER WHERE USERID = ?", {Variant(user_id)});
  const bool found = !rows->IsEOF();
  const int32_t partner = found ? rows->Field("BUSINESSPARTNERID").ToInt32() : 0;
  rows->Close();
  core::CloseConnection(connection);
  if (!found) {
    Missing("The user '" + user_id + "' does not exist");
  }
  return partner;
}

int32_t RequirePartner(const std::string& text) {
  const int32_t id = ParseId("The partner id", text);
  if (!Exists("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = ?",
              {Variant(id)})) {
    Missing("The business partner " + text + " does not exist");
  }
  return id;
}

void RequireText(const std::string& what, const std::string& value, size_t max_chars) {
  if (value.empty()) {
    BadInput(what + " must not be empty");
  }
  if (value.size() > max_chars) {
    BadInput(what + " is longer than " + std::to_string(max_chars) + " characters");
  }
}

}  // namespace velmora::app
