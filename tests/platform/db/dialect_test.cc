#include "platform/db/dialect.h"

#include <gtest/gtest.h>

namespace velmora::db {
namespace {

class DialectTest : public ::testing::Test {
 protected:
  // The statement as the engines receive it.
  static std::string Translated(std::string_view sql) {
    return TranslateSql(sql, Engine::kSqlite).sql;
  }
};

TEST_F(DialectTest, LeavesOtherStatementsAsWrittenAndSaysSo) {
  for (std::string_view sql :
       {"SELECT * FROM DOCUMENT WHERE DOCUMENTID = 5", "UPDATE T SET A = 'x' WHERE B LIKE 'a%'",
        "SELECT TOP10 FROM T", "SELECT A FROM TOP",
        "DELETE FROM PUBLICATION WHERE (DOCUMENTID = 3)", ""}) {
    SCOPED_TRACE(sql);
    for (Engine engine : {Engine::kSqlite, Engine::kPostgresql}) {
      Translation translation = TranslateSql(sql, engine);
      EXPECT_EQ(translation.sql, sql);
      EXPECT_FALSE(translation.changed);
    }
  }
}

TEST_F(DialectTest, LeadingTopBecomesTrailingLimit) {
  Translation translation = TranslateSql("SELECT TOP 1 * FROM DOCUMENT", Engine::kPostgresql);
  EXPECT_EQ(translation.sql, "SELECT * FROM DOCUMENT LIMIT 1");
  EXPECT_TRUE(translation.changed);
  EXPECT_EQ(Translated("  select top 25 A, B FROM T WHERE A = 1"),
            "  select A, B FROM T WHERE A = 1 LIMIT 25");
  EXPECT_EQ(Translated("SELECT TOP (3) A FROM T"), "SELECT A FROM T LIMIT 3");
}

TEST_F(DialectTest, LimitGoesAfterOrderByAndBeforeTrailingSemicolon) {
  EXPECT_EQ(Translated("SELECT TOP 1 * FROM NOTIFICATIONTEMPLATE WHERE MODE = 1 "
                       " ORDER BY DOCUMENTTYPEID DESC, BUSINESSPARTNERID DESC "),
            "SELECT * FROM NOTIFICATIONTEMPLATE WHERE MODE = 1 "
            " ORDER BY DOCUMENTTYPEID DESC, BUSINESSPARTNERID DESC LIMIT 1 ");
  EXPECT_EQ(Translated("SELECT TOP 5 A FROM T ORDER BY A;"), "SELECT A FROM T ORDER BY A LIMIT 5;");
  EXPECT_EQ(Translated("SELECT TOP 5 A FROM T ORDER BY A ; \n"),
            "SELECT A FROM T ORDER BY A LIMIT 5 ; \n");
  EXPECT_EQ(Translated("SELECT TOP 2 A FROM T WHERE B = 'x;' -- last\n"),
            "SELECT A FROM T WHERE B = 'x;' LIMIT 2 -- last\n");
}

TEST_F(DialectTest, DistinctTopKeepsDistinct) {
  EXPECT_EQ(Translated("SELECT DISTINCT TOP 10 SENDMETHODID FROM SENDMETHOD ORDER BY 1"),
            "SELECT DISTINCT SENDMETHODID FROM SENDMETHOD ORDER BY 1 LIMIT 10");
}

TEST_F(DialectTest, TopThatIsNotLeadingOrIsPercentStaysAsWritten) {
  for (std::string_view sql :
       {"SELECT A FROM T WHERE B IN (SELECT TOP 1 B FROM U)", "SELECT TOP 10 PERCENT A FROM T",
        "SELECT TOP n A FROM T", "SELECT 'x' WHERE 1 = 1 AND 'SELECT TOP 1' = ''"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(Translated(sql), sql);
  }
}

TEST_F(DialectTest, OwnerPrefixIsRemovedInAnyCase) {
  EXPECT_EQ(Translated(" DELETE FROM dbo.PUBLICATION  WHERE DOCUMENTID = 1"),
            " DELETE FROM PUBLICATION  WHERE DOCUMENTID = 1");
  EXPECT_EQ(Translated("SELECT D.A FROM DBO.DOCUMENT D JOIN Dbo.PUBLICATION P ON 1=1"),
            "SELECT D.A FROM DOCUMENT D JOIN PUBLICATION P ON 1=1");
  EXPECT_EQ(Translated("SELECT dbo.DOCUMENT.DOCUMENTID FROM (dbo.DOCUMENT)"),
            "SELECT DOCUMENT.DOCUMENTID FROM (DOCUMENT)");
}

TEST_F(DialectTest, OwnerPrefixInsideLiteralsNamesAndLongerWordsStays) {
  for (std::string_view sql :
       {"SELECT A FROM T WHERE B = 'dbo.DOCUMENT'", "SELECT \"dbo.x\" FROM T",
        "SELECT A FROM xdbo.T", "SELECT A FROM s.dbo.T", "SELECT my_dbo.A FROM T",
        "SELECT A FROM T -- from dbo.T\n"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(Translated(sql), sql);
  }
}

TEST_F(DialectTest, DateLiteralsBecomeIso) {
  EXPECT_EQ(Translated("SELECT A FROM T WHERE D < '1/2/2024' AND E >= '12/31/1999'"),
            "SELECT A FROM T WHERE D < '2024-01-02' AND E >= '1999-12-31'");
  EXPECT_EQ(Translated("UPDATE T SET D = '7/4/2023 3:04:05 PM', E = '7/4/2023 12:00:00 AM'"),
            "UPDATE T SET D = '2023-07-04 15:04:05', E = '2023-07-04 00:00:00'");
  EXPECT_EQ(Translated("SELECT '2/29/2024 23:59:59', '2/29/2024 12:30 pm', '10/10/2010 9:05'"),
            "SELECT '2024-02-29 23:59:59', '2024-02-29 12:30:00', '2010-10-10 09:05:00'");
}

TEST_F(DialectTest, TextsThatAreNotExactlyValidDatesStay) {
  for (std::string_view sql :
       {"SELECT '13/1/2024'", "SELECT '2/30/2023'", "SELECT '2/29/2023'", "SELECT '1/2/24'",
        "SELECT 'due 1/2/2024'", "SELECT '1/2/2024 '", "SELECT '1/2/2024 25:00:00'",
        "SELECT '1/2/2024 13:00:00 PM'", "SELECT '1/2/2024 3:04:05 XM'", "SELECT 1/2/2024",
        "SELECT \"1/2/2024\" FROM T", "SELECT '001/2/2024'"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(Translated(sql), sql);
  }
}

TEST_F(DialectTest, QuotesInsideLiteralsDoNotEndThem) {
  EXPECT_EQ(Translated("SELECT TOP 1 'it''s dbo.x ''1/2/2024''' AS A FROM dbo.T WHERE B = ''"),
            "SELECT 'it''s dbo.x ''1/2/2024''' AS A FROM T WHERE B = '' LIMIT 1");
  EXPECT_EQ(Translated("SELECT A FROM T WHERE B = '''' AND C = dbo.F('1/2/2024')"),
            "SELECT A FROM T WHERE B = '''' AND C = F('2024-01-02')");
}

TEST_F(DialectTest, EveryRuleInOneStatement) {
  EXPECT_EQ(Translated("SELECT TOP 3 A FROM dbo.T WHERE D > '3/4/2021' ORDER BY A;"),
            "SELECT A FROM T WHERE D > '2021-03-04' ORDER BY A LIMIT 3;");
}

TEST_F(DialectTest, PlaceholdersOutsideLiteralsAreNumbered) {
  int count = -1;
  EXPECT_EQ(NumberPlaceholders("INSERT INTO T (A, B, C) VALUES (?, '?', ?) -- ?\n", &count),
            "INSERT INTO T (A, B, C) VALUES ($1, '?', $2) -- ?\n");
  EXPECT_EQ(count, 2);
  EXPECT_EQ(NumberPlaceholders("SELECT \"a?\" FROM T", &count), "SELECT \"a?\" FROM T");
  EXPECT_EQ(count, 0);
}

TEST_F(DialectTest, KeyColumnsGoInFrontOfPlainSelectsOnly) {
  EXPECT_EQ(PrependSelectColumns("SELECT XSLFILENAME FROM RECEIVEMETHOD WHERE A = 1", "K AS X"),
            "SELECT K AS X, XSLFILENAME FROM RECEIVEMETHOD WHERE A = 1");
  EXPECT_EQ(PrependSelectColumns(" select all A FROM T", "K"), " select all K, A FROM T");
  EXPECT_EQ(PrependSelectColumns("SELECT DISTINCT A FROM T", "K"), "");
  EXPECT_EQ(PrependSelectColumns("SELECT A FROM T UNION SELECT A FROM U", "K"), "");
  EXPECT_EQ(PrependSelectColumns("UPDATE T SET A = 1", "K"), "");
  EXPECT_EQ(PrependSelectColumns("SELECT A FROM T WHERE B = 'union'", "K"),
            "SELECT K, A FROM T WHERE B = 'union'");
}

TEST_F(DialectTest, BlankSqlIsOnlyBlanksSemicolonsAndComments) {
  EXPECT_TRUE(IsBlankSql(""));
  EXPECT_TRUE(IsBlankSql(" ;\n -- x\n /* y */ ;"));
  EXPECT_FALSE(IsBlankSql("; SELECT 1"));
  EXPECT_FALSE(IsBlankSql("''"));
}

}  // namespace
}  // namespace velmora::db
