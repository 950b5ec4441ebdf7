// The PostgreSQL engine: native connections, sessions, results and prepared statements over
// libpq. Everything that touches libpq-fe.h lives in this file.
#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/db/attached.h"
#include "platform/db/connection_string.h"
#include "platform/db/dialect.h"
#include "platform/db/errors.h"
#include "platform/db/handle_pool.h"
#include "platform/db/session.h"
#include "platform/db/values.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::db {
namespace {

constexpr const char* kSource = "PostgreSQL";

// Type oids of the built-in types that map to something other than text.
constexpr Oid kBoolOid = 16;
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
constexpr Oid kOidOid = 26;
constexpr Oid kFloat4Oid = 700;
constexpr Oid kFloat8Oid = 701;
constexpr Oid kTimestampOid = 1114;
constexpr Oid kTimestampTzOid = 1184;
constexpr Oid kNumericOid = 1700;

struct ConnectionFinisher {
  void operator()(PGconn* connection) const { PQfinish(connection); }
};
struct ResultClearer {
  void operator()(PGresult* result) const { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultClearer>;

void IgnoreNotice(void* /*arg*/, const char* /*message*/) {}

// What the catalog says about one table.
struct TableCatalog {
  TableInfo info;
  std::unordered_map<int, std::string> columns;  // attnum -> name
};

// One native connection with what is known about its session state. Lives in the pool between
// leases.
class PgHandle {
 public:
  PgHandle() = default;
  PgHandle(const PgHandle&) = delete;
  PgHandle& operator=(const PgHandle&) = delete;

  // Connects and applies the session settings. Raises kErrDbConnect; the message is scrubbed of
  // `password`.
  static std::unique_ptr<PgHandle> Open(const std::string& uri, const std::string& password,
                                        int connect_timeout_seconds);

  PGconn* conn() const { return conn_.get(); }

  // Whether a pooled connection can serve a new lease: connected, idle, and not closed by the
  // server meanwhile (reading what the server sent, without blocking).
  bool IsReusable() const {
    PGconn* c = conn_.get();
    return PQstatus(c) == CONNECTION_OK && PQconsumeInput(c) == 1 && PQisBusy(c) == 0 &&
           PQtransactionStatus(c) == PQTRANS_IDLE;
  }

  // statement_timeout as last set on the session, in milliseconds; -1 when unknown.
  int applied_timeout_ms = -1;
  // Whether that SET ran inside a transaction block (a rollback would undo it).
  bool applied_in_transaction = false;
  uint64_t next_statement_number = 0;
  std::unordered_map<std::string, TableCatalog> tables;

 private:
  std::unique_ptr<PGconn, ConnectionFinisher> conn_;
};

HandlePool<PgHandle>& Pool() {
  static HandlePool<PgHandle> pool(kMaxPooledHandles);
  return pool;
}

std::string TrimMessage(const char* message) {
  std::string text = message != nullptr ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

std::unique_ptr<PgHandle> PgHandle::Open(const std::string& uri, const std::string& password,
                                         int connect_timeout_seconds) {
  auto handle = std::make_unique<PgHandle>();
  std::string timeout = std::to_string(connect_timeout_seconds > 0 ? connect_timeout_seconds : 0);
  // Later keywords win: the URI comes last so that what it says overrides these defaults.
  const char* keywords[] = {"connect_timeout", "client_encoding", "dbname", nullptr};
  const char* values[] = {timeout.c_str(), "UTF8", uri.c_str(), nullptr};
  handle->conn_.reset(PQconnectdbParams(keywords, values, 1));
  PGconn* c = handle->conn_.get();
  if (c == nullptr) {
    RaiseDbError(kErrOutOfMemory, kSource, "Out of memory opening a PostgreSQL connection");
  }
  if (PQstatus(c) != CONNECTION_OK) {
    RaiseEngineError(kErrDbConnect, kSource, kDescUnreachable,
                     "Cannot connect to the PostgreSQL server: " +
                         ScrubPassword(TrimMessage(PQerrorMessage(c)), password));
  }
  PQsetNoticeProcessor(c, &IgnoreNotice, nullptr);
  ResultPtr result(PQexec(c, "SET DateStyle = ISO, YMD"));
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
    RaiseEngineError(kErrDbConnect, kSource, kDescUnreachable,
                     "Cannot prepare the PostgreSQL session: " +
                         ScrubPassword(TrimMessage(PQerrorMessage(c)), password));
  }
  return handle;
}

// The failure reported by `result` (or by the connection when there is no result) as an Error
// with a plain description by class; the server's message, detail and SQL state are its detail.
[[noreturn]] void RaiseResultFailure(PGconn* conn, const PGresult* result, int timeout_seconds) {
  const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  std::string sqlstate = state != nullptr ? state : "";
  std::string message;
  if (result != nullptr) {
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    message = primary != nullptr ? primary : TrimMessage(PQresultErrorMessage(result));
    const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
    if (detail != nullptr) {
      message += " (" + std::string(detail) + ")";
    }
  }
  if (message.empty()) {
    message = TrimMessage(PQerrorMessage(conn));
  }
  if (message.empty()) {
    message = "The statement returned an unexpected result (" +
              std::string(PQresStatus(PQresultStatus(result))) + ")";
  }
  if (!sqlstate.empty()) {
    message += " [SQLSTATE " + sqlstate + "]";
  }
  if (sqlstate == "57014") {
    RaiseEngineError(kErrDbTimeout, kSource,
                     "The statement was cancelled when it exceeded its time-out of " +
                         std::to_string(timeout_seconds) + " seconds",
                     message);
  }
  int number = kErrDbSql;
  const char* description = kDescFailed;
  if (sqlstate == "23505") {
    number = kErrDbConstraint;
    description = kDescDuplicateKey;
  } else if (sqlstate.starts_with("23")) {
    number = kErrDbConstraint;
    description = kDescRuleBroken;
  } else if (sqlstate == "40001" || sqlstate == "40P01" || sqlstate == "55P03") {
    number = kErrDbBusy;
    description = kDescBusy;
  } else if (sqlstate.starts_with("08") || PQstatus(conn) != CONNECTION_OK) {
    number = kErrDbConnect;
    description = kDescUnreachable;
  } else if (sqlstate.starts_with("42") || sqlstate.starts_with("22") ||
             sqlstate.starts_with("0A")) {
    description = kDescRefused;
  }
  RaiseEngineError(number, kSource, description, message);
}

int64_t AffectedRows(const PGresult* result) {
  int64_t affected = 0;
  const char* tuples = PQcmdTuples(const_cast<PGresult*>(result));
  if (tuples != nullptr && *tuples != '\0' && !text::ParseInt64(tuples, affected)) {
    affected = 0;
  }
  return affected;
}

// bytea in the server's hex output form "\x0a1b...".
Variant ByteaValue(const char* data, int length) {
  Bytes bytes;
  if (length < 2 || data[0] != '\\' || data[1] != 'x') {
    RaiseDbError(kErrDbSql, kSource, "A bytea value is not in the hex output format");
  }
  bytes.reserve(static_cast<size_t>(length - 2) / 2);
  for (int i = 2; i + 1 < length; i += 2) {
    int high = text::HexDigitValue(data[i]);
    int low = text::HexDigitValue(data[i + 1]);
    if (high < 0 || low < 0) {
      RaiseDbError(kErrDbSql, kSource, "A bytea value holds a character that is not hex");
    }
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return Variant(std::move(bytes));
}

Variant FieldValue(const PGresult* result, int row, int column) {
  if (PQgetisnull(result, row, column)) {
    return Variant::MakeNull();
  }
  const char* data = PQgetvalue(result, row, column);
  int length = PQgetlength(result, row, column);
  switch (PQftype(result, column)) {
    case kInt2Oid:
    case kInt4Oid:
    case kInt8Oid:
    case kOidOid: {
      int64_t value = 0;
      if (text::ParseInt64(std::string_view(data, length), value)) {
        return IntegerValue(value);
      }
      return Variant(std::string(data, length));
    }
    case kFloat4Oid:
    case kFloat8Oid:
    case kNumericOid:
      return Variant(std::strtod(data, nullptr));
    case kBoolOid:
      return Variant(data[0] == 't');
    case kByteaOid:
      return ByteaValue(data, length);
    case kTimestampOid:
    case kTimestampTzOid:
      // "YYYY-MM-DD hh:mm:ss" without fractions of a second or zone, as SQLite stores it.
      if (length >= 19 && data[4] == '-' && data[10] == ' ') {
        return Variant(std::string(data, 19));
      }
      return Variant(std::string(data, length));
    default:
      return Variant(std::string(data, length));
  }
}

// Parameter values in libpq's form: text, or binary for bytes; null pointers for NULL.
class ParamBuffer {
 public:
  explicit ParamBuffer(std::span<const Variant> params) {
    texts_.resize(params.size());
    binaries_.resize(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
      const Variant& value = params[i];
      CheckStorable(value);
      if (value.IsEmpty() || value.IsNull()) {
        values_.push_back(nullptr);
        lengths_.push_back(0);
        formats_.push_back(0);
      } else if (value.kind() == Variant::Kind::kBytes) {
        binaries_[i] = value.ToBytes();
        values_.push_back(BinaryPointer(binaries_[i]));
        lengths_.push_back(static_cast<int>(binaries_[i].size()));
        formats_.push_back(1);
      } else {
        texts_[i] = ValueText(value);
        if (texts_[i].find('\0') != std::string::npos) {
          RaiseDbError(kErrDbBadArgument, kSource,
                       "A text value holds a NUL character, which PostgreSQL cannot store");
        }
        values_.push_back(texts_[i].c_str());
        lengths_.push_back(static_cast<int>(texts_[i].size()));
        formats_.push_back(0);
      }
    }
  }

  // Replaces parameter `index` (0-based).
  void Set(size_t index, const Variant& value) {
    ParamBuffer one(std::span<const Variant>(&value, 1));
    texts_[index] = std::move(one.texts_[0]);
    binaries_[index] = std::move(one.binaries_[0]);
    formats_[index] = one.formats_[0];
    lengths_[index] = one.lengths_[0];
    if (one.values_[0] == nullptr) {
      values_[index] = nullptr;
    } else if (formats_[index] == 1) {
      values_[index] = BinaryPointer(binaries_[index]);
    } else {
      values_[index] = texts_[index].c_str();
    }
  }

  int count() const { return static_cast<int>(values_.size()); }

  // libpq reads a null pointer as NULL: an empty value needs a pointer all the same.
  static const char* BinaryPointer(const Bytes& bytes) {
    static constexpr char kEmpty[] = "";
    return bytes.empty() ? kEmpty : reinterpret_cast<const char*>(bytes.data());
  }
  const char* const* values() const { return values_.data(); }
  const int* lengths() const { return lengths_.data(); }
  const int* formats() const { return formats_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<Bytes> binaries_;
  std::vector<const char*> values_;
  std::vector<int> lengths_;
  std::vector<int> formats_;
};

class PgSession final : public Session {
 public:
  PgSession(std::string pool_key, std::unique_ptr<PgHandle> handle, const OpenOptions& options)
      : pool_key_(std::move(pool_key)),
        handle_(std::move(handle)),
        pool_max_idle_(options.pool_max_idle),
        timeout_seconds_(options.statement_timeout_seconds) {}
  ~PgSession() override;

  Engine engine() const override { return Engine::kPostgresql; }
  int64_t Execute(const std::string& sql) override;
  std::unique_ptr<RowCursor> Query(const std::string& sql, bool describe) override;
  std::unique_ptr<RowCursor> QueryBound(const std::string& sql,
                                        std::span<const Variant> params) override;
  WriteResult Write(const std::string& sql, std::span<const Variant> params) override;
  std::optional<TableInfo> DescribeTable(const std::string& base_table) override;
  std::unique_ptr<PreparedStatement> Prepare(const std::string& sql) override;

  void Begin() override;
  void Commit() override;
  void Rollback() override;
  bool InTransaction() override { return PQtransactionStatus(conn()) != PQTRANS_IDLE; }
  void Savepoint(const std::string& name) override { Execute("SAVEPOINT " + name); }
  void ReleaseSavepoint(const std::string& name) override { Execute("RELEASE SAVEPOINT " + name); }
  void RollbackToSavepoint(const std::string& name) override {
    Execute("ROLLBACK TO SAVEPOINT " + name);
  }
  void SetStatementTimeout(int seconds) override { timeout_seconds_ = seconds; }

  PGconn* conn() const { return handle_->conn(); }
  // Sets statement_timeout on the session when it differs from this connection's.
  void ApplyTimeout();
  // Raises unless `result` has one of the two statuses.
  void Check(const ResultPtr& result, ExecStatusType ok, ExecStatusType also_ok) const {
    ExecStatusType status = PQresultStatus(result.get());
    if (!result || (status != ok && status != also_ok)) {
      RaiseResultFailure(conn(), result.get(), timeout_seconds_);
    }
  }
  ResultPtr RunPrepared(const std::string& name, const ParamBuffer& params) {
    ApplyTimeout();
    ResultPtr result(PQexecPrepared(conn(), name.c_str(), params.count(), params.values(),
                                    params.lengths(), params.formats(), 0));
    Check(result, PGRES_COMMAND_OK, PGRES_TUPLES_OK);
    return result;
  }

  void Attach(Attachable* item) { attached_.Add(item); }
  void Detach(Attachable* item) { attached_.Remove(item); }

 private:
  const TableCatalog* LookupTable(const std::string& oid, int needed_attnum);
  // Runs one statement with its "?" parameters bound to `params`; raises kErrDbBadArgument when
  // it takes another number of them.
  ResultPtr RunBound(const std::string& sql, std::span<const Variant> params);
  // The columns of a query's result; with `describe`, with their base table and column.
  std::vector<ResultColumn> ColumnsOf(const PGresult* result, bool describe);

  std::string pool_key_;
  std::unique_ptr<PgHandle> handle_;
  size_t pool_max_idle_;
  int timeout_seconds_;
  bool prepared_any_ = false;
  AttachedSet attached_;
};

// A finished result, read a row at a time; independent of the connection.
class PgCursor final : public RowCursor {
 public:
  PgCursor(ResultPtr result, std::vector<ResultColumn> columns)
      : result_(std::move(result)), columns_(std::move(columns)) {}

  const std::vector<ResultColumn>& columns() const override { return columns_; }

  bool Next(std::vector<Variant>& row) override {
    if (row_ >= PQntuples(result_.get())) {
      result_.reset();  // let go of the memory as soon as the rows are read
      row_ = 0;
      return false;
    }
    row.clear();
    for (int i = 0; i < static_cast<int>(columns_.size()); ++i) {
      row.push_back(FieldValue(result_.get(), row_, i));
    }
    ++row_;
    return true;
  }

 private:
  ResultPtr result_;
  std::vector<ResultColumn> columns_;
  int row_ = 0;
};

class PgPreparedStatement final : public PreparedStatement, public Attachable {
 public:
  PgPreparedStatement(PgSession& session, std::string name, std::string sql, int parameter_count)
      : session_(&session),
        name_(std::move(name)),
        sql_(std::move(sql)),
        params_(std::vector<Variant>(parameter_count, Variant::MakeNull())) {
    session_->Attach(this);
  }
  ~PgPreparedStatement() override {
    if (session_ != nullptr) {
      session_->Detach(this);
    }
  }

  int32_t ParameterCount() const override { return params_.count(); }

  void Bind(int32_t index, const Variant& value) override {
    CheckOpen();
    if (index < 1 || index > params_.count()) {
      RaiseDbError(kErrDbBadArgument, "The statement has no parameter " + std::to_string(index));
    }
    params_.Set(static_cast<size_t>(index - 1), value);
  }

  void ClearBindings() override {
    CheckOpen();
    for (int i = 0; i < params_.count(); ++i) {
      params_.Set(static_cast<size_t>(i), Variant::MakeNull());
    }
  }

  int64_t Execute() override {
    CheckOpen();
    try {
      return AffectedRows(session_->RunPrepared(name_, params_).get());
    } catch (const Error&) {
      RaiseWithStatement(sql_);
    }
  }

  void DetachFromSession() noexcept override { session_ = nullptr; }

 private:
  void CheckOpen() const {
    if (session_ == nullptr) {
      RaiseDbError(kErrDbClosed, "The prepared statement's connection is closed");
    }
  }

  PgSession* session_;
  std::string name_;
  std::string sql_;
  ParamBuffer params_;
};

PgSession::~PgSession() {
  PGconn* c = conn();
  bool healthy = PQstatus(c) == CONNECTION_OK;
  if (healthy) {
    PGTransactionStatusType status = PQtransactionStatus(c);
    if (status == PQTRANS_INTRANS || status == PQTRANS_INERROR) {
      // An open transaction never reaches the next user.
      ResultPtr result(PQexec(c, "ROLLBACK"));
      healthy = PQresultStatus(result.get()) == PGRES_COMMAND_OK;
    } else if (status != PQTRANS_IDLE) {
      healthy = false;
    }
  }
  attached_.DetachAll();
  if (healthy && prepared_any_) {
    ResultPtr result(PQexec(c, "DEALLOCATE ALL"));
    healthy = PQresultStatus(result.get()) == PGRES_COMMAND_OK;
  }
  healthy = healthy && PQtransactionStatus(c) == PQTRANS_IDLE;
  if (healthy && pool_max_idle_ > 0) {
    if (handle_->applied_in_transaction) {
      handle_->applied_timeout_ms = -1;
    }
    Pool().Give(pool_key_, std::move(handle_), pool_max_idle_);
  }
}

void PgSession::ApplyTimeout() {
  PgHandle& handle = *handle_;
  bool idle = PQtransactionStatus(conn()) == PQTRANS_IDLE;
  if (handle.applied_in_transaction && idle) {
    handle.applied_timeout_ms = -1;  // the transaction may have been rolled back
    handle.applied_in_transaction = false;
  }
  int wanted = timeout_seconds_ > 0 ? timeout_seconds_ * 1000 : 0;
  if (handle.applied_timeout_ms == wanted) {
    return;
  }
  ResultPtr result(PQexec(conn(), ("SET statement_timeout = " + std::to_string(wanted)).c_str()));
  Check(result, PGRES_COMMAND_OK, PGRES_COMMAND_OK);
  handle.applied_timeout_ms = wanted;
  handle.applied_in_transaction = !idle;
}

int64_t PgSession::Execute(const std::string& sql) {
  ApplyTimeout();
  ResultPtr result(PQexec(conn(), sql.c_str()));
  Check(result, PGRES_COMMAND_OK, PGRES_TUPLES_OK);
  return AffectedRows(result.get());
}

const TableCatalog* PgSession::LookupTable(const std::string& oid, int needed_attnum) {
  auto found = handle_->tables.find(oid);
  if (found != handle_->tables.end() &&
      (needed_attnum <= 0 || found->second.columns.contains(needed_attnum))) {
    return &found->second;
  }
  static constexpr const char* kCatalogQuery =
      "SELECT n.nspname, c.relname, a.attnum, a.attname,"
      " array_position(i.indkey::int2[], a.attnum) AS key_order"
      " FROM pg_class c"
      " JOIN pg_namespace n ON n.oid = c.relnamespace"
      " JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped"
      " LEFT JOIN pg_index i ON i.indrelid = c.oid AND i.indisprimary"
      " WHERE c.oid = $1::oid ORDER BY a.attnum";
  ApplyTimeout();
  const char* values[] = {oid.c_str()};
  ResultPtr result(PQexecParams(conn(), kCatalogQuery, 1, nullptr, values, nullptr, nullptr, 0));
  Check(result, PGRES_TUPLES_OK, PGRES_TUPLES_OK);
  int rows = PQntuples(result.get());
  if (rows == 0) {
    return nullptr;
  }
  TableCatalog catalog;
  catalog.info.sql_name = QuoteIdentifier(PQgetvalue(result.get(), 0, 0)) + "." +
                          QuoteIdentifier(PQgetvalue(result.get(), 0, 1));
  std::vector<std::pair<int64_t, std::string>> keys;
  for (int row = 0; row < rows; ++row) {
    int64_t attnum = 0;
    text::ParseInt64(PQgetvalue(result.get(), row, 2), attnum);
    std::string name = PQgetvalue(result.get(), row, 3);
    if (!PQgetisnull(result.get(), row, 4)) {
      int64_t order = 0;
      text::ParseInt64(PQgetvalue(result.get(), row, 4), order);
      keys.emplace_back(order, name);
    }
    catalog.columns[static_cast<int>(attnum)] = std::move(name);
  }
  std::sort(keys.begin(), keys.end());
  for (auto& key : keys) {
    catalog.info.key_columns.push_back(std::move(key.second));
  }
  auto [it, inserted] = handle_->tables.insert_or_assign(oid, std::move(catalog));
  return &it->second;
}

std::vector<ResultColumn> PgSession::ColumnsOf(const PGresult* result, bool describe) {
  std::vector<ResultColumn> columns;
  int count = PQnfields(result);
  for (int i = 0; i < count; ++i) {
    ResultColumn column;
    // Unquoted identifiers come back folded to lower case; the library writes them in upper
    // case, as SQLite returns them.
    column.name = text::ToUpper(PQfname(result, i));
    Oid table = PQftable(result, i);
    int attnum = PQftablecol(result, i);
    if (describe && table != InvalidOid && attnum > 0) {
      std::string oid = std::to_string(table);
      const TableCatalog* catalog = LookupTable(oid, attnum);
      if (catalog != nullptr) {
        auto name = catalog->columns.find(attnum);
        if (name != catalog->columns.end()) {
          column.base_table = oid;
          column.base_column = name->second;
        }
      }
    }
    columns.push_back(std::move(column));
  }
  return columns;
}

std::unique_ptr<RowCursor> PgSession::Query(const std::string& sql, bool describe) {
  ApplyTimeout();
  // The extended protocol takes exactly one statement, as a recordset needs.
  ResultPtr result(PQexecParams(conn(), sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0));
  Check(result, PGRES_TUPLES_OK, PGRES_COMMAND_OK);
  std::vector<ResultColumn> columns = ColumnsOf(result.get(), describe);
  return std::make_unique<PgCursor>(std::move(result), std::move(columns));
}

std::unique_ptr<RowCursor> PgSession::QueryBound(const std::string& sql,
                                                 std::span<const Variant> params) {
  ResultPtr result = RunBound(sql, params);
  std::vector<ResultColumn> columns = ColumnsOf(result.get(), false);
  return std::make_unique<PgCursor>(std::move(result), std::move(columns));
}

ResultPtr PgSession::RunBound(const std::string& sql, std::span<const Variant> params) {
  int expected = 0;
  std::string numbered = NumberPlaceholders(sql, &expected);
  if (expected != static_cast<int>(params.size())) {
    RaiseDbError(kErrDbBadArgument, kSource,
                 "The statement takes " + std::to_string(expected) + " parameters, not " +
                     std::to_string(params.size()));
  }
  ParamBuffer buffer(params);
  ApplyTimeout();
  ResultPtr result(PQexecParams(conn(), numbered.c_str(), buffer.count(), nullptr, buffer.values(),
                                buffer.lengths(), buffer.formats(), 0));
  Check(result, PGRES_COMMAND_OK, PGRES_TUPLES_OK);
  return result;
}

WriteResult PgSession::Write(const std::string& sql, std::span<const Variant> params) {
  ResultPtr result = RunBound(sql, params);
  WriteResult write;
  write.affected = AffectedRows(result.get());
  if (PQresultStatus(result.get()) == PGRES_TUPLES_OK && PQntuples(result.get()) > 0) {
    for (int i = 0; i < PQnfields(result.get()); ++i) {
      write.returned.push_back(FieldValue(result.get(), 0, i));
    }
  }
  return write;
}

std::optional<TableInfo> PgSession::DescribeTable(const std::string& base_table) {
  const TableCatalog* catalog = LookupTable(base_table, 0);
  if (catalog == nullptr) {
    return std::nullopt;
  }
  return catalog->info;
}

std::unique_ptr<PreparedStatement> PgSession::Prepare(const std::string& sql) {
  int count = 0;
  std::string numbered = NumberPlaceholders(sql, &count);
  std::string name = "velmora_statement_" + std::to_string(handle_->next_statement_number++);
  ApplyTimeout();
  ResultPtr result(PQprepare(conn(), name.c_str(), numbered.c_str(), 0, nullptr));
  Check(result, PGRES_COMMAND_OK, PGRES_COMMAND_OK);
  prepared_any_ = true;
  return std::make_unique<PgPreparedStatement>(*this, std::move(name), sql, count);
}

void PgSession::Begin() {
  if (InTransaction()) {
    RaiseDbError(kErrDbTransaction, kSource, "A transaction is already open");
  }
  Execute("BEGIN");
}

void PgSession::Commit() {
  if (!InTransaction()) {
    RaiseDbError(kErrDbTransaction, kSource, "No transaction is open to commit");
  }
  bool failed = PQtransactionStatus(conn()) == PQTRANS_INERROR;
  ResultPtr result(PQexec(conn(), "COMMIT"));
  Check(result, PGRES_COMMAND_OK, PGRES_COMMAND_OK);
  // COMMIT of a failed transaction succeeds as a ROLLBACK: that is not a commit.
  if (failed || std::strcmp(PQcmdStatus(result.get()), "ROLLBACK") == 0) {
    RaiseDbError(kErrDbTransaction, kSource,
                 "The transaction was rolled back instead of committed, because a statement "
                 "inside it failed");
  }
}

void PgSession::Rollback() {
  if (!InTransaction()) {
    RaiseDbError(kErrDbTransaction, kSource, "No transaction is open to roll back");
  }
  Execute("ROLLBACK");
}

}  // namespace

std::unique_ptr<Session> OpenPgSession(const std::string& uri, const std::string& pool_key,
                                       const std::string& password, const OpenOptions& options) {
  std::unique_ptr<PgHandle> handle;
  while ((handle = Pool().Take(pool_key)) != nullptr && !handle->IsReusable()) {
    handle.reset();  // closed by the server or broken meanwhile
  }
  if (!handle) {
    handle = PgHandle::Open(uri, password, options.connect_timeout_seconds);
  }
  return std::make_unique<PgSession>(pool_key, std::move(handle), options);
}

void ClearPgPool(const std::string& pool_key) { Pool().Clear(pool_key); }

size_t PgIdleCount(const std::string& pool_key) { return Pool().IdleCount(pool_key); }

}  // namespace velmora::db
