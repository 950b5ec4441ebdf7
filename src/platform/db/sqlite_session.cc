// The SQLite engine: native handles, sessions, cursors and prepared statements over the SQLite
// C API. Everything that touches sqlite3.h lives in this file.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/db/attached.h"
#include "platform/db/dialect.h"
#include "platform/db/errors.h"
#include "platform/db/handle_pool.h"
#include "platform/db/session.h"
#include "platform/db/values.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::db {
namespace {

constexpr const char* kSource = "SQLite";
constexpr int kBusyTimeoutMs = 5000;
// Virtual machine instructions between two looks at the statement deadline.
constexpr int kProgressInterval = 1000;

// Compiled statements kept per native handle; the least recently used one goes first, so that
// the statements a run repeats stay compiled while texts with literals pass through.
constexpr size_t kCachedStatements = 128;

class SqliteHandle;

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
// Finalizes a statement, or gives it back to the cache of the handle that compiled it.
struct StatementRelease {
  SqliteHandle* handle = nullptr;
  std::string sql;
  void operator()(sqlite3_stmt* statement);
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementRelease>;

// One native handle with its statement deadline. Lives in the pool between leases; its address
// is stable (the progress handler points at it).
class SqliteHandle {
 public:
  SqliteHandle() = default;
  SqliteHandle(const SqliteHandle&) = delete;
  SqliteHandle& operator=(const SqliteHandle&) = delete;

  // Opens `path` and applies the connection settings. Raises kErrDbConnect.
  static std::unique_ptr<SqliteHandle> Open(const std::string& path, bool create);

  sqlite3* db() const { return db_.get(); }

  // Starts the deadline of one statement step; 0 seconds means none.
  void Arm(int seconds) {
    timed_out_ = false;
    armed_ = seconds > 0;
    if (armed_) {
      deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    }
  }
  void Disarm() { armed_ = false; }
  bool timed_out() const { return timed_out_; }

  // The compiled statement of `sql` kept by an earlier use, taken out of the cache so that it
  // serves one user at a time; nullptr when there is none. A kept statement needs no look at
  // the schema: the engine compiles it again at its next step when the schema changed, and a
  // cursor reads its columns only after that step.
  sqlite3_stmt* TakeCached(const std::string& sql);
  // Resets `statement`, clears its bindings and keeps it for the next use of `sql` (when the
  // cache is full, the statement used longest ago is finalized). Ends its loan.
  void Keep(std::string sql, sqlite3_stmt* statement);
  // Counts a statement handed out by a session until Keep takes it back.
  void Lend() { ++lent_; }
  // Whether every statement handed out has come back: a handle whose statements are all reset
  // holds no read or write lock and may serve the next session.
  bool AllReturned() const { return lent_ == 0; }

  // The description of `table` of the main database kept by an earlier use, or nullptr; the
  // descriptions are forgotten when the schema of the main database changed since they were read.
  const TableInfo* FindDescribed(const std::string& table);
  void KeepDescribed(const std::string& table, TableInfo info);

 private:
  static int OnProgress(void* self) {
    auto* handle = static_cast<SqliteHandle*>(self);
    if (handle->armed_ && std::chrono::steady_clock::now() >= handle->deadline_) {
      handle->timed_out_ = true;
      return 1;
    }
    return 0;
  }

  void ApplySettings(const std::string& path);
  // The schema cookie of the main database, or -1 when it cannot be read.
  int64_t SchemaVersion();

  std::unique_ptr<sqlite3, DatabaseCloser> db_;
  bool armed_ = false;
  bool timed_out_ = false;
  std::chrono::steady_clock::time_point deadline_;
  // Declared after db_: finalized before the database is closed.
  std::unique_ptr<sqlite3_stmt, StatementRelease> schema_version_;
  struct Cached {
    std::string sql;
    std::unique_ptr<sqlite3_stmt, StatementRelease> statement;
  };
  // Most recently kept first; the index keys view the texts held by the list.
  std::list<Cached> cached_;
  std::unordered_map<std::string_view, std::list<Cached>::iterator> cached_index_;
  size_t lent_ = 0;
  std::unordered_map<std::string, TableInfo> described_;
  int64_t described_schema_ = -1;
};

void StatementRelease::operator()(sqlite3_stmt* statement) {
  if (handle != nullptr) {
    handle->Keep(std::move(sql), statement);
  } else {
    sqlite3_finalize(statement);
  }
}

int64_t SqliteHandle::SchemaVersion() {
  if (!schema_version_) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db(), "PRAGMA schema_version", -1, &raw, nullptr) != SQLITE_OK) {
      sqlite3_finalize(raw);
      return -1;
    }
    schema_version_.reset(raw);
  }
  int64_t version = -1;
  if (sqlite3_step(schema_version_.get()) == SQLITE_ROW) {
    version = sqlite3_column_int64(schema_version_.get(), 0);
  }
  sqlite3_reset(schema_version_.get());
  return version;
}

