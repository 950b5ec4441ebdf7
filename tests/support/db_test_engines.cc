#include "support/db_test_engines.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

#include "velmora/base/error.h"

namespace velmora::testing {
namespace {

std::filesystem::path MakeTempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/velmora-db-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw Error(kErrPathNotFound, "TestDatabase",
                "Cannot create a temporary folder: " + std::string(std::strerror(errno)));
  }
  return pattern;
}

// The URL with its database name (the path after host and port) replaced by `name`.
std::string WithDatabase(const std::string& url, const std::string& name) {
  size_t scheme_end = url.find("://");
  size_t authority = scheme_end == std::string::npos ? 0 : scheme_end + 3;
  size_t path = url.find_first_of("/?", authority);
  if (path == std::string::npos) {
    return url + "/" + name;
  }
  size_t query = url.find('?', path);
  std::string tail = query == std::string::npos ? "" : url.substr(query);
  return url.substr(0, path) + "/" + name + tail;
}

bool InCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

}  // namespace

std::string TestPostgresqlUrl() {
  const char* url = std::getenv("VELMORA_TEST_PG_URL");
  return url != nullptr ? url : "";
}

std::unique_ptr<TestDatabase> TestDatabase::CreateSqlite() {
  std::unique_ptr<TestDatabase> database(new TestDatabase());
  database->engine_ = db::Engine::kSqlite;
  database->folder_ = MakeTempFolder();
  database->connection_string_ = "sqlite:test.db";
  database->options_.base_folder = database->folder_;
  database->options_.create_if_missing = true;
  return database;
}

std::unique_ptr<TestDatabase> TestDatabase::CreatePostgresql(const std::string& admin_url) {
  static std::atomic<int> counter{0};
  std::unique_ptr<TestDatabase> database(new TestDatabase());
  database->engine_ = db::Engine::kPostgresql;
  database->admin_url_ = admin_url;
  database->database_name_ =
      "velmora_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  {
    std::unique_ptr<db::Connection> admin = db::OpenConnection(admin_url);
    admin->Execute("DROP DATABASE IF EXISTS " + database->database_name_ + " WITH (FORCE)");
    admin->Execute("CREATE DATABASE " + database->database_name_ +
                   " ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
  }
  database->connection_string_ = WithDatabase(admin_url, database->database_name_);
  return database;
}

TestDatabase::~TestDatabase() {
  try {
    db::ClearConnectionPool(connection_string_, options_);
    if (engine_ == db::Engine::kPostgresql) {
      std::unique_ptr<db::Connection> admin = db::OpenConnection(admin_url_);
      admin->Execute("DROP DATABASE IF EXISTS " + database_name_ + " WITH (FORCE)");
    }
  } catch (const Error& error) {
    ADD_FAILURE() << "Cannot remove the test database: " << error.description();
  }
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

std::unique_ptr<db::Connection> TestDatabase::Open() const {
  return db::OpenConnection(connection_string_, options_);
}

std::unique_ptr<db::Connection> TestDatabase::Open(const db::OpenOptions& options) const {
  db::OpenOptions merged = options;
  merged.base_folder = options_.base_folder;
  merged.create_if_missing = options_.create_if_missing;
  return db::OpenConnection(connection_string_, merged);
}

void DbEngineTest::SetUp() {
  CreateDatabase();
  if (database_ && !IsSkipped() && !HasFatalFailure()) {
    SetUpDatabase();
  }
}

void DbEngineTest::CreateDatabase() {
  try {
    if (GetParam() == db::Engine::kSqlite) {
      database_ = TestDatabase::CreateSqlite();
      return;
    }
    std::string url = TestPostgresqlUrl();
    if (url.empty()) {
      if (InCi()) {
        GTEST_FAIL() << "VELMORA_TEST_PG_URL is not set: CI must start PostgreSQL with "
                        "scripts/test-postgres and export the URL it prints";
      }
      GTEST_SKIP() << "PostgreSQL case skipped: set VELMORA_TEST_PG_URL (scripts/test-postgres "
                      "start DIR prints it)";
    }
    database_ = TestDatabase::CreatePostgresql(url);
  } catch (const Error& error) {
    GTEST_FAIL() << "Cannot create the test database: " << error.description();
  }
}

void DbEngineTest::TearDown() { database_.reset(); }

std::string EngineTestName(const ::testing::TestParamInfo<db::Engine>& info) {
  return std::string(db::EngineName(info.param));
}

}  // namespace velmora::testing
