#include "core/bound_sql.h"

namespace velmora::core {

int64_t ExecuteBound(db::Connection& connection, std::string_view sql,
                     const std::vector<Variant>& values) {
  auto statement = connection.Prepare(sql);
  for (size_t i = 0; i < values.size(); ++i) {
    statement->Bind(static_cast<int32_t>(i + 1), values[i]);
  }
  return statement->Execute();
}

bool AnyRow(db::Connection& connection, std::string_view sql, const std::vector<Variant>& values) {
  auto rows = connection.Query(sql, values);
  const bool found = !rows->IsEOF();
  rows->Close();
  return found;
}

int32_t InsertReturningId(db::Connection& connection, const std::string& table,
                          const std::string& id_column,
                          const std::vector<std::pair<std::string, Variant>>& fields) {
  auto rows = connection.OpenRecordset(
      "SELECT * FROM " + table + " WHERE 0 = 1",
      db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
  rows->AddNew();
  for (const auto& [name, value] : fields) {
    rows->SetField(name, value);
  }
  rows->Update();
  const int32_t id = rows->Field(id_column).ToInt32();
  rows->Close();
  return id;
}

std::string TextOrEmpty(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? std::string() : value.ToText();
}

int32_t NumberOrZero(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? 0 : value.ToInt32();
}

std::optional<std::string> OptionalText(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? std::nullopt
                                           : std::optional<std::string>(value.ToText());
}

std::optional<int32_t> OptionalNumber(const db::Recordset& row, std::string_view name) {
  const Variant value = row.Field(name);
  return value.IsNull() || value.IsEmpty() ? std::nullopt : std::optional<int32_t>(value.ToInt32());
}

bool IsSet(const db::Recordset& row, std::string_view name) { return NumberOrZero(row, name) != 0; }

}  // namespace velmora::core
