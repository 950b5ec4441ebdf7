// Position expressions of B2BExcel, one case per kind of step, through TransformXMLToExcel on
// the in-memory engine.
#include <gtest/gtest.h>

#include <string>

#include "convert/b2b_excel_fixture.h"
#include "core/labels.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

using testing::RaisedBy;

constexpr const char* kBook = "/w/items.xls";

class B2BExcelPositionTest : public testing::B2BExcelTest {
 protected:
  void SetUpDatabase() override {
    B2BExcelTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    // Column A names, B quantities, C a marker; row 1 headers.
    engine_->PutWorkbook(kBook, OneSheet("Items", {{{1, 1}, Text("Item")},
                                                   {{1, 2}, Text("Qty")},
                                                   {{1, 3}, Text("Note")},
                                                   {{2, 1}, Text("Bolt")},
                                                   {{2, 2}, Number(5)},
                                                   {{3, 1}, Text(" Nut ")},
                                                   {{3, 2}, Number(20)},
                                                   {{4, 1}, Text("Bolt")},
                                                   {{4, 2}, Number(30)},
                                                   {{4, 3}, Text("x")}}));
  }

  // Writes "v" at `position` (with optional extra attributes) in `mode`; the workbook is
  // saved (update, append) and closed.
  void Write(const std::string& position, EWriteMode mode, const std::string& extra = "",
             const std::string& inner = "v") {
    const std::string xml = "<R B2BWORKSHEET=\"Items\"><CODE>Nut</CODE><E B2BVALUEPOS=\"" +
                            text::ReplaceAll(position, "<", "&lt;") + "\"" + extra + ">" + inner +
                            "</E></R>";
    excel_.CloseWorkBook(excel_.TransformXMLToExcel(xml, mode, 0, false, kBook));
  }
  std::string At(int32_t row, int32_t column) { return FileCell(kBook, "Items", row, column); }

  void ExpectInvalid(const std::string& position, EWriteMode mode) {
    const Error error = RaisedBy([&] { Write(position, mode); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InValidExcelAddress)) << position;
    EXPECT_EQ(error.source(), "Velmora.B2BExcel.GetAbsoluteCellPosition") << position;
    EXPECT_TRUE(testing::Contains(error.description(), "'" + position + "'")) << position;
    EXPECT_EQ(engine_->open_workbooks(), 0);
  }
};

TEST_P(B2BExcelPositionTest, ARowNumberKeepsTheStartColumnOfUpdateMode) {
  Write("7", EWriteMode::Update);
  EXPECT_EQ(At(7, 1), "v");
}

TEST_P(B2BExcelPositionTest, ColumnLettersKeepTheStartRow) {
  Write("D", EWriteMode::Update);
  EXPECT_EQ(At(1, 4), "v");
}

TEST_P(B2BExcelPositionTest, SeveralLettersAloneAreAColumn) {
  Write("AB", EWriteMode::Update);
  EXPECT_EQ(At(1, 28), "v");
}

TEST_P(B2BExcelPositionTest, CellAddressesSetColumnAndRow) {
  Write("C7", EWriteMode::Append);
  EXPECT_EQ(At(4 + 7, 3), "v");
  Write("ab12", EWriteMode::Update);
  EXPECT_EQ(At(12, 28), "v");
}

TEST_P(B2BExcelPositionTest, LaterStepsRefineEarlierOnes) {
  Write("C7|9|E", EWriteMode::Update);
  EXPECT_EQ(At(9, 5), "v");
}

TEST_P(B2BExcelPositionTest, EqualsSearchesAColumnFromTheCurrentRow) {
  Write("A=Bolt|C", EWriteMode::Update);
  EXPECT_EQ(At(2, 3), "v");
  Write("3|A=Bolt|D", EWriteMode::Update);
  EXPECT_EQ(At(4, 4), "v");
}

TEST_P(B2BExcelPositionTest, EqualsComparesTrimmedTexts) {
  Write("A= Nut|C", EWriteMode::Update);
  EXPECT_EQ(At(3, 3), "v");
}

TEST_P(B2BExcelPositionTest, GreaterAndLessCompareNumbers) {
  Write("B>10|C", EWriteMode::Update);
  EXPECT_EQ(At(3, 3), "v");
  Write("B<30|D", EWriteMode::Update);
  EXPECT_EQ(At(2, 4), "v");
}

TEST_P(B2BExcelPositionTest, AQuestionMarkTakesTheValueFromTheInputXml) {
  Write("A=//CODE?|C", EWriteMode::Update);
  EXPECT_EQ(At(3, 3), "v");
}

TEST_P(B2BExcelPositionTest, ABlankSearchValueLeavesNoCell) {
  Write("A=//MISSING?", EWriteMode::Update);
  EXPECT_EQ(At(1, 1), "Item");
  EXPECT_EQ(engine_->open_workbooks(), 0);
}