sqlite3_stmt* SqliteHandle::TakeCached(const std::string& sql) {
  const auto found = cached_index_.find(sql);
  if (found == cached_index_.end()) {
    return nullptr;
  }
  const auto entry = found->second;
  sqlite3_stmt* statement = entry->statement.release();
  cached_index_.erase(found);
  cached_.erase(entry);
  return statement;
}

void SqliteHandle::Keep(std::string sql, sqlite3_stmt* statement) {
  --lent_;
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  if (cached_index_.contains(sql)) {
    sqlite3_finalize(statement);
    return;
  }
  if (cached_.size() >= kCachedStatements) {
    cached_index_.erase(cached_.back().sql);
    cached_.pop_back();
  }
  cached_.push_front({std::move(sql), std::unique_ptr<sqlite3_stmt, StatementRelease>(statement)});
  cached_index_.emplace(cached_.front().sql, cached_.begin());
}

const TableInfo* SqliteHandle::FindDescribed(const std::string& table) {
  if (described_.empty()) {
    return nullptr;
  }
  const int64_t schema = SchemaVersion();
  if (schema < 0 || schema != described_schema_) {
    described_.clear();
    return nullptr;
  }
  const auto found = described_.find(table);
  return found == described_.end() ? nullptr : &found->second;
}

void SqliteHandle::KeepDescribed(const std::string& table, TableInfo info) {
  const int64_t schema = SchemaVersion();
  if (schema < 0) {
    return;
  }
  if (schema != described_schema_ || described_.size() >= kCachedStatements) {
    described_.clear();
    described_schema_ = schema;
  }
  described_[table] = std::move(info);
}

HandlePool<SqliteHandle>& Pool() {
  static HandlePool<SqliteHandle> pool(kMaxPooledHandles);
  return pool;
}

std::string EngineMessage(sqlite3* db, int rc) {
  std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return message + " [SQLite error " + std::to_string(rc) + "]";
}

// The failure of a statement as an Error with a plain description by class; the engine's
// message is its detail.
[[noreturn]] void RaiseStatementFailure(sqlite3* db, int rc, bool timed_out, int timeout_seconds) {
  int primary = rc & 0xff;
  if (primary == SQLITE_INTERRUPT && timed_out) {
    RaiseDbError(kErrDbTimeout, kSource,
                 "The statement was cancelled when it exceeded its time-out of " +
                     std::to_string(timeout_seconds) + " seconds");
  }
  int number = kErrDbSql;
  const char* description = kDescFailed;
  if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
    number = kErrDbConstraint;
    description = kDescDuplicateKey;
  } else if (primary == SQLITE_CONSTRAINT) {
    number = kErrDbConstraint;
    description = kDescRuleBroken;
  } else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    number = kErrDbBusy;
    description = kDescBusy;
  } else if (primary == SQLITE_ERROR || primary == SQLITE_MISMATCH || primary == SQLITE_RANGE ||
             primary == SQLITE_TOOBIG) {
    description = kDescRefused;
  }
  RaiseEngineError(number, kSource, description, EngineMessage(db, rc));
}

std::unique_ptr<SqliteHandle> SqliteHandle::Open(const std::string& path, bool create) {
  auto handle = std::make_unique<SqliteHandle>();
  sqlite3* raw = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (create && !path.empty() && path.front() != ':' && path.rfind("file:", 0) != 0) {
    // A new database file is its owner's only; SQLite gives its journal files the same mode.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
    }
  }
  int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  handle->db_.reset(raw);  // owned from here on, also when opening failed
  if (rc != SQLITE_OK) {
    RaiseEngineError(kErrDbConnect, kSource, kDescUnreachable,
                     "Cannot open the SQLite database \"" + path + "\": " + EngineMessage(raw, rc));
  }
  handle->ApplySettings(path);
  return handle;
}

