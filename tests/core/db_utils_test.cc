#include "core/db_utils.h"

#include <gtest/gtest.h>

#include "core/general.h"
#include "core/sql_literals.h"
#include "support/library_db_test.h"
#include "support/temp_home.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::core {
namespace {

class DbUtilsTest : public testing::LibraryDbTest {};

TEST_P(DbUtilsTest, ParametersAreLookedUpExactlyAndTrimmed) {
  Exec(
      "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES "
      "('O''Brien', '  two  words  ')");
  EXPECT_EQ(GetParameter("O'Brien"), "two  words");
  EXPECT_EQ(GetParameter("XMLErrorPath"), Home() + "/folders/error/");
}

TEST_P(DbUtilsTest, MissingParameterRaisesItsNumberAndText) {
  try {
    GetParameter("xmlerrorpath");
    FAIL() << "parameter names compare exactly";
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), ErrNumber(EnumerationErrors::MissingParameter));
    EXPECT_EQ(raised.source(), "DBUtils.GetParameter");
    EXPECT_EQ(raised.description(),
              "\r\nMETHOD: DBUtils.GetParameter caught: Couldn't get the parameter "
              "'xmlerrorpath' from the database.(800401FE).");
  }
}

TEST_P(DbUtilsTest, NullParameterFailsWithTheConversionError) {
  Exec("INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('Empty', NULL)");
  try {
    GetParameter("Empty");
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), kErrInvalidUseOfNull);
    EXPECT_NE(raised.description().find("DBUtils.GetParameter caught: "), std::string::npos);
  }
}

TEST_P(DbUtilsTest, DisconnectedRecordsetsHoldEveryRowAndMayBeEmpty) {
  auto empty = getDisconnectedReadOnlyRecordSet(
      "SELECT PARAMNAME FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'none'");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->IsOpen());
  EXPECT_TRUE(empty->IsEOF());
  auto all = getDisconnectedReadOnlyRecordSet(
      "SELECT PARAMNAME, PARAMVALUE FROM COLLABORATIONPARAMETER ORDER BY PARAMNAME");
  const int32_t count = Scalar("SELECT COUNT(*) FROM COLLABORATIONPARAMETER").ToInt32();
  EXPECT_EQ(all->RecordCount(), count);
  int32_t walked = 0;
  for (; !all->IsEOF(); all->MoveNext()) {
    ++walked;
  }
  EXPECT_EQ(walked, count);
}

TEST_P(DbUtilsTest, FirstFieldReadsTheFirstRowOrNothing) {
  Exec(
      "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('FirstB', 'b'), "
      "('FirstA', 'a'), ('FirstNull', NULL)");
  const std::optional<Variant> first = FirstField(
      "SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE PARAMNAME LIKE 'First%' AND "
      "PARAMVALUE IS NOT NULL ORDER BY PARAMNAME",
      "paramvalue");
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, Variant("a"));
  const std::optional<Variant> null_field = FirstField(
      "SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'FirstNull'", "PARAMVALUE");
  ASSERT_TRUE(null_field.has_value());
  EXPECT_TRUE(null_field->IsNull());
  EXPECT_FALSE(FirstField("SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'none'",
                          "PARAMVALUE")
                   .has_value());
  try {
    FirstField("SELECT NOPE FROM NOWHERE", "NOPE");
    ADD_FAILURE() << "nothing was raised";
  } catch (const Error& raised) {
    EXPECT_EQ(raised.description().find("DBUtils"), std::string::npos) << "not reported";
  }
}

TEST_P(DbUtilsTest, BadSqlIsReportedWithTheStatement) {
  try {
    getDisconnectedReadOnlyRecordSet("SELECT NOPE FROM NOWHERE");
    FAIL();
  } catch (const Error& raised) {
    EXPECT_NE(raised.description().find("Velmora.DBUtils.getDisconnectedReadOnlyRecordSet"),
              std::string::npos);
    EXPECT_NE(raised.description().find("Additional information: SELECT NOPE FROM NOWHERE"),
              std::string::npos);
  }
}

TEST_P(DbUtilsTest, CloseRecordsetAcceptsNothingAndClosedOnes) {
  std::unique_ptr<db::Recordset> none;
  EXPECT_NO_THROW(CloseRecordset(none));
  auto open = getDisconnectedReadOnlyRecordSet("SELECT PARAMNAME FROM COLLABORATIONPARAMETER");
  open->Close();
  EXPECT_NO_THROW(CloseRecordset(open));
  EXPECT_EQ(open, nullptr);
}

TEST_P(DbUtilsTest, ConnectionsAreCheapAndHonourTheirTimeout) {
  for (int i = 0; i < 200; ++i) {
    auto connection = GetConnection();
    ASSERT_TRUE(connection->IsOpen());
    CloseConnection(connection);
  }
  auto timed = GetConnectionWithODBCTimeoutIs(7);
  EXPECT_EQ(timed->statement_timeout(), 7);
}

TEST_P(DbUtilsTest, LikeLiteralsMatchUserWildcardsOnTheEngine) {
  Exec(
      "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('L1', 'AC50%off'), "
      "('L2', 'AC500off'), ('L3', 'it''s_x')");
  const auto matches = [&](const std::string& pattern) {
    return Scalar(
               "SELECT COUNT(*) FROM COLLABORATIONPARAMETER WHERE PARAMNAME LIKE 'L%' AND "
               "PARAMVALUE LIKE " +
               SqlLikeText(pattern))
        .ToInt32();
  };
  EXPECT_EQ(matches("AC50%*"), 1);
  EXPECT_EQ(matches("AC50*"), 2);
  EXPECT_EQ(matches("AC50?off"), 2);
  EXPECT_EQ(matches("it's_x"), 1);
  EXPECT_EQ(matches("it's?x"), 1);
  EXPECT_EQ(matches("ac50*"), 0) << "text comparisons are case-sensitive on both engines";
  EXPECT_EQ(matches("*"), 3);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DbUtilsTest);

TEST(DbUtilsWithoutConfigurationTest, AMissingConnectionStringIsLoggedAndFailsTheConnection) {
  testing::RunOnFreshThread([] {
    testing::TempHome home;
    testing::CaptureLog log;
    ForgetConnectionString();
    try {
      GetConnection();
      FAIL();
    } catch (const Error& raised) {
      EXPECT_EQ(raised.description().rfind("\r\nMETHOD: DBUtils.GetConnection caught: ", 0), 0u);
    }
    bool logged = false;
    for (const auto& entry : log.entries()) {
      logged |= entry.text.find(
                    "Couldn't get the connection string from the Tarvex dll. Trying "
                    "the default connectionstring.") != std::string::npos;
    }
    EXPECT_TRUE(logged);
  });
}

}  // namespace
}  // namespace velmora::core
