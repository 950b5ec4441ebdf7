#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "automation/call_service.h"
#include "core/db_utils.h"
#include "core/guarded.h"
#include "platform/db/errors.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

class DbErrorTextTest : public testing::LibraryDbTest {};

// A refused statement reaches the caller with its number and a plain description, through a
// public method and over the automation layer alike; the engine's message, naming the table
// and column, and the statement are in the log only.
TEST_P(DbErrorTextTest, CallersSeeThePlainDescriptionAndTheLogTheDetail) {
  Exec("ALTER TABLE DOCUMENT RENAME COLUMN SHOW TO HIDDENFLAG");
  struct Case {
    const char* name;
    std::string sql;
    int32_t number;
    const char* description;
    const char* named;  // a table or column name the engine's message gives
  };
  const Case cases[] = {
      {"missing column", "SELECT SHOW FROM DOCUMENT WHERE DOCUMENTID = 1", db::kErrDbSql,
       db::kDescRefused, "show"},
      {"duplicate key",
       "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('XMLErrorPath', 'x')",
       db::kErrDbConstraint, db::kDescDuplicateKey, "paramname"},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.name);
    log_.reset();
    log_ = std::make_unique<testing::CaptureLog>();
    Error error = testing::RaisedBy([&] {
      core::Guarded("Velmora.Probe.Run", [&] { core::GetConnection()->Execute(item.sql); });
    });
    EXPECT_EQ(error.number(), item.number);
    EXPECT_NE(error.description().find(item.description), std::string::npos);
    for (const char* name : {"COLLABORATIONPARAMETER", "PARAMNAME", "DOCUMENT", "SHOW"}) {
      EXPECT_EQ(error.description().find(name), std::string::npos) << error.description();
    }
    EXPECT_TRUE(Logged(item.sql)) << "the statement is logged";
    bool named = false;
    for (const testing::LogEntry& entry : log_->entries()) {
      named = named || text::IFind(entry.text, item.named) != std::string::npos;
    }
    EXPECT_TRUE(named) << "the engine's message is logged";
  }
  const automation::CallReply reply =
      automation::CallAndReply("Velmora.Document", "GetShowFlag", {Variant(int32_t{1})});
  EXPECT_TRUE(reply.failed);
  EXPECT_NE(reply.json.find(db::kDescRefused), std::string::npos) << reply.json;
  EXPECT_NE(reply.json.find(std::to_string(db::kErrDbSql)), std::string::npos) << reply.json;
  EXPECT_EQ(text::IFind(reply.json, "no such column"), std::string::npos) << reply.json;
  EXPECT_EQ(text::IFind(reply.json, "does not exist"), std::string::npos) << reply.json;
  EXPECT_TRUE(Logged("SELECT SHOW FROM DOCUMENT")) << "the statement is logged";
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DbErrorTextTest);

}  // namespace
}  // namespace velmora
