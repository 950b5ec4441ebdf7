#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "velmora/base/variant.h"
#include "velmora/db/connection.h"
#include "velmora/db/recordset.h"

// Statements with values bound to their "?" in order (never written into the SQL text), for
// the stores of the subsystems. The SQL texts stay with the store that owns the table.
namespace velmora::core {

// Runs `sql` with `values` bound in order; returns the number of rows it changed.
int64_t ExecuteBound(db::Connection& connection, std::string_view sql,
                     const std::vector<Variant>& values);

// Whether the query `sql` with `values` bound finds a row.
bool AnyRow(db::Connection& connection, std::string_view sql, const std::vector<Variant>& values);

// Adds one row to `table` with `fields` (column, value) through an updatable recordset, so that
// the database hands out the identity column `id_column`; returns the new id.
int32_t InsertReturningId(db::Connection& connection, const std::string& table,
                          const std::string& id_column,
                          const std::vector<std::pair<std::string, Variant>>& fields);

// The rows of the query `sql` with `values` bound, each made by `read(const db::Recordset&)`.
template <class Read>
auto ReadRows(db::Connection& connection, std::string_view sql, const std::vector<Variant>& values,
              Read read) {
  std::vector<decltype(read(std::declval<const db::Recordset&>()))> rows;
  auto recordset = connection.Query(sql, values);
  for (; !recordset->IsEOF(); recordset->MoveNext()) {
    rows.push_back(read(*recordset));
  }
  recordset->Close();
  return rows;
}

// `work(db::Connection&)` on a new connection of the installation, closed on every path.
template <class Work>
auto OnConnection(Work work) {
  std::unique_ptr<db::Connection> connection = GetConnection();
  if constexpr (std::is_void_v<decltype(work(*connection))>) {
    work(*connection);
    CloseConnection(connection);
  } else {
    auto result = work(*connection);
    CloseConnection(connection);
    return result;
  }
}

// `work(db::Connection&)` in one transaction on a new connection: committed when `work`
// returns, rolled back (nothing changed) when it raises.
template <class Work>
auto InOneTransaction(Work work) {
  return OnConnection([&](db::Connection& connection) {
    connection.Begin();
    try {
      if constexpr (std::is_void_v<decltype(work(connection))>) {
        work(connection);
        connection.Commit();
      } else {
        auto result = work(connection);
        connection.Commit();
        return result;
      }
    } catch (...) {
      connection.Rollback();
      throw;
    }
  });
}

// A field of the current row: its text ("" for Null), its number (0 for Null), whether it is
// non-zero, or its text or number with Null kept as nullopt.
std::string TextOrEmpty(const db::Recordset& row, std::string_view name);
int32_t NumberOrZero(const db::Recordset& row, std::string_view name);
bool IsSet(const db::Recordset& row, std::string_view name);
std::optional<std::string> OptionalText(const db::Recordset& row, std::string_view name);
std::optional<int32_t> OptionalNumber(const db::Recordset& row, std::string_view name);

}  // namespace velmora::core
