#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "velmora/base/variant.h"
#include "velmora/db/connection.h"

// Internal: what the engine-neutral connection and recordset need from an engine. A Session is
// one leased native handle; destroying it gives the handle back to the engine's pool.
namespace velmora::db {

// A column of a query result.
struct ResultColumn {
  std::string name;
  // The engine's identity of the table the column comes from (SQLite: the table name;
  // PostgreSQL: the table's oid), or "" for an expression. Filled only when the query was run
  // with `describe` set.
  std::string base_table;
  // The column's name in that table.
  std::string base_column;
};

// What write-back needs to know about a table.
struct TableInfo {
  // The table's name for generated statements, quoted.
  std::string sql_name;
  // The primary key columns, as the catalog names them (unquoted). Empty when the table has no
  // primary key.
  std::vector<std::string> key_columns;
  // SQLite table without a primary key: rows are located by rowid.
  bool rowid_key = false;
};

// Rows of one result, read forward. Not safe for concurrent use.
class RowCursor {
 public:
  RowCursor() = default;
  RowCursor(const RowCursor&) = delete;
  RowCursor& operator=(const RowCursor&) = delete;
  virtual ~RowCursor() = default;

  virtual const std::vector<ResultColumn>& columns() const = 0;
  // Reads the next row into `row` (one value per column); false at the end. Raises the engine's
  // failure, or kErrDbClosed when the cursor's connection has closed.
  virtual bool Next(std::vector<Variant>& row) = 0;
};

// The outcome of a statement with bound parameters.
struct WriteResult {
  int64_t affected = 0;
  // The values of the first row a RETURNING clause gave back, if any.
  std::vector<Variant> returned;
};

class Session {
 public:
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  virtual ~Session() = default;

  virtual Engine engine() const = 0;

  // Runs statements without parameters; returns the last statement's changed row count.
  virtual int64_t Execute(const std::string& sql) = 0;
  // Runs a query; with `describe`, the columns carry their base table and column.
  virtual std::unique_ptr<RowCursor> Query(const std::string& sql, bool describe) = 0;
  // Runs a query with "?" parameters bound to `params` (columns not described). Raises
  // kErrDbBadArgument when the query takes another number of parameters.
  virtual std::unique_ptr<RowCursor> QueryBound(const std::string& sql,
                                                std::span<const Variant> params) = 0;
  // Runs one statement with "?" parameters bound to `params`.
  virtual WriteResult Write(const std::string& sql, std::span<const Variant> params) = 0;
  // Key information of the table a ResultColumn::base_table names; nullopt when unknown.
  virtual std::optional<TableInfo> DescribeTable(const std::string& base_table) = 0;
  virtual std::unique_ptr<PreparedStatement> Prepare(const std::string& sql) = 0;

  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  virtual bool InTransaction() = 0;
  // Savepoints, for a write that must be undone inside an open transaction.
  virtual void Savepoint(const std::string& name) = 0;
  virtual void ReleaseSavepoint(const std::string& name) = 0;
  virtual void RollbackToSavepoint(const std::string& name) = 0;

  virtual void SetStatementTimeout(int seconds) = 0;
};

// Quotes an identifier for a generated statement: "name" with inner quotes doubled.
std::string QuoteIdentifier(std::string_view name);

// Opens a session on a new or pooled handle of the engine. Defined in the engine's file.
std::unique_ptr<Session> OpenSqliteSession(const std::string& path, const std::string& pool_key,
                                           const OpenOptions& options);
std::unique_ptr<Session> OpenPgSession(const std::string& uri, const std::string& pool_key,
                                       const std::string& password, const OpenOptions& options);
void ClearSqlitePool(const std::string& pool_key);
void ClearPgPool(const std::string& pool_key);
size_t SqliteIdleCount(const std::string& pool_key);
size_t PgIdleCount(const std::string& pool_key);

}  // namespace velmora::db
