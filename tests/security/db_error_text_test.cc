#include <gtest/gtest.h>

#include <string>

#include "automation/call_service.h"
#include "platform/db/errors.h"
#include "support/library_db_test.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

class DbErrorTextTest : public testing::LibraryDbTest {};

// A refused statement reaches a caller of the automation layer with its number and a plain
// description; the engine's message, naming the column, and the statement are in the log only.
TEST_P(DbErrorTextTest, CallersSeeThePlainDescriptionAndTheLogTheDetail) {
  Exec("ALTER TABLE DOCUMENT RENAME COLUMN SHOW TO HIDDENFLAG");
  const automation::CallReply reply =
      automation::CallAndReply("Velmora.Document", "GetShowFlag", {Variant(int32_t{1})});
  EXPECT_TRUE(reply.failed);
  EXPECT_NE(reply.json.find(db::kDescRefused), std::string::npos) << reply.json;
  EXPECT_NE(reply.json.find(std::to_string(db::kErrDbSql)), std::string::npos) << reply.json;
  for (const char* leak : {"no such column", "does not exist", "SELECT", "column"}) {
    EXPECT_EQ(text::IFind(reply.json, leak), std::string::npos) << reply.json;
  }
  EXPECT_TRUE(Logged("statement: SELECT SHOW FROM DOCUMENT")) << "the statement is logged";
  EXPECT_TRUE(Logged(IsSqlite() ? "no such column: SHOW" : "[SQLSTATE 42703]"))
      << "the engine's message is logged";
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DbErrorTextTest);

}  // namespace
}  // namespace velmora
