#include "velmora/db/connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/db/db_test_util.h"
#include "platform/db/errors.h"
#include "platform/db/schema_script.h"
#include "support/db_test_engines.h"
#include "velmora/base/text.h"

namespace velmora::db {
namespace {

class ConnectionTest : public testing::DbEngineTest {
 protected:
  void SetUpDatabase() override {
    DbEngineTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    std::unique_ptr<Connection> connection = Open();
    RunSchemaScript(*connection,
                    "CREATE TABLE NOTE (\n"
                    "  NOTEID {{ID}},\n"
                    "  TITLE VARCHAR(100) NOT NULL UNIQUE,\n"
                    "  CREATED {{DATETIME}},\n"
                    "  RANK INTEGER\n"
                    ");\n");
  }

  void AddNote(Connection& connection, std::string_view title, int rank) {
    connection.Execute("INSERT INTO NOTE (TITLE, RANK) VALUES ('" + std::string(title) + "', " +
                       std::to_string(rank) + ")");
  }

  // A statement that runs until it is stopped.
  std::string EndlessQuery() const {
    return IsSqlite() ? "WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C) "
                        "SELECT COUNT(*) AS N FROM C"
                      : "SELECT pg_sleep(60)";
  }
};

TEST_P(ConnectionTest, ExecuteReturnsTheRowsTheStatementChanged) {
  std::unique_ptr<Connection> connection = Open();
  EXPECT_EQ(connection->Execute("INSERT INTO NOTE (TITLE, RANK) VALUES ('a', 1), ('b', 2), "
                                "('c', 2)"),
            3);
  EXPECT_EQ(connection->Execute("UPDATE NOTE SET RANK = 5 WHERE RANK = 2"), 2);
  EXPECT_EQ(connection->Execute("UPDATE NOTE SET RANK = 5 WHERE RANK = 99"), 0);
  EXPECT_EQ(connection->Execute("DELETE FROM NOTE WHERE RANK = 5"), 2);
  EXPECT_EQ(connection->Execute("CREATE TABLE OTHER (A INTEGER)"), 0);
  EXPECT_EQ(connection->Execute("INSERT INTO OTHER (A) VALUES (1); INSERT INTO OTHER (A) "
                                "VALUES (2), (3);"),
            2);
  EXPECT_EQ(CountOf(*connection, "OTHER"), 3);
}

// Callers see the number and a plain description; the engine's message, which names tables,
// columns, constraints and values, and the statement are the detail for the log.
TEST_P(ConnectionTest, EngineFailuresKeepTheirNumberAndHideTheirNamesInTheDetail) {
  std::unique_ptr<Connection> connection = Open();
  AddNote(*connection, "same", 1);
  struct Case {
    std::string sql;
    int32_t number;
    const char* description;
    const char* named;  // a name the engine's message gives
  };
  const Case cases[] = {
      {"SELECT * FROM NO_SUCH_TABLE", kErrDbSql, kDescRefused, "no_such_table"},
      {"SELECT SECRETCOLUMN FROM NOTE", kErrDbSql, kDescRefused, "secretcolumn"},
      {"SELEC 1", kErrDbSql, kDescRefused, "syntax"},
      {"INSERT INTO NOTE (TITLE, RANK) VALUES ('same', 2)", kErrDbConstraint, kDescDuplicateKey,
       "title"},
      {"INSERT INTO NOTE (RANK) VALUES (1)", kErrDbConstraint, kDescRuleBroken, "title"},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.sql);
    Error error = RaisedBy([&] { connection->Execute(item.sql); });
    EXPECT_EQ(error.number(), item.number);
    EXPECT_EQ(error.source(), EngineName(engine()));
    EXPECT_EQ(error.description(), item.description);
    for (const char* name : {"NOTE", "TITLE", "RANK", "SECRETCOLUMN", "NO_SUCH_TABLE", "UNIQUE"}) {
      EXPECT_EQ(text::IFind(error.description(), name), std::string::npos) << name;
    }
    EXPECT_NE(text::IFind(error.detail(), item.named), std::string::npos) << error.detail();
    EXPECT_NE(error.detail().find("statement: " + item.sql), std::string::npos) << error.detail();
    if (!IsSqlite()) {
      EXPECT_NE(error.detail().find("[SQLSTATE "), std::string::npos) << error.detail();
    }
  }
  // A prepared statement's failure names its statement too.
  std::unique_ptr<PreparedStatement> insert =
      connection->Prepare("INSERT INTO NOTE (TITLE, RANK) VALUES (?, 3)");
  insert->Bind(1, Variant("same"));
  Error error = RaisedBy([&] { insert->Execute(); });
  EXPECT_EQ(error.number(), kErrDbConstraint);
  EXPECT_EQ(error.description(), kDescDuplicateKey);
  EXPECT_NE(error.detail().find("INSERT INTO NOTE"), std::string::npos) << error.detail();
  // The connection stays usable after a failed statement.
  EXPECT_EQ(ScalarOf(*connection, "SELECT 7 AS N"), Variant(int32_t{7}));
}

TEST_P(ConnectionTest, StatementTimeoutStopsALongStatement) {
  std::unique_ptr<Connection> connection = Open();
  connection->SetStatementTimeout(1);
  EXPECT_EQ(connection->statement_timeout(), 1);
  Error error = RaisedBy([&] { connection->Query(EndlessQuery()); });
  EXPECT_EQ(error.number(), kErrDbTimeout) << error.description();
  EXPECT_NE(error.description().find("time-out of 1 seconds"), std::string::npos);
  EXPECT_EQ(ScalarOf(*connection, "SELECT 1 AS N"), Variant(int32_t{1}));
}

TEST_P(ConnectionTest, StatementTimeoutCanBeSetBeforeOpening) {
  OpenOptions options;
  options.statement_timeout_seconds = 1;
  std::unique_ptr<Connection> connection = database().Open(options);
  EXPECT_EQ(connection->statement_timeout(), 1);
  Error error = RaisedBy([&] { connection->Execute(EndlessQuery()); });
  EXPECT_EQ(error.number(), kErrDbTimeout) << error.description();
}

TEST_P(ConnectionTest, NegativeTimeoutIsRefused) {
  std::unique_ptr<Connection> connection = Open();
  EXPECT_EQ(RaisedBy([&] { connection->SetStatementTimeout(-1); }).number(), kErrDbBadArgument);
}

TEST_P(ConnectionTest, CommitKeepsAndRollbackDropsTheTransactionsRows) {
  std::unique_ptr<Connection> connection = Open();
  EXPECT_FALSE(connection->InTransaction());
  connection->Begin();
  EXPECT_TRUE(connection->InTransaction());
  AddNote(*connection, "dropped", 1);
  connection->Rollback();
  EXPECT_FALSE(connection->InTransaction());
  connection->Begin();
  AddNote(*connection, "kept", 1);
  connection->Commit();
  EXPECT_EQ(CountOf(*connection, "NOTE"), 1);
  EXPECT_EQ(ScalarOf(*connection, "SELECT TITLE FROM NOTE"), Variant("kept"));
}

TEST_P(ConnectionTest, TransactionCallsOutOfOrderAreRefused) {
  std::unique_ptr<Connection> connection = Open();
  EXPECT_EQ(RaisedBy([&] { connection->Commit(); }).number(), kErrDbTransaction);
  EXPECT_EQ(RaisedBy([&] { connection->Rollback(); }).number(), kErrDbTransaction);
  connection->Begin();
  EXPECT_EQ(RaisedBy([&] { connection->Begin(); }).number(), kErrDbTransaction);
  connection->Rollback();
}

TEST_P(ConnectionTest, CommitOfAFailedTransactionIsNotSilent) {
  std::unique_ptr<Connection> connection = Open();
  connection->Begin();
  AddNote(*connection, "first", 1);
  RaisedBy([&] { AddNote(*connection, "first", 2); });
  if (IsSqlite()) {
    // SQLite undoes only the failed statement; the transaction goes on.
    connection->Commit();
    EXPECT_EQ(CountOf(*connection, "NOTE"), 1);
  } else {
    // PostgreSQL aborts the whole transaction: committing it must say so.
    EXPECT_EQ(RaisedBy([&] { connection->Commit(); }).number(), kErrDbTransaction);
    EXPECT_FALSE(connection->InTransaction());
    EXPECT_EQ(CountOf(*connection, "NOTE"), 0);
  }
}

TEST_P(ConnectionTest, ClosedConnectionRefusesWork) {
  std::unique_ptr<Connection> connection = Open();
  EXPECT_TRUE(connection->IsOpen());
  connection->Close();
  connection->Close();
  EXPECT_FALSE(connection->IsOpen());
  EXPECT_FALSE(connection->InTransaction());
  EXPECT_EQ(connection->engine(), engine());
  EXPECT_EQ(RaisedBy([&] { connection->Execute("SELECT 1"); }).number(), kErrDbClosed);
  EXPECT_EQ(RaisedBy([&] { connection->Query("SELECT 1"); }).number(), kErrDbClosed);
  EXPECT_EQ(RaisedBy([&] { connection->Begin(); }).number(), kErrDbClosed);
}

TEST_P(ConnectionTest, ConnectionTravelsInAVariant) {
  Variant value{ObjectRef(Open())};
  ASSERT_TRUE(value.IsObject());
  EXPECT_EQ(value.AsObject()->TypeName(), "Connection");
  std::shared_ptr<Connection> connection = value.As<Connection>();
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(ScalarOf(*connection, "SELECT 2 AS N"), Variant(int32_t{2}));
}

TEST_P(ConnectionTest, PooledHandleIsReusedWithoutTheLastUsersTransaction) {
  const std::string& key = database().connection_string();
  const OpenOptions& options = database().options();
  ClearConnectionPool(key, options);
  {
    std::unique_ptr<Connection> first = Open();
    first->Begin();
    AddNote(*first, "never committed", 1);
  }
  ASSERT_EQ(IdleConnectionCount(key, options), 1u);
  {
    std::unique_ptr<Connection> second = Open();
    EXPECT_EQ(IdleConnectionCount(key, options), 0u) << "the idle handle was not reused";
    EXPECT_FALSE(second->InTransaction());
    EXPECT_EQ(CountOf(*second, "NOTE"), 0);
    // A transaction opened by raw SQL is rolled back too.
    second->Execute("BEGIN");
    AddNote(*second, "raw transaction", 1);
  }
  std::unique_ptr<Connection> third = Open();
  EXPECT_FALSE(third->InTransaction());
  EXPECT_EQ(CountOf(*third, "NOTE"), 0);
}

// Handles keep compiled statements between uses: a statement text run again sees the schema
// another connection changed, the same text can run twice at once, and the handle still goes
// back to the pool.
TEST_P(ConnectionTest, RepeatedStatementsFollowSchemaChangesAndNest) {
  const std::string& key = database().connection_string();
  const OpenOptions& options = database().options();
  ClearConnectionPool(key, options);
  const std::string sql = "SELECT * FROM NOTE ORDER BY RANK";
  {
    std::unique_ptr<Connection> first = Open();
    AddNote(*first, "a", 1);
    AddNote(*first, "b", 2);
    EXPECT_EQ(first->Query(sql)->FieldCount(), 4);
    std::unique_ptr<Recordset> outer = first->Query(sql);
    std::unique_ptr<Recordset> inner = first->Query(sql);
    inner->MoveNext();
    EXPECT_EQ(outer->Field("TITLE"), Variant("a"));
    EXPECT_EQ(inner->Field("TITLE"), Variant("b"));
  }
  EXPECT_EQ(IdleConnectionCount(key, options), 1u);
  OpenOptions unpooled;
  unpooled.pool_max_idle = 0;
  database().Open(unpooled)->Execute("ALTER TABLE NOTE ADD COLUMN COLOUR INTEGER");
  std::unique_ptr<Connection> again = Open();
  std::unique_ptr<Recordset> rows = again->Query(sql);
  EXPECT_EQ(rows->FieldCount(), 5);
  EXPECT_TRUE(text::IEquals(rows->FieldName(4), "COLOUR")) << rows->FieldName(4);
}

// A handle keeps the statements used last: texts with literals pass through without pushing
// out the ones run again, and a kept statement describes the columns of the table as it is now,
// also when it finds no row.
TEST_P(ConnectionTest, KeptStatementsOutliveManyOthersAndDescribeTheCurrentTable) {
  const std::string sql = "SELECT * FROM NOTE WHERE RANK > 100";
  std::unique_ptr<Connection> connection = Open();
  AddNote(*connection, "a", 1);
  EXPECT_EQ(connection->Query(sql)->FieldCount(), 4);
  for (int i = 0; i < 300; ++i) {
    std::unique_ptr<Recordset> rows =
        connection->Query("SELECT TITLE FROM NOTE WHERE RANK = " + std::to_string(i % 2));
    EXPECT_EQ(rows->IsEOF(), i % 2 == 0) << i;
  }
  std::unique_ptr<Recordset> before = connection->Query(sql);
  EXPECT_TRUE(before->IsEOF());
  EXPECT_EQ(before->FieldCount(), 4);
  OpenOptions unpooled;
  unpooled.pool_max_idle = 0;
  database().Open(unpooled)->Execute("ALTER TABLE NOTE ADD COLUMN COLOUR INTEGER");
  std::unique_ptr<Recordset> after = connection->Query(sql);
  EXPECT_TRUE(after->IsEOF());
  ASSERT_EQ(after->FieldCount(), 5);
  EXPECT_TRUE(text::IEquals(after->FieldName(4), "COLOUR")) << after->FieldName(4);
}

TEST_P(ConnectionTest, PooledHandleDoesNotKeepTheLastUsersTimeout) {
  {
    std::unique_ptr<Connection> first = Open();
    first->SetStatementTimeout(1);
    EXPECT_EQ(ScalarOf(*first, "SELECT 1 AS N"), Variant(int32_t{1}));
  }
  std::unique_ptr<Connection> second = Open();
  EXPECT_EQ(second->statement_timeout(), 30);
  if (!IsSqlite()) {
    EXPECT_EQ(ScalarOf(*second, "SHOW statement_timeout"), Variant("30s"));
  }
}

TEST_P(ConnectionTest, PoolKeepsAtMostTheConfiguredIdleHandles) {
  const std::string& key = database().connection_string();
  OpenOptions options;
  options.pool_max_idle = 3;
  ClearConnectionPool(key, database().options());
  {
    std::vector<std::unique_ptr<Connection>> open;
    for (int i = 0; i < 5; ++i) {
      open.push_back(database().Open(options));
    }
  }
  EXPECT_EQ(IdleConnectionCount(key, database().options()), 3u);
  options.pool_max_idle = 0;
  ClearConnectionPool(key, database().options());
  database().Open(options)->Close();
  EXPECT_EQ(IdleConnectionCount(key, database().options()), 0u);
}

TEST_P(ConnectionTest, TwoWritersAtOnceBothSucceed) {
  constexpr int kRowsPerWriter = 200;
  std::atomic<int> failures{0};
  auto writer = [&](int id) {
    try {
      for (int i = 0; i < kRowsPerWriter; ++i) {
        std::unique_ptr<Connection> connection = Open();
        connection->Begin();
        AddNote(*connection, "w" + std::to_string(id) + "-" + std::to_string(i), id);
        connection->Commit();
      }
    } catch (const Error& error) {
      ADD_FAILURE() << "writer " << id << ": " << error.description();
      ++failures;
    }
  };
  std::thread first(writer, 1);
  std::thread second(writer, 2);
  first.join();
  second.join();
  EXPECT_EQ(failures.load(), 0);
  std::unique_ptr<Connection> connection = Open();
  EXPECT_EQ(CountOf(*connection, "NOTE"), 2 * kRowsPerWriter);
  EXPECT_EQ(ScalarOf(*connection, "SELECT COUNT(*) AS N FROM NOTE WHERE RANK = 2"),
            Variant(int32_t{kRowsPerWriter}));
}

TEST_P(ConnectionTest, TranslatedStatementsRunAndAreReported) {
  std::vector<std::pair<std::string, std::string>> reported;
  OpenOptions options;
  options.on_translate = [&](std::string_view original, std::string_view translated) {
    reported.emplace_back(original, translated);
  };
  std::unique_ptr<Connection> connection = database().Open(options);
  connection->Execute(
      "INSERT INTO dbo.NOTE (TITLE, RANK, CREATED) VALUES "
      "('it''s dbo.NOTE', 1, '1/2/2024 3:04:05 PM'), ('b', 2, '12/31/2023'), "
      "('c', 3, '2/29/2024 9:30 AM')");
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].second.find("'2024-01-02 15:04:05'"), std::string::npos);

  std::unique_ptr<Recordset> top = connection->Query(
      "SELECT TOP 2 TITLE, CREATED FROM dbo.NOTE WHERE CREATED >= '12/31/2023' "
      "ORDER BY RANK DESC;");
  ASSERT_FALSE(top->IsEOF());
  EXPECT_EQ(top->Field("TITLE"), Variant("c"));
  EXPECT_EQ(top->Field("CREATED"), Variant("2024-02-29 09:30:00"));
  top->MoveNext();
  EXPECT_EQ(top->Field("TITLE"), Variant("b"));
  EXPECT_TRUE(IsSqlite() ? top->Field("CREATED") == Variant("2023-12-31")
                         : top->Field("CREATED") == Variant("2023-12-31 00:00:00"));
  top->MoveNext();
  EXPECT_TRUE(top->IsEOF());

  std::unique_ptr<Recordset> distinct =
      connection->Query("SELECT DISTINCT TOP 1 RANK FROM NOTE WHERE TITLE = 'it''s dbo.NOTE'");
  EXPECT_EQ(distinct->Field("RANK"), Variant(int32_t{1}));
  EXPECT_EQ(reported.size(), 3u);
  connection->Query("SELECT TITLE FROM NOTE");
  EXPECT_EQ(reported.size(), 3u) << "an unchanged statement is not reported";
}

