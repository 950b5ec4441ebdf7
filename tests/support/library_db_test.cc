#include "support/library_db_test.h"

#include <filesystem>

#include "core/database_setup.h"
#include "core/db_utils.h"
#include "core/sql_literals.h"
#include "support/temp_home.h"

namespace velmora::testing {
namespace {

std::string AbsoluteConnectionString(const TestDatabase& database) {
  const std::string& text = database.connection_string();
  if (database.engine() != db::Engine::kSqlite || text.rfind("sqlite:", 0) != 0) {
    return text;
  }
  const std::filesystem::path path = text.substr(7);
  return "sqlite:" + (path.is_absolute() ? path : database.folder() / path).string();
}

}  // namespace

const std::string& LibraryDbTest::Home() {
  static TempHome home;
  static const bool registered = [] {
    home.WriteRegistry({home.config_dir()});
    return true;
  }();
  (void)registered;
  return home.path();
}

void LibraryDbTest::SetUpDatabase() {
  DbEngineTest::SetUpDatabase();
  if (IsSkipped() || HasFatalFailure()) {
    return;
  }
  setenv("VELMORA_HOME", Home().c_str(), 1);
  WriteFile(Home() + "/config/R2AVidodeConfiguration.xml",
            "<configuration><section name=\"GLOBAL\"><key name=\"B2BLogging\">0</key></section>"
            "<connection application=\"Velmora\">" +
                AbsoluteConnectionString(database()) + "</connection></configuration>");
  core::ForgetConnectionString();
  auto connection = Open();
  core::SetUpDatabase(*connection, Home());
  connection->Close();
  log_ = std::make_unique<CaptureLog>();
}

void LibraryDbTest::TearDown() {
  log_.reset();
  core::ForgetConnectionString();
  db::ClearAllConnectionPools();
  DbEngineTest::TearDown();
}

int64_t LibraryDbTest::Exec(const std::string& sql) {
  auto connection = Open();
  return connection->Execute(sql);
}

Variant LibraryDbTest::Scalar(const std::string& sql) {
  auto connection = Open();
  auto recordset = connection->Query(sql);
  return recordset->IsEOF() ? Variant() : recordset->Field(0);
}

void LibraryDbTest::SetParameter(const std::string& name, const std::string& value) {
  EXPECT_EQ(Exec("UPDATE COLLABORATIONPARAMETER SET PARAMVALUE = " + core::SqlText(value) +
                 " WHERE PARAMNAME = " + core::SqlText(name)),
            1)
      << name;
}

bool LibraryDbTest::Logged(const std::string& part) const {
  for (const LogEntry& entry : log_->entries()) {
    if (entry.text.find(part) != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace velmora::testing
