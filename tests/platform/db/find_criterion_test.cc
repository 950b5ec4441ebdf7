#include "platform/db/find_criterion.h"

#include <gtest/gtest.h>

#include "platform/db/errors.h"
#include "velmora/base/error.h"

namespace velmora::db {
namespace {

class FindCriterionTest : public ::testing::Test {
 protected:
  static bool Matches(std::string_view criterion, const Variant& value) {
    return MatchesCriterion(ParseFindCriterion(criterion), value);
  }
};

TEST_F(FindCriterionTest, ReadsColumnOperatorAndQuotedValue) {
  FindCriterion criterion = ParseFindCriterion("  USERID = 'it''s me' ");
  EXPECT_EQ(criterion.column, "USERID");
  EXPECT_EQ(criterion.op, FindCriterion::Operator::kEqual);
  EXPECT_EQ(criterion.value, Variant("it's me"));
  criterion = ParseFindCriterion("[Partner Name]<>'x'");
  EXPECT_EQ(criterion.column, "Partner Name");
  EXPECT_EQ(criterion.op, FindCriterion::Operator::kNotEqual);
  EXPECT_EQ(ParseFindCriterion("QTY>=12").value, Variant(int64_t{12}));
  EXPECT_EQ(ParseFindCriterion("PRICE < -2.5").value, Variant(-2.5));
  EXPECT_EQ(ParseFindCriterion("NAME like 'ab*'").op, FindCriterion::Operator::kLike);
}

TEST_F(FindCriterionTest, RefusesWhatItCannotRead) {
  for (std::string_view bad : {"", "= 'x'", "NAME 'x'", "NAME =", "NAME = 'open", "NAME = 'a' 'b'",
                               "NAME = abc", "NAME LIKE 5", "[NAME = 'x'"}) {
    SCOPED_TRACE(bad);
    try {
      ParseFindCriterion(bad);
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), kErrDbBadArgument);
      EXPECT_NE(error.description().find("Find criterion"), std::string::npos);
    }
  }
}

TEST_F(FindCriterionTest, TextComparesExactly) {
  EXPECT_TRUE(Matches("NAME = 'Abc'", Variant("Abc")));
  EXPECT_FALSE(Matches("NAME = 'Abc'", Variant("abc")));
  EXPECT_FALSE(Matches("NAME = 'Abc'", Variant("Abc ")));
  EXPECT_TRUE(Matches("NAME > 'a'", Variant("b")));
  EXPECT_TRUE(Matches("NAME = '12'", Variant(int32_t{12})));
}

TEST_F(FindCriterionTest, NumbersCompareNumerically) {
  EXPECT_TRUE(Matches("QTY = 3", Variant(int32_t{3})));
  EXPECT_TRUE(Matches("QTY = 3", Variant(3.0)));
  EXPECT_TRUE(Matches("QTY = 3", Variant(int64_t{3})));
  EXPECT_TRUE(Matches("QTY = 3", Variant(" 3")));
  EXPECT_FALSE(Matches("QTY = 3", Variant("three")));
  EXPECT_TRUE(Matches("QTY < 10", Variant(int32_t{9})));
  EXPECT_FALSE(Matches("QTY < 10", Variant(int32_t{10})));
  EXPECT_TRUE(Matches("QTY <= 10", Variant(int32_t{10})));
}

TEST_F(FindCriterionTest, NullNeverMatches) {
  EXPECT_FALSE(Matches("NAME = 'x'", Variant::MakeNull()));
  EXPECT_FALSE(Matches("NAME <> 'x'", Variant::MakeNull()));
  EXPECT_FALSE(Matches("QTY <> 1", Variant::MakeNull()));
}

TEST_F(FindCriterionTest, LikeTakesStarAndPercentAsAnyRun) {
  EXPECT_TRUE(Matches("NAME LIKE 'ab*'", Variant("abcdef")));
  EXPECT_TRUE(Matches("NAME LIKE '%def'", Variant("abcdef")));
  EXPECT_TRUE(Matches("NAME LIKE 'a*c*f'", Variant("abcdef")));
  EXPECT_FALSE(Matches("NAME LIKE 'ab*'", Variant("xabc")));
  EXPECT_FALSE(Matches("NAME LIKE 'abc'", Variant("abcd")));
}

}  // namespace
}  // namespace velmora::db