TEST_P(B2BExcelPositionTest, AndConditionsTestTheCandidateRow) {
  Write("A=Bolt AND C=x|D", EWriteMode::Update);
  EXPECT_EQ(At(4, 4), "v");
  Write("A=Bolt AND B>10|E", EWriteMode::Update);
  EXPECT_EQ(At(4, 5), "v");
  EXPECT_EQ(At(2, 5), "");
}

TEST_P(B2BExcelPositionTest, AndInsideASearchValueSeparatesNothing) {
  Write("A5", EWriteMode::Update, "", "STANDARD");
  Write("B5", EWriteMode::Update, "", "3");
  Write("A=STANDARD|C", EWriteMode::Update);
  EXPECT_EQ(At(5, 3), "v");
  Write("A=STANDARD AND B<10|D", EWriteMode::Update);
  EXPECT_EQ(At(5, 4), "v");
  Write("A=STANDARDANDB>1|E", EWriteMode::Update);
  EXPECT_EQ(At(5, 5), "v");
  ExpectInvalid("A=STANDARD AND B>10", EWriteMode::Update);
}

TEST_P(B2BExcelPositionTest, ARowScanRunsRightFromTheCurrentColumn) {
  Write("1=Note|5", EWriteMode::Update);
  EXPECT_EQ(At(5, 3), "v");
  Write("1=Qty AND 2<10|6", EWriteMode::Update);
  EXPECT_EQ(At(6, 2), "v");
}

TEST_P(B2BExcelPositionTest, AnAddressScanRunsDownFromThatCell) {
  Write("A3=Bolt|B", EWriteMode::Update);
  EXPECT_EQ(At(4, 2), "v");
  Write("A1=Bolt AND B1=Qty|C", EWriteMode::Update);
  EXPECT_EQ(At(2, 3), "v");
}

TEST_P(B2BExcelPositionTest, NothingFoundIsAnInvalidAddress) {
  ExpectInvalid("A=Washer", EWriteMode::Update);
  ExpectInvalid("2|A=Bolt AND B>100", EWriteMode::Append);
}

TEST_P(B2BExcelPositionTest, StepsThatNameNoCellAreInvalid) {
  ExpectInvalid("1A", EWriteMode::Update);
  ExpectInvalid("0", EWriteMode::Append);
  // A column scan before any row is known would start at row 0.
  ExpectInvalid("A=Bolt", EWriteMode::Append);
}

TEST_P(B2BExcelPositionTest, BlocksOfUpdateModeGoBelowTheUsedRows) {
  const std::string xml =
      "<R B2BWORKSHEET=\"Items\">"
      "<L B2BBLOCK=\"1\"><N B2BVALUEPOS=\"A=Washer|A\" B2BBLOCK=\"1\">Washer</N>"
      "<Q B2BVALUEPOS=\"A=Washer|B\" B2BBLOCK=\"1\">7</Q></L>"
      "<N B2BVALUEPOS=\"A=Screw|A\" B2BBLOCK=\"2\">Screw</N>"
      "<N B2BVALUEPOS=\"A=Bolt|C\" B2BBLOCK=\"3\">found</N></R>";
  excel_.CloseWorkBook(excel_.TransformXMLToExcel(xml, EWriteMode::Update, 0, false, kBook));
  EXPECT_EQ(At(5, 1), "Washer");
  EXPECT_EQ(At(5, 2), "7");
  EXPECT_EQ(At(6, 1), "Screw");
  EXPECT_EQ(At(2, 3), "found");
}

TEST_P(B2BExcelPositionTest, BlocksNeedUpdateModeWithoutTemplate) {
  const std::string block = " B2BBLOCK=\"1\"";
  const Error error = RaisedBy([&] { Write("4|A=Washer", EWriteMode::Append, block); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InValidExcelAddress));
  const Error no_block =
      RaisedBy([&] { Write("A=Washer", EWriteMode::Update, " B2BBLOCK=\"x\""); });
  EXPECT_EQ(no_block.number(), ErrNumber(EnumerationErrors::InValidExcelAddress));
}

TEST_P(B2BExcelPositionTest, LabelsUseTheElementNameUnlessGiven) {
  excel_.CloseWorkBook(excel_.TransformXMLToExcel(
      "<R B2BWORKSHEET=\"Items\"><Total B2BLABELPOS=\"E1\" B2BVALUEPOS=\"F1\">  42 </Total>"
      "<T B2BLABEL=\"Sum\" B2BLABELPOS=\"E2\"/><U B2BVALUEPOS=\"E3\">   </U></R>",
      EWriteMode::Update, 0, false, kBook));
  EXPECT_EQ(At(1, 5), "Total");
  EXPECT_EQ(At(1, 6), "42");
  EXPECT_EQ(At(2, 5), "Sum");
  EXPECT_EQ(At(3, 5), "");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(B2BExcelPositionTest);

}  // namespace
}  // namespace velmora