TEST_P(ConnectionTest, PreparedStatementRunsWithEachBinding) {
  std::unique_ptr<Connection> connection = Open();
  std::unique_ptr<PreparedStatement> insert =
      connection->Prepare("INSERT INTO NOTE (TITLE, RANK, CREATED) VALUES (?, ?, ?)");
  EXPECT_EQ(insert->ParameterCount(), 3);
  for (int i = 0; i < 50; ++i) {
    insert->Bind(1, Variant("note " + std::to_string(i)));
    insert->Bind(2, Variant(int32_t{i}));
    insert->Bind(3, i % 2 == 0 ? Variant(DateTime{2024, 5, 6, 7, 8, 9}) : Variant());
    EXPECT_EQ(insert->Execute(), 1);
  }
  EXPECT_EQ(CountOf(*connection, "NOTE"), 50);
  EXPECT_EQ(ScalarOf(*connection, "SELECT COUNT(*) AS N FROM NOTE WHERE CREATED IS NULL"),
            Variant(int32_t{25}));
  EXPECT_EQ(ScalarOf(*connection, "SELECT CREATED FROM NOTE WHERE RANK = 0"),
            Variant("2024-05-06 07:08:09"));
  EXPECT_EQ(RaisedBy([&] { insert->Bind(4, Variant(1)); }).number(), kErrDbBadArgument);
  EXPECT_EQ(RaisedBy([&] { insert->Bind(0, Variant(1)); }).number(), kErrDbBadArgument);
  insert->Bind(1, Variant("note 0"));
  EXPECT_EQ(RaisedBy([&] { insert->Execute(); }).number(), kErrDbConstraint);
  connection->Close();
  EXPECT_EQ(RaisedBy([&] { insert->Execute(); }).number(), kErrDbClosed);
}

