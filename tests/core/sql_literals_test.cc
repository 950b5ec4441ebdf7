#include "core/sql_literals.h"

#include <gtest/gtest.h>

namespace velmora::core {
namespace {

TEST(SqlLiteralsTest, TextLiteralsDoubleQuotesAndCannotBeEnded) {
  EXPECT_EQ(SqlText("O'Brien"), "'O''Brien'");
  EXPECT_EQ(SqlText(""), "''");
  EXPECT_EQ(SqlText("'; DROP TABLE DOCUMENT; --"), "'''; DROP TABLE DOCUMENT; --'");
  EXPECT_EQ(SqlText(std::string("a\0b", 3)), "'ab'");
  EXPECT_EQ(SqlText("Zürich \\ 中"), "'Zürich \\ 中'");
}

TEST(SqlLiteralsTest, LikeLiteralsMapUserWildcardsAndEscapeEngineOnes) {
  EXPECT_EQ(SqlLikeText("ACME"), "'ACME' ESCAPE '!'");
  EXPECT_EQ(SqlLikeText("AC*50%"), "'AC%50!%' ESCAPE '!'");
  EXPECT_EQ(SqlLikeText("a?c_d!"), "'a_c!_d!!' ESCAPE '!'");
  EXPECT_EQ(SqlLikeText("it's*"), "'it''s%' ESCAPE '!'");
}

TEST(SqlLiteralsTest, NumbersAreDecimal) {
  EXPECT_EQ(SqlLong(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(SqlLong(42), "42");
  EXPECT_EQ(SqlByte(255), "255");
}

}  // namespace
}  // namespace velmora::core
