#include "velmora/base/text.h"

#include <gtest/gtest.h>

#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

TEST(TextTest, HexDigitsHaveTheirValueInEitherCase) {
  EXPECT_EQ(text::HexDigitValue('0'), 0);
  EXPECT_EQ(text::HexDigitValue('9'), 9);
  EXPECT_EQ(text::HexDigitValue('a'), 10);
  EXPECT_EQ(text::HexDigitValue('F'), 15);
  EXPECT_EQ(text::HexDigitValue(u'c'), 12);
  for (char32_t other : {U'g', U'G', U'/', U':', U'@', U'`', U' ', U'\uFF10', U'\0'}) {
    EXPECT_EQ(text::HexDigitValue(other), -1) << static_cast<uint32_t>(other);
  }
  EXPECT_EQ(text::HexDigitValue(static_cast<char>(0xE9)), -1);
}

TEST(TextTest, HexIsUpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(text::Hex(0), "0");
  EXPECT_EQ(text::Hex(5), "5");
  EXPECT_EQ(text::Hex(0x1AD), "1AD");
  EXPECT_EQ(text::Hex(-1), "FFFFFFFF");
  EXPECT_EQ(text::Hex(ErrNumber(EnumerationErrors::MissingParameter)), "800401FE");
  EXPECT_EQ(text::Hex(-2147483647 - 1), "80000000");
}

TEST(TextTest, TrimRemovesBlanksOnly) {
  EXPECT_EQ(text::Trim("  a b  "), "a b");
  EXPECT_EQ(text::Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(text::Trim("   "), "");
  EXPECT_EQ(text::LTrim("  a "), "a ");
  EXPECT_EQ(text::RTrim("  a "), "  a");
}

TEST(TextTest, CaseInsensitiveOperationsFoldAsciiOnly) {
  EXPECT_TRUE(text::IEquals("Velmora.Document", "VELMORA.document"));
  EXPECT_FALSE(text::IEquals("É", "é"));
  EXPECT_EQ(text::IFind("a [%Label1%] b", "[%LABEL"), 2u);
  EXPECT_EQ(text::IFind("abc", "abcd"), std::string::npos);
  EXPECT_TRUE(text::IEndsWith("report.XLS", ".xls"));
}

TEST(TextTest, ReplaceAndSplitHandleEdges) {
  EXPECT_EQ(text::ReplaceAll("[%D%] and [%D%]", "[%D%]", "7"), "7 and 7");
  EXPECT_EQ(text::ReplaceAll("aaa", "", "x"), "aaa");
  EXPECT_EQ(text::Split("a;;b", ";"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(text::Split("", ";"), (std::vector<std::string>{""}));
  int64_t value = 0;
  EXPECT_TRUE(text::ParseInt64(" +12 ", value));
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(text::ParseInt64("12x", value));
  EXPECT_FALSE(text::ParseInt64("-", value));
}

TEST(EnumerationErrorsTest, NumbersAreContiguousFromTheApplicationBase) {
  EXPECT_EQ(ErrNumber(EnumerationErrors::ReferentialAdd), -2147221003);
  EXPECT_EQ(ErrNumber(EnumerationErrors::ReferentialAdd), kApplicationErrorBase + 501);
  EXPECT_EQ(ErrNumber(EnumerationErrors::FileError), -2147220950);
  EXPECT_EQ(static_cast<uint32_t>(ErrNumber(EnumerationErrors::CannotLoadFile)), 0x80040214u);
  EXPECT_EQ(static_cast<uint32_t>(ErrNumber(EnumerationErrors::WrongIOMode)), 0x80040218u);
  EXPECT_EQ(static_cast<uint32_t>(ErrNumber(EnumerationErrors::AlreadyPresent)), 0x80040219u);
  EXPECT_EQ(static_cast<uint32_t>(ErrNumber(EnumerationErrors::NotPresent)), 0x8004021Au);
  EXPECT_EQ(static_cast<uint32_t>(ErrNumber(EnumerationErrors::InsertExcelError)), 0x80040224u);
  for (int32_t offset = 501; offset <= 554; ++offset) {
    EXPECT_FALSE(EnumerationErrorName(kApplicationErrorBase + offset).empty()) << offset;
  }
  EXPECT_EQ(EnumerationErrorName(kApplicationErrorBase + 545), "InValidDataTypeForExcel");
  EXPECT_EQ(EnumerationErrorName(kApplicationErrorBase + 550), "ExcelOpeningsError");
  EXPECT_EQ(EnumerationErrorName(kApplicationErrorBase + 531), "AttachmentsSupported");
  EXPECT_EQ(EnumerationErrorName(kApplicationErrorBase + 555), "");
}

TEST(EnumerationErrorsTest, RaisingCarriesNumberSourceAndDescription) {
  try {
    RaiseError(EnumerationErrors::MissingParameter, "Velmora.FileHandling.WriteFileToDisk_DestFile",
               "The destination file is missing.");
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), ErrNumber(EnumerationErrors::MissingParameter));
    EXPECT_EQ(raised.source(), "Velmora.FileHandling.WriteFileToDisk_DestFile");
    EXPECT_EQ(raised.description(), "The destination file is missing.");
  }
  EXPECT_EQ(static_cast<int32_t>(SENDERMODE::CHANGEDOCTYPEMODE), 4);
}

}  // namespace
}  // namespace velmora
