#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "velmora/db/connection.h"

// Running database tests once on SQLite and once on PostgreSQL.
//
// SQLite: a fresh database file in a new temporary folder, reached through a relative
// "sqlite:" connection string and OpenOptions::base_folder (as an installation home would).
// PostgreSQL: a fresh database created on the server that VELMORA_TEST_PG_URL names (for
// example postgresql://postgres@127.0.0.1:PORT/postgres, as scripts/test-postgres prints it) and
// dropped afterwards. Without that variable the PostgreSQL cases are skipped with a message, and
// fail when CI=true.
//
// Usage:
//   class WidgetStoreTest : public velmora::testing::DbEngineTest {};
//   TEST_P(WidgetStoreTest, StoresWidgets) { auto connection = Open(); ... }
//   VELMORA_INSTANTIATE_DB_ENGINE_TESTS(WidgetStoreTest);
// A fixture sets itself up in SetUpDatabase(), which runs only when the test's database exists
// (never for a skipped engine); an override calls its base class's SetUpDatabase() first.
namespace velmora::testing {

// A database that exists for the life of the object. Not safe for concurrent use (the
// connections it opens are independent and may be used on other threads).
class TestDatabase {
 public:
  // Creates the database; raises velmora::Error when the engine refuses.
  // REQUIRES: for PostgreSQL, admin_url is a URL of an existing database on the server.
  static std::unique_ptr<TestDatabase> CreateSqlite();
  static std::unique_ptr<TestDatabase> CreatePostgresql(const std::string& admin_url);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  db::Engine engine() const { return engine_; }
  const std::string& connection_string() const { return connection_string_; }
  // The options every Open() uses (SQLite: base folder, create-if-missing).
  const db::OpenOptions& options() const { return options_; }
  // The temporary folder of a SQLite database; empty for PostgreSQL.
  const std::filesystem::path& folder() const { return folder_; }

  std::unique_ptr<db::Connection> Open() const;
  std::unique_ptr<db::Connection> Open(const db::OpenOptions& options) const;

 private:
  TestDatabase() = default;

  db::Engine engine_ = db::Engine::kSqlite;
  std::string connection_string_;
  db::OpenOptions options_;
  std::filesystem::path folder_;
  std::string admin_url_;
  std::string database_name_;
};

// The PostgreSQL server URL for tests, or "" when VELMORA_TEST_PG_URL is not set.
std::string TestPostgresqlUrl();

// A value-parameterised fixture whose parameter is the engine; each test gets a fresh database.
class DbEngineTest : public ::testing::TestWithParam<db::Engine> {
 protected:
  void SetUp() final;
  void TearDown() override;
  // The fixture's own set-up, after the database has been created.
  virtual void SetUpDatabase() {}

  db::Engine engine() const { return GetParam(); }
  bool IsSqlite() const { return GetParam() == db::Engine::kSqlite; }
  TestDatabase& database() { return *database_; }
  // A new connection to the test's database.
  std::unique_ptr<db::Connection> Open() { return database_->Open(); }

 private:
  void CreateDatabase();

  std::unique_ptr<TestDatabase> database_;
};

// "SQLite" / "PostgreSQL", for test names.
std::string EngineTestName(const ::testing::TestParamInfo<db::Engine>& info);

}  // namespace velmora::testing

#define VELMORA_INSTANTIATE_DB_ENGINE_TESTS(fixture)                                         \
  INSTANTIATE_TEST_SUITE_P(                                                                  \
      Engines, fixture,                                                                      \
      ::testing::Values(::velmora::db::Engine::kSqlite, ::velmora::db::Engine::kPostgresql), \
      ::velmora::testing::EngineTestName)