TEST_P(ConnectionTest, PreparedStatementsInsideOneTransaction) {
  std::unique_ptr<Connection> connection = Open();
  connection->Begin();
  std::unique_ptr<PreparedStatement> insert =
      connection->Prepare("INSERT INTO NOTE (TITLE, RANK) VALUES (?, ?)");
  for (int i = 0; i < 20; ++i) {
    insert->Bind(1, Variant("t" + std::to_string(i)));
    insert->Bind(2, Variant(int32_t{i}));
    insert->Execute();
  }
  connection->Rollback();
  EXPECT_EQ(CountOf(*connection, "NOTE"), 0);
  insert.reset();
  connection->Close();
  // The handle went back to the pool without the prepared statement's leftovers.
  std::unique_ptr<Connection> again = Open();
  std::unique_ptr<PreparedStatement> reuse =
      again->Prepare("INSERT INTO NOTE (TITLE, RANK) VALUES (?, ?)");
  reuse->Bind(1, Variant("x"));
  reuse->Bind(2, Variant(int32_t{1}));
  EXPECT_EQ(reuse->Execute(), 1);
}

TEST_P(ConnectionTest, QueryWithParametersBindsThemInOrder) {
  std::unique_ptr<Connection> connection = Open();
  for (int rank = 1; rank <= 5; ++rank) {
    AddNote(*connection, "n" + std::to_string(rank), rank);
  }
  std::unique_ptr<Recordset> rows =
      connection->Query("SELECT TITLE, RANK FROM NOTE WHERE RANK >= ? AND TITLE <> ? ORDER BY RANK",
                        {Variant(int32_t{3}), Variant("n4")});
  ASSERT_FALSE(rows->IsEOF());
  EXPECT_EQ(rows->Field("TITLE"), Variant("n3"));
  EXPECT_EQ(rows->Field("RANK"), Variant(int32_t{3}));
  rows->MoveNext();
  EXPECT_EQ(rows->Field("TITLE"), Variant("n5"));
  rows->MoveNext();
  EXPECT_TRUE(rows->IsEOF());
  // A bound value of another kind than the column is converted as a prepared statement's is.
  EXPECT_EQ(connection->Query("SELECT TITLE FROM NOTE WHERE RANK = ?", {Variant(int64_t{2})})
                ->Field("TITLE"),
            Variant("n2"));
  EXPECT_TRUE(connection->Query("SELECT TITLE FROM NOTE WHERE TITLE = ?", {Variant()})->IsEOF());
}

