#include "core/date_parser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velmora::core {
namespace {

constexpr int32_t kEnglishUs = 1033;
constexpr int32_t kEnglishUk = 2057;
constexpr int32_t kDutch = 1043;
constexpr int32_t kGerman = 1031;
constexpr int32_t kFrench = 1036;
constexpr int32_t kSpanish = 3082;
constexpr int32_t kSpanishTraditional = 1034;
constexpr int32_t kItalian = 1040;

std::string Read(const std::string& text, int32_t locale) {
  const std::optional<DateTime> date = ParseDateInLocale(text, locale);
  return date ? date->ToText() : "<null>";
}

TEST(DateParserTest, ReadsTheFirstOfFebruaryInEachLocalesOrder) {
  EXPECT_EQ(Read("2/1/2003", kEnglishUs), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/2003", kEnglishUk), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("1-2-2003", kDutch), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01.02.2003", kGerman), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/2003", kFrench), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("1/2/2003", kSpanish), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("1/2/2003", kSpanishTraditional), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/2003", kItalian), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/2003", kEnglishUs), "2003-01-02 00:00:00");
}

TEST(DateParserTest, ReadsIsoDatesInEveryLocale) {
  for (int32_t locale : {kEnglishUs, kEnglishUk, kDutch, kGerman, 0, 127, 9999}) {
    SCOPED_TRACE(locale);
    EXPECT_EQ(Read("2003-02-01", locale), "2003-02-01 00:00:00");
    EXPECT_EQ(Read(" 2003-02-01T08:30 ", locale), "2003-02-01 08:30:00");
  }
}

TEST(DateParserTest, UnknownLocalesFallBackToTheIsoDefault) {
  EXPECT_EQ(SystemDefaultLocaleId(), kInvariantLocale);
  for (int32_t locale : {0, kInvariantLocale, 1049, -1}) {
    SCOPED_TRACE(locale);
    EXPECT_EQ(Read("01/02/2003", locale), "<null>");
    EXPECT_EQ(Read("1.2.2003", locale), "<null>");
  }
}

TEST(DateParserTest, TwoDigitYearsFallInTheWindowFrom1930To2029) {
  EXPECT_EQ(Read("01/02/03", kEnglishUk), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/29", kEnglishUk), "2029-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/30", kEnglishUk), "1930-02-01 00:00:00");
  EXPECT_EQ(Read("12/31/99", kEnglishUs), "1999-12-31 00:00:00");
  EXPECT_EQ(Read("01/02/003", kEnglishUk), "<null>");
}

TEST(DateParserTest, KeepsAnOptionalTime) {
  EXPECT_EQ(Read("01-02-2003 7:05", kDutch), "2003-02-01 07:05:00");
  EXPECT_EQ(Read("2/1/2003 23:59:58", kEnglishUs), "2003-02-01 23:59:58");
  EXPECT_EQ(Read("01-02-2003 24:00", kDutch), "<null>");
  EXPECT_EQ(Read("01-02-2003 7:5", kDutch), "<null>");
  EXPECT_EQ(Read("01-02-2003 ", kDutch), "2003-02-01 00:00:00");
  EXPECT_EQ(Read("01/02/2003T10:00", kEnglishUk), "<null>");
}

TEST(DateParserTest, TextThatIsNotADateIsNull) {
  for (const char* text : {"", "   ", "31/02/2003", "29/02/2003", "00/01/2003", "1/13/2003", "abc",
                           "1/2", "1/2/2003/4", "1/2-2003", "1//2003", "2003-2-1", "2003/02/01",
                           "1 2 2003", "+1/2/2003", "1/2/20031", "2003-02-01x"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Read(text, kEnglishUk), "<null>");
  }
  EXPECT_EQ(Read("29/02/2004", kEnglishUk), "2004-02-29 00:00:00");
}

}  // namespace
}  // namespace velmora::core