void SqliteHandle::ApplySettings(const std::string& path) {
  sqlite3* db = db_.get();
  auto fail = [&](int rc) {
    RaiseEngineError(
        kErrDbConnect, kSource, kDescUnreachable,
        "Cannot prepare the SQLite database \"" + path + "\": " + EngineMessage(db, rc));
  };
  int rc = sqlite3_extended_result_codes(db, 1);
  if (rc != SQLITE_OK) {
    fail(rc);
  }
  rc = sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (rc != SQLITE_OK) {
    fail(rc);
  }
  // Each pragma either reports the value it set or nothing; a different value is a failure.
  struct Setting {
    const char* sql;
    const char* expected;  // the value the pragma must report, or nullptr
  };
  static constexpr Setting kSettings[] = {
      {"PRAGMA journal_mode=WAL", "wal"},
      {"PRAGMA synchronous=NORMAL", nullptr},
      {"PRAGMA foreign_keys=ON", nullptr},
      {"PRAGMA foreign_keys", "1"},
      // LIKE compares case-sensitively, as every other text comparison does on both engines.
      {"PRAGMA case_sensitive_like=ON", nullptr},
  };
  for (const Setting& setting : kSettings) {
    sqlite3_stmt* raw = nullptr;
    rc = sqlite3_prepare_v2(db, setting.sql, -1, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK) {
      fail(rc);
    }
    std::string reported;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
      const unsigned char* value = sqlite3_column_text(statement.get(), 0);
      reported = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    }
    if (rc != SQLITE_DONE) {
      fail(rc);
    }
    if (setting.expected != nullptr && !text::IEquals(reported, setting.expected)) {
      RaiseEngineError(kErrDbConnect, kSource, kDescUnreachable,
                       "Cannot prepare the SQLite database \"" + path + "\": \"" + setting.sql +
                           "\" reported \"" + reported + "\"");
    }
  }
  sqlite3_progress_handler(db, kProgressInterval, &SqliteHandle::OnProgress, this);
}

Variant ColumnValue(sqlite3_stmt* statement, int index) {
  switch (sqlite3_column_type(statement, index)) {
    case SQLITE_NULL:
      return Variant::MakeNull();
    case SQLITE_INTEGER:
      return IntegerValue(sqlite3_column_int64(statement, index));
    case SQLITE_FLOAT:
      return Variant(sqlite3_column_double(statement, index));
    case SQLITE_BLOB: {
      const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement, index));
      int size = sqlite3_column_bytes(statement, index);
      return data != nullptr ? Variant(Bytes(data, data + size)) : Variant(Bytes());
    }
    default: {
      const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
      int size = sqlite3_column_bytes(statement, index);
      return Variant(data != nullptr ? std::string(data, size) : std::string());
    }
  }
}