TEST_P(ConnectionTest, QueryParametersNeverBecomeSql) {
  std::unique_ptr<Connection> connection = Open();
  const std::vector<std::string> titles = {"O'Brien",  "'; DELETE FROM NOTE; --",
                                           "?",        "TOP 1",
                                           "dbo.NOTE", "'1/2/2024'",
                                           "a\\'b",    "Zo\xc3\xab \xe2\x82\xac \xf0\x9f\x98\x80"};
  std::unique_ptr<PreparedStatement> insert =
      connection->Prepare("INSERT INTO NOTE (TITLE, RANK) VALUES (?, 1)");
  for (const std::string& title : titles) {
    insert->Bind(1, Variant(title));
    insert->Execute();
  }
  for (const std::string& title : titles) {
    SCOPED_TRACE(title);
    std::unique_ptr<Recordset> rows =
        connection->Query("SELECT TITLE FROM NOTE WHERE TITLE = ?", {Variant(title)});
    ASSERT_FALSE(rows->IsEOF());
    EXPECT_EQ(rows->Field("TITLE"), Variant(title));
    rows->MoveNext();
    EXPECT_TRUE(rows->IsEOF());
    EXPECT_EQ(connection->Query("SELECT ? AS V", {Variant(title)})->Field("V"), Variant(title));
  }
  EXPECT_EQ(CountOf(*connection, "NOTE"), static_cast<int64_t>(titles.size()));
}

