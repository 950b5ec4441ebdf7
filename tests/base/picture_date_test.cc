#include <gtest/gtest.h>

#include "picture_test_support.h"
#include "velmora/base/date_time.h"

namespace velmora {
namespace {

class PictureDateTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureDateTest, Writes) { EXPECT_EQ(Formatted(GetParam()), GetParam().expected); }

const Variant kDate(DateTime{2003, 3, 5, 14, 7, 9});

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureDateTest,
    ::testing::Values(
        PictureCase{kDate, "yyyy-mm-dd hh:nn:ss", "2003-03-05 14:07:09"},
        PictureCase{kDate, "d/m/yy", "5/3/03"},
        PictureCase{kDate, "dddd, mmmm d, yyyy", "Wednesday, March 5, 2003"},
        PictureCase{kDate, "ddd mmm", "Wed Mar"}, PictureCase{kDate, "hh:mm", "14:07"},
        PictureCase{kDate, "h:mm AM/PM", "2:07 PM"}, PictureCase{kDate, "h a/p", "2 p"},
        PictureCase{kDate, "w ww q y", "4 10 1 64"}, PictureCase{kDate, "\"Day\" d \\d", "Day 5 d"},
        PictureCase{kDate, "c", "2003-03-05 14:07:09"},
        PictureCase{kDate, "", "2003-03-05 14:07:09"},
        PictureCase{kDate, "Long Date", "Wednesday, March 5, 2003"},
        PictureCase{kDate, "Short Time", "14:07"},
        PictureCase{Variant(DateTime{2003, 3, 5, 0, 0, 0}), "", "2003-03-05"},
        PictureCase{Variant("2003-03-05"), "dd.mm.yyyy", "05.03.2003"},
        PictureCase{Variant(DateTime{2005, 1, 1, 0, 0, 0}), "ww", "1"},
        PictureCase{Variant(DateTime{2005, 1, 2, 0, 0, 0}), "ww", "2"},
        PictureCase{Variant(DateTime{2003, 3, 5, 0, 30, 0}), "hh:nn AMPM", "12:30 AM"},
        PictureCase{Variant(DateTime{2004, 12, 31, 0, 0, 0}), "y", "366"},
        PictureCase{Variant(DateTime{2000, 2, 29, 0, 0, 0}), "dddd y", "Tuesday 60"}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, PictureDateTest,
    ::testing::Values(PictureCase{kDate, "yyyy \"open", "2003 open"},
                      PictureCase{kDate, "d\\", "5"},
                      PictureCase{kDate, "ddddddddd", "Wednesday, March 5, 2003Wed"},
                      PictureCase{kDate, "yyyyy", "200364"}, PictureCase{kDate, "AM/", "A3/"},
                      PictureCase{kDate, "mmmmm", "March3"}));

TEST(CalendarTest, LeapYearsMonthLengthsAndWeekdays) {
  EXPECT_TRUE(DateTime::IsLeapYear(2000));
  EXPECT_FALSE(DateTime::IsLeapYear(1900));
  EXPECT_TRUE(DateTime::IsLeapYear(2024));
  EXPECT_EQ(DateTime::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DateTime::DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DateTime::DaysInMonth(2003, 4), 30);
  EXPECT_EQ((DateTime{1970, 1, 1}.DaysSinceEpoch()), 0);
  EXPECT_EQ((DateTime{1969, 12, 31}.DaysSinceEpoch()), -1);
  EXPECT_EQ((DateTime{1970, 1, 1}.Weekday()), 4);
  EXPECT_EQ((DateTime{1899, 12, 30}.Weekday()), 6);
  EXPECT_EQ((DateTime{2003, 12, 31}.DayOfYear()), 365);
}

TEST(CalendarTest, DigitRunsHonourTheirBounds) {
  struct Case {
    const char* text;
    size_t min, max;
    std::optional<int> value;
    size_t end;
  };
  const Case cases[] = {{"12/", 1, 2, 12, 2}, {"1/", 1, 2, 1, 1},      {"123", 1, 2, {}, 0},
                        {"/1", 1, 2, {}, 0},  {"2003", 4, 4, 2003, 4}, {"203", 4, 4, {}, 0}};
  for (const Case& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(ReadDigitRun(c.text, pos, c.min, c.max), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

}  // namespace
}  // namespace velmora
