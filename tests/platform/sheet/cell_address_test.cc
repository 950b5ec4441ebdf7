#include "platform/sheet/cell_address.h"

#include <gtest/gtest.h>

#include "platform/sheet/workbook_rules.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/sheet/workbook.h"

namespace velmora::sheet {
namespace {

using testing::RaisedBy;

TEST(CellAddressTest, ColumnLettersAndNumbersAreInverse) {
  EXPECT_EQ(ColumnLetters(1), "A");
  EXPECT_EQ(ColumnLetters(26), "Z");
  EXPECT_EQ(ColumnLetters(27), "AA");
  EXPECT_EQ(ColumnLetters(28), "AB");
  EXPECT_EQ(ColumnLetters(256), "IV");
  EXPECT_EQ(ColumnLetters(702), "ZZ");
  EXPECT_EQ(ColumnLetters(703), "AAA");
  for (int32_t column = 1; column <= 1000; ++column) {
    ASSERT_EQ(ColumnNumber(ColumnLetters(column)), column);
  }
}

TEST(CellAddressTest, ColumnNumberFoldsCaseAndRefusesAnythingButLetters) {
  EXPECT_EQ(ColumnNumber("ab"), 28);
  EXPECT_EQ(ColumnNumber(""), 0);
  EXPECT_EQ(ColumnNumber("A1"), 0);
  EXPECT_EQ(ColumnNumber("$A"), 0);
  EXPECT_EQ(ColumnNumber("ZZZZZZZZZZ"), 0);
}

TEST(CellAddressTest, AbsoluteAddressHasDollarsBeforeColumnAndRow) {
  EXPECT_EQ(AbsoluteAddress(12, 28), "$AB$12");
  EXPECT_EQ(AbsoluteAddress(1, 1), "$A$1");
}

TEST(WorkbookRulesTest, OnlyXlsAndXltNamesAreWorkbooks) {
  EXPECT_TRUE(HasWorkbookExtension("/a/b.xls"));
  EXPECT_TRUE(HasWorkbookExtension("B.XLT"));
  EXPECT_TRUE(HasTemplateExtension("/a/b.Xlt"));
  EXPECT_FALSE(HasTemplateExtension("/a/b.xls"));
  EXPECT_FALSE(HasWorkbookExtension("/a.xls/b"));
  EXPECT_FALSE(HasWorkbookExtension("/a/b.xlsx"));
  EXPECT_FALSE(HasWorkbookExtension("/a/xls"));
  EXPECT_FALSE(HasWorkbookExtension(""));
  EXPECT_EQ(RaisedBy([] { RequireWorkbookExtension("in.csv"); }).number(),
            ErrNumber(EnumerationErrors::NotAnExcelFile));
}

TEST(WorkbookRulesTest, LimitsNameTheCellOutside) {
  RequireWithinLimits(65536, 256);
  const Error row = RaisedBy([] { RequireWithinLimits(65537, 1); });
  EXPECT_EQ(row.number(), kErrLimitExceeded);
  EXPECT_TRUE(testing::Contains(row.description(), "A65537")) << row.description();
  EXPECT_EQ(RaisedBy([] { RequireWithinLimits(1, 257); }).number(), kErrLimitExceeded);
  EXPECT_EQ(RaisedBy([] { RequireWithinLimits(0, 1); }).number(), kErrLimitExceeded);
  EXPECT_EQ(RaisedBy([] { RequireWithinLimits(1, 0); }).number(), kErrLimitExceeded);
  EXPECT_EQ(RaisedBy([] { RequireSheet(0, 2); }).number(), kErrSubscriptOutOfRange);
}

TEST(WorkbookRulesTest, ValuesBecomeTheNumbersASheetHolds) {
  EXPECT_FALSE(IsSheetNumber(Variant("1")));
  EXPECT_FALSE(IsSheetNumber(Variant()));
  EXPECT_EQ(SheetNumber(Variant(true)), 1);
  EXPECT_EQ(SheetNumber(Variant(false)), 0);
  EXPECT_EQ(SheetNumber(Variant(int32_t{7})), 7);
  EXPECT_EQ(SheetNumber(Variant(DateTime{1899, 12, 30, 0, 0, 0})), 0);
  EXPECT_EQ(SheetNumber(Variant(DateTime{1900, 3, 1, 0, 0, 0})), 61);
  EXPECT_EQ(SheetNumber(Variant(DateTime{2024, 2, 29, 18, 0, 0})), 45351.75);
  EXPECT_EQ(SheetNumber(Variant(DateTime{1899, 12, 29, 0, 0, 0})), -1);
}

}  // namespace
}  // namespace velmora::sheet