TEST_P(ConnectionTest, QueryWithParametersIsTranslatedAndSkipsLiterals) {
  std::vector<std::string> reported;
  OpenOptions options;
  options.on_translate = [&](std::string_view, std::string_view translated) {
    reported.emplace_back(translated);
  };
  std::unique_ptr<Connection> connection = database().Open(options);
  AddNote(*connection, "?", 1);
  AddNote(*connection, "b", 2);
  AddNote(*connection, "c", 3);
  std::unique_ptr<Recordset> rows = connection->Query(
      "SELECT TOP 1 TITLE FROM dbo.NOTE WHERE TITLE <> '?' AND RANK >= ? ORDER BY RANK",
      {Variant(int32_t{1})});
  EXPECT_EQ(rows->Field("TITLE"), Variant("b"));
  EXPECT_EQ(reported.size(), 1u);
}

TEST_P(ConnectionTest, QueryWithParametersReadsForwardOnly) {
  std::unique_ptr<Connection> connection = Open();
  AddNote(*connection, "a", 1);
  AddNote(*connection, "b", 2);
  std::unique_ptr<Recordset> rows =
      connection->Query("SELECT TITLE FROM NOTE WHERE RANK > ? ORDER BY RANK", {Variant(0)});
  EXPECT_EQ(rows->RecordCount(), -1);
  EXPECT_EQ(rows->Field("TITLE"), Variant("a"));
  EXPECT_EQ(RaisedBy([&] { rows->SetField("TITLE", Variant("x")); }).number(), kErrDbNotUpdatable);
  rows->MoveNext();
  EXPECT_EQ(RaisedBy([&] { rows->MoveFirst(); }).number(), kErrDbNotUpdatable);
  rows->Disconnect();
  connection->Close();
  EXPECT_EQ(rows->Field("TITLE"), Variant("b"));
}