// Binds one value; raises kErrTypeMismatch for arrays and objects.
int BindValue(sqlite3_stmt* statement, int index, const Variant& value) {
  CheckStorable(value);
  switch (value.kind()) {
    case Variant::Kind::kEmpty:
    case Variant::Kind::kNull:
      return sqlite3_bind_null(statement, index);
    case Variant::Kind::kBool:
      return sqlite3_bind_int64(statement, index, value.ToBool() ? 1 : 0);
    case Variant::Kind::kInt16:
    case Variant::Kind::kInt32:
    case Variant::Kind::kInt64:
      return sqlite3_bind_int64(statement, index, value.ToInt64());
    case Variant::Kind::kDouble:
      return sqlite3_bind_double(statement, index, value.ToDouble());
    case Variant::Kind::kBytes: {
      Bytes bytes = value.ToBytes();
      if (bytes.empty()) {
        return sqlite3_bind_zeroblob(statement, index, 0);
      }
      return sqlite3_bind_blob64(statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
    default: {
      std::string text_value = ValueText(value);
      return sqlite3_bind_text64(statement, index, text_value.data(), text_value.size(),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
    }
  }
}

class SqliteSession final : public Session {
 public:
  SqliteSession(std::string pool_key, std::unique_ptr<SqliteHandle> handle,
                const OpenOptions& options)
      : pool_key_(std::move(pool_key)),
        handle_(std::move(handle)),
        pool_max_idle_(options.pool_max_idle),
        timeout_seconds_(options.statement_timeout_seconds) {}
  ~SqliteSession() override;

  Engine engine() const override { return Engine::kSqlite; }
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
  bool InTransaction() override { return sqlite3_get_autocommit(db()) == 0; }
  void Savepoint(const std::string& name) override { Execute("SAVEPOINT " + name); }
  void ReleaseSavepoint(const std::string& name) override { Execute("RELEASE " + name); }
  void RollbackToSavepoint(const std::string& name) override { Execute("ROLLBACK TO " + name); }
  void SetStatementTimeout(int seconds) override { timeout_seconds_ = seconds; }

  sqlite3* db() const { return handle_->db(); }
  // One step of a statement under the statement deadline.
  int Step(sqlite3_stmt* statement) {
    handle_->Arm(timeout_seconds_);
    int rc = sqlite3_step(statement);
    handle_->Disarm();
    return rc;
  }
  [[noreturn]] void Raise(int rc) const {
    RaiseStatementFailure(db(), rc, handle_->timed_out(), timeout_seconds_);
  }
  // Compiles the one statement of `sql`; raises when it holds more than one.
  StatementPtr PrepareOne(const std::string& sql);
  // PrepareOne with the statement's parameters bound to `params`; raises kErrDbBadArgument when
  // it takes another number of them.
  StatementPtr PrepareBound(const std::string& sql, std::span<const Variant> params);

  void Attach(Attachable* item) { attached_.Add(item); }
  void Detach(Attachable* item) { attached_.Remove(item); }

 private:
  std::string pool_key_;
  std::unique_ptr<SqliteHandle> handle_;
  size_t pool_max_idle_;
  int timeout_seconds_;
  AttachedSet attached_;
};

// A running query, read a row at a time.
class SqliteCursor final : public RowCursor, public Attachable {
 public:
  SqliteCursor(SqliteSession& session, StatementPtr statement, bool describe)
      : session_(&session), statement_(std::move(statement)) {
    // The first step comes before the columns are read, so that a kept statement which the
    // engine compiled again after a schema change describes its columns as they are now.
    first_step_ = session_->Step(statement_.get());
    if (first_step_ != SQLITE_ROW && first_step_ != SQLITE_DONE) {
      session_->Raise(first_step_);
    }
    int count = sqlite3_column_count(statement_.get());
    for (int i = 0; i < count; ++i) {
      ResultColumn column;
      const char* name = sqlite3_column_name(statement_.get(), i);
      if (name == nullptr) {
        throw Error(kErrOutOfMemory, kSource, "Out of memory reading a column name");
      }
      column.name = name;
      if (describe) {
        const char* schema = sqlite3_column_database_name(statement_.get(), i);
        const char* table = sqlite3_column_table_name(statement_.get(), i);
        const char* origin = sqlite3_column_origin_name(statement_.get(), i);
        if (schema != nullptr && table != nullptr && origin != nullptr) {
          column.base_table = std::string(schema) + "." + table;
          column.base_column = origin;
        }
      }
      columns_.push_back(std::move(column));
    }
    session_->Attach(this);
  }
  ~SqliteCursor() override {
    if (session_ != nullptr) {
      session_->Detach(this);
    }
  }

  const std::vector<ResultColumn>& columns() const override { return columns_; }

  bool Next(std::vector<Variant>& row) override {
    if (done_) {
      return false;
    }
    if (session_ == nullptr) {
      RaiseDbError(kErrDbClosed, "The recordset's connection is closed");
    }
    const int rc =
        first_step_ != 0 ? std::exchange(first_step_, 0) : session_->Step(statement_.get());
    if (rc == SQLITE_ROW) {
      row.clear();
      for (int i = 0; i < static_cast<int>(columns_.size()); ++i) {
        row.push_back(ColumnValue(statement_.get(), i));
      }
      return true;
    }
    if (rc != SQLITE_DONE) {
      session_->Raise(rc);
    }
    // Finished: the statement lets go of the database at once.
    done_ = true;
    statement_.reset();
    session_->Detach(this);
    session_ = nullptr;
    return false;
  }

  void DetachFromSession() noexcept override {
    statement_.reset();
    session_ = nullptr;
  }

 private:
  SqliteSession* session_;
  StatementPtr statement_;
  std::vector<ResultColumn> columns_;
  // The result of the step taken on opening, until Next hands it out; 0 afterwards.
  int first_step_ = 0;
  bool done_ = false;
};

class SqlitePreparedStatement final : public PreparedStatement, public Attachable {
 public:
  SqlitePreparedStatement(SqliteSession& session, StatementPtr statement)
      : session_(&session), statement_(std::move(statement)) {
    session_->Attach(this);
  }
  ~SqlitePreparedStatement() override {
    if (session_ != nullptr) {
      session_->Detach(this);
    }
  }

  int32_t ParameterCount() const override {
    return statement_ ? sqlite3_bind_parameter_count(statement_.get()) : 0;
  }

  void Bind(int32_t index, const Variant& value) override {
    CheckOpen();
    if (index < 1 || index > ParameterCount()) {
      RaiseDbError(kErrDbBadArgument, "The statement has no parameter " + std::to_string(index));
    }
    int rc = BindValue(statement_.get(), index, value);
    if (rc != SQLITE_OK) {
      session_->Raise(rc);
    }
  }

  void ClearBindings() override {
    CheckOpen();
    int rc = sqlite3_clear_bindings(statement_.get());
    if (rc != SQLITE_OK) {
      session_->Raise(rc);
    }
  }

  int64_t Execute() override {
    CheckOpen();
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW) {
      rc = session_->Step(statement_.get());
    }
    if (rc != SQLITE_DONE) {
      try {
        session_->Raise(rc);
      } catch (const Error&) {
        const char* sql = sqlite3_sql(statement_.get());
        const std::string statement_text = sql != nullptr ? sql : "";
        // Reset repeats the failure just raised; it only makes the statement ready again.
        sqlite3_reset(statement_.get());
        RaiseWithStatement(statement_text);
      }
    }
    int64_t changed = sqlite3_changes64(session_->db());
    // Keeps the bindings and lets go of the database until the next execution.
    rc = sqlite3_reset(statement_.get());
    if (rc != SQLITE_OK) {
      session_->Raise(rc);
    }
    return changed;
  }

  void DetachFromSession() noexcept override {
    statement_.reset();
    session_ = nullptr;
  }

 private:
  void CheckOpen() const {
    if (session_ == nullptr) {
      RaiseDbError(kErrDbClosed, "The prepared statement's connection is closed");
    }
  }

  SqliteSession* session_;
  StatementPtr statement_;
};

SqliteSession::~SqliteSession() {
  attached_.DetachAll();
  sqlite3* database = db();
  bool healthy = true;
  if (sqlite3_get_autocommit(database) == 0) {
    // An open transaction never reaches the next user.
    healthy = sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_get_autocommit(database) != 0;
  }
  // Only the reset statements of the handle's cache may remain.
  if (!handle_->AllReturned()) {
    healthy = false;
  }
  if (healthy && pool_max_idle_ > 0) {
    Pool().Give(pool_key_, std::move(handle_), pool_max_idle_);
  }
}

StatementPtr SqliteSession::PrepareOne(const std::string& sql) {
  if (sqlite3_stmt* cached = handle_->TakeCached(sql)) {
    handle_->Lend();
    return StatementPtr(cached, StatementRelease{handle_.get(), sql});
  }
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db(), sql.data(), static_cast<int>(sql.size()), &raw, &tail);
  StatementPtr statement(raw);
  if (rc != SQLITE_OK) {
    Raise(rc);
  }
  if (!statement) {
    RaiseDbError(kErrDbSql, kSource, "The SQL text holds no statement");
  }
  size_t used = static_cast<size_t>(tail - sql.data());
  if (!IsBlankSql(std::string_view(sql).substr(used))) {
    RaiseDbError(kErrDbSql, kSource,
                 "Only one statement can be run here; the SQL text holds more than one");
  }
  statement.get_deleter() = StatementRelease{handle_.get(), sql};
  handle_->Lend();
  return statement;
}

int64_t SqliteSession::Execute(const std::string& sql) {
  const char* tail = sql.data();
  const char* end = sql.data() + sql.size();
  int64_t last = 0;
  while (tail < end) {
    sqlite3_stmt* raw = nullptr;
    const char* next = nullptr;
    int rc = sqlite3_prepare_v2(db(), tail, static_cast<int>(end - tail), &raw, &next);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK) {
      Raise(rc);
    }
    tail = next;
    if (!statement) {
      continue;  // blanks or a comment
    }
    int64_t before = sqlite3_total_changes64(db());
    while ((rc = Step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
      Raise(rc);
    }
    last = sqlite3_total_changes64(db()) != before ? sqlite3_changes64(db()) : 0;
  }
  return last;
}

std::unique_ptr<RowCursor> SqliteSession::Query(const std::string& sql, bool describe) {
  return std::make_unique<SqliteCursor>(*this, PrepareOne(sql), describe);
}

StatementPtr SqliteSession::PrepareBound(const std::string& sql, std::span<const Variant> params) {
  StatementPtr statement = PrepareOne(sql);
  int expected = sqlite3_bind_parameter_count(statement.get());
  if (expected != static_cast<int>(params.size())) {
    RaiseDbError(kErrDbBadArgument, kSource,
                 "The statement takes " + std::to_string(expected) + " parameters, not " +
                     std::to_string(params.size()));
  }
  for (size_t i = 0; i < params.size(); ++i) {
    int rc = BindValue(statement.get(), static_cast<int>(i + 1), params[i]);
    if (rc != SQLITE_OK) {
      Raise(rc);
    }
  }
  return statement;
}

std::unique_ptr<RowCursor> SqliteSession::QueryBound(const std::string& sql,
                                                     std::span<const Variant> params) {
  return std::make_unique<SqliteCursor>(*this, PrepareBound(sql, params), false);
}

WriteResult SqliteSession::Write(const std::string& sql, std::span<const Variant> params) {
  StatementPtr statement = PrepareBound(sql, params);
  WriteResult result;
  int rc = 0;
  while ((rc = Step(statement.get())) == SQLITE_ROW) {
    if (result.returned.empty()) {
      for (int i = 0; i < sqlite3_column_count(statement.get()); ++i) {
        result.returned.push_back(ColumnValue(statement.get(), i));
      }
    }
  }
  if (rc != SQLITE_DONE) {
    Raise(rc);
  }
  result.affected = sqlite3_changes64(db());
  return result;
}

std::optional<TableInfo> SqliteSession::DescribeTable(const std::string& base_table) {
  size_t dot = base_table.find('.');
  if (dot == std::string::npos) {
    return std::nullopt;
  }
  std::string schema = base_table.substr(0, dot);
  std::string table = base_table.substr(dot + 1);
  // Only the main database's schema cookie is watched, so only its tables are kept.
  const bool keep = schema == "main";
  if (keep) {
    if (const TableInfo* known = handle_->FindDescribed(table)) {
      return *known;
    }
  }
  StatementPtr statement =
      PrepareOne("SELECT name, pk FROM pragma_table_info(?, ?) WHERE pk > 0 ORDER BY pk");
  int rc = BindValue(statement.get(), 1, Variant(table));
  if (rc == SQLITE_OK) {
    rc = BindValue(statement.get(), 2, Variant(schema));
  }
  if (rc != SQLITE_OK) {
    Raise(rc);
  }
  TableInfo info;
  info.sql_name = QuoteIdentifier(schema) + "." + QuoteIdentifier(table);
  while ((rc = Step(statement.get())) == SQLITE_ROW) {
    info.key_columns.push_back(ColumnValue(statement.get(), 0).ToText());
  }
  if (rc != SQLITE_DONE) {
    Raise(rc);
  }
  info.rowid_key = info.key_columns.empty();
  if (keep) {
    handle_->KeepDescribed(table, info);
  }
  return info;
}

std::unique_ptr<PreparedStatement> SqliteSession::Prepare(const std::string& sql) {
  return std::make_unique<SqlitePreparedStatement>(*this, PrepareOne(sql));
}

void SqliteSession::Begin() {
  if (InTransaction()) {
    RaiseDbError(kErrDbTransaction, kSource, "A transaction is already open");
  }
  Execute("BEGIN IMMEDIATE");
}

void SqliteSession::Commit() {
  if (!InTransaction()) {
    RaiseDbError(kErrDbTransaction, kSource, "No transaction is open to commit");
  }
  Execute("COMMIT");
}

void SqliteSession::Rollback() {
  if (!InTransaction()) {
    RaiseDbError(kErrDbTransaction, kSource, "No transaction is open to roll back");
  }
  Execute("ROLLBACK");
}

}  // namespace

std::unique_ptr<Session> OpenSqliteSession(const std::string& path, const std::string& pool_key,
                                           const OpenOptions& options) {
  std::unique_ptr<SqliteHandle> handle = Pool().Take(pool_key);
  if (!handle) {
    handle = SqliteHandle::Open(path, options.create_if_missing);
  }
  return std::make_unique<SqliteSession>(pool_key, std::move(handle), options);
}

void ClearSqlitePool(const std::string& pool_key) { Pool().Clear(pool_key); }

size_t SqliteIdleCount(const std::string& pool_key) { return Pool().IdleCount(pool_key); }

}  // namespace velmora::db
