#include "velmora/db/connection.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/db/connection_string.h"
#include "platform/db/dialect.h"
#include "platform/db/errors.h"
#include "platform/db/session.h"
#include "platform/db/session_recordset.h"

namespace velmora::db {
namespace {

// The longest statement time-out accepted (PostgreSQL counts it in milliseconds in an int).
constexpr int kMaxTimeoutSeconds = 2'000'000;

int CheckedTimeout(int seconds) {
  if (seconds < 0 || seconds > kMaxTimeoutSeconds) {
    RaiseDbError(kErrDbBadArgument, "The statement time-out must be between 0 and " +
                                        std::to_string(kMaxTimeoutSeconds) + " seconds, not " +
                                        std::to_string(seconds));
  }
  return seconds;
}

// Runs `run` with `sql`; an engine failure gets the statement in its detail.
template <class Run>
auto WithStatement(const std::string& sql, Run&& run) -> decltype(run(sql)) {
  try {
    return run(sql);
  } catch (const Error&) {
    RaiseWithStatement(sql);
  }
}

// The one Connection: the dialect translator in front of an engine's session. Closing drops the
// session, which gives the native handle back to the pool.
class SessionConnection final : public Connection {
 public:
  SessionConnection(Engine engine, std::shared_ptr<Session> session, const OpenOptions& options)
      : engine_(engine),
        session_(std::move(session)),
        timeout_seconds_(options.statement_timeout_seconds),
        on_translate_(options.on_translate) {}
  ~SessionConnection() override = default;

  Engine engine() const override { return engine_; }
  bool IsOpen() const override { return session_ != nullptr; }
  void Close() override { session_.reset(); }

  int64_t Execute(std::string_view sql) override {
    return WithStatement(Translate(sql), [&](const std::string& translated) {
      return OpenSession().Execute(translated);
    });
  }

  std::unique_ptr<Recordset> OpenRecordset(std::string_view sql,
                                           const RecordsetOptions& options) override {
    return WithStatement(Translate(sql), [&](const std::string& translated) {
      OpenSession();
      return OpenSessionRecordset(session_, translated, options);
    });
  }

  std::unique_ptr<Recordset> Query(std::string_view sql,
                                   const std::vector<Variant>& params) override {
    return WithStatement(Translate(sql), [&](const std::string& translated) {
      OpenSession();
      return OpenBoundRecordset(session_, translated, params);
    });
  }

  std::unique_ptr<PreparedStatement> Prepare(std::string_view sql) override {
    return WithStatement(Translate(sql), [&](const std::string& translated) {
      return OpenSession().Prepare(translated);
    });
  }

  void Begin() override { OpenSession().Begin(); }
  void Commit() override { OpenSession().Commit(); }
  void Rollback() override { OpenSession().Rollback(); }
  bool InTransaction() const override { return session_ && session_->InTransaction(); }

  void SetStatementTimeout(int seconds) override {
    timeout_seconds_ = CheckedTimeout(seconds);
    if (session_) {
      session_->SetStatementTimeout(timeout_seconds_);
    }
  }
  int statement_timeout() const override { return timeout_seconds_; }

 private:
  Session& OpenSession() {
    if (!session_) {
      RaiseDbError(kErrDbClosed, "Operation is not allowed when the connection is closed");
    }
    return *session_;
  }

  std::string Translate(std::string_view sql) {
    Translation translation = TranslateSql(sql, engine_);
    if (translation.changed && on_translate_) {
      on_translate_(sql, translation.sql);
    }
    return std::move(translation.sql);
  }

  Engine engine_;
  std::shared_ptr<Session> session_;
  int timeout_seconds_;
  TranslationObserver on_translate_;
};

}  // namespace

std::string_view EngineName(Engine engine) {
  return engine == Engine::kSqlite ? "SQLite" : "PostgreSQL";
}

std::string QuoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  quoted += '"';
  return quoted;
}

std::unique_ptr<Recordset> Connection::QueryDisconnected(std::string_view sql) {
  std::unique_ptr<Recordset> recordset =
      OpenRecordset(sql, {CursorLocation::kClient, LockType::kReadOnly});
  recordset->Disconnect();
  return recordset;
}

std::unique_ptr<Connection> OpenConnection(std::string_view connection_string,
                                           const OpenOptions& options) {
  CheckedTimeout(options.statement_timeout_seconds);
  ConnectionTarget target = ParseConnectionString(connection_string, options.base_folder);
  std::unique_ptr<Session> session =
      target.engine == Engine::kSqlite
          ? OpenSqliteSession(target.location, target.pool_key, options)
          : OpenPgSession(target.location, target.pool_key, target.password, options);
  return std::make_unique<SessionConnection>(target.engine, std::move(session), options);
}

void ClearConnectionPool(std::string_view connection_string, const OpenOptions& options) {
  ConnectionTarget target = ParseConnectionString(connection_string, options.base_folder);
  if (target.engine == Engine::kSqlite) {
    ClearSqlitePool(target.pool_key);
  } else {
    ClearPgPool(target.pool_key);
  }
}

void ClearAllConnectionPools() {
  ClearSqlitePool({});
  ClearPgPool({});
}

size_t IdleConnectionCount(std::string_view connection_string, const OpenOptions& options) {
  ConnectionTarget target = ParseConnectionString(connection_string, options.base_folder);
  return target.engine == Engine::kSqlite ? SqliteIdleCount(target.pool_key)
                                          : PgIdleCount(target.pool_key);
}

}  // namespace velmora::db