TEST_P(ConnectionTest, QueryWithParametersRefusesWrongCountsAndKinds) {
  std::unique_ptr<Connection> connection = Open();
  const char* sql = "SELECT TITLE FROM NOTE WHERE RANK = ? AND TITLE = ?";
  EXPECT_EQ(RaisedBy([&] { connection->Query(sql, {Variant(1)}); }).number(), kErrDbBadArgument);
  EXPECT_EQ(RaisedBy([&] {
              connection->Query(sql, {Variant(1), Variant("a"), Variant(2)});
            }).number(),
            kErrDbBadArgument);
  EXPECT_EQ(RaisedBy([&] { connection->Query("SELECT 1 AS N", {Variant(1)}); }).number(),
            kErrDbBadArgument);
  EXPECT_EQ(RaisedBy([&] {
              connection->Query(sql, {Variant(VariantArray(1)), Variant("a")});
            }).number(),
            kErrTypeMismatch);
  // The connection stays usable.
  EXPECT_EQ(connection->Query("SELECT ? AS N", {Variant(int32_t{7})})->Field("N").ToInt32(), 7);
  connection->Close();
  EXPECT_EQ(RaisedBy([&] {
              connection->Query(sql, {Variant(1), Variant("a")});
            }).number(),
            kErrDbClosed);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ConnectionTest);

}  // namespace
}  // namespace velmora::db
