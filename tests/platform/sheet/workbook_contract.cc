#include "platform/sheet/workbook_contract.h"

#include <algorithm>

#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::testing {
namespace {

using sheet::Cell;
using sheet::CustomProperty;
using sheet::PropertyType;

const int32_t kNotAnExcelFile = ErrNumber(EnumerationErrors::NotAnExcelFile);

TEST_P(WorkbookContractTest, CellsFormulasAndUnicodeSurviveASaveAndOpen) {
  const std::string path = harness().PathFor("round trip.xls");
  {
    auto book = engine().Create();
    ASSERT_EQ(book->SheetCount(), 1);
    book->RenameSheet(1, "Übersicht");
    book->WriteArea(1, 1, 1,
                    {{Cell{Variant(2.5), ""}, Cell{Variant("Grüße, 東京 €"), ""}},
                     {Cell{Variant(4.0), ""}, Cell{Variant(), "=A1+A2"}}});
    book->WriteValue(1, 5, 3, Variant("  spaced  "));
    book->WriteInput(1, 6, 3, "12");
    book->SaveAs(path);
    EXPECT_EQ(book->Path(), path);
    EXPECT_EQ(book->Name(), "round trip.xls");
  }
  auto book = engine().Open(path, true);
  EXPECT_TRUE(book->IsReadOnly());
  ASSERT_EQ(book->SheetNames(), std::vector<std::string>{"Übersicht"});
  EXPECT_EQ(book->UsedArea(1), (sheet::Area{1, 1, 6, 3}));
  const sheet::CellBlock block = book->ReadUsedArea(1);
  EXPECT_EQ(block.at(1, 1), (Cell{Variant(2.5), ""}));
  EXPECT_EQ(block.at(1, 2), (Cell{Variant("Grüße, 東京 €"), ""}));
  EXPECT_EQ(block.at(2, 2).formula, "=A1+A2");
  if (harness().ComputesFormulas()) {
    EXPECT_EQ(block.at(2, 2).value, Variant(6.5));
  }
  EXPECT_EQ(block.at(3, 1), Cell{});
  EXPECT_EQ(block.at(5, 3).value, Variant("  spaced  "));
  EXPECT_EQ(block.at(6, 3).value, Variant(12.0));
  EXPECT_EQ(book->ReadCell(1, 1, 2), block.at(1, 2));
}

TEST_P(WorkbookContractTest, PropertiesOfEveryTypeSurviveASaveAndOpen) {
  const std::string path = harness().PathFor("properties.xls");
  const DateTime when{2024, 2, 29, 13, 45, 10};
  {
    auto book = engine().Create();
    book->SetCustomProperty({"B2B-RECEIVER", PropertyType::kText, Variant("12;15 – Zoë")});
    book->SetCustomProperty({"Count", PropertyType::kNumber, Variant(42.0)});
    book->SetCustomProperty({"Ratio", PropertyType::kNumber, Variant(0.25)});
    book->SetCustomProperty({"B2B-USESDISTLIST", PropertyType::kBoolean, Variant(true)});
    book->SetCustomProperty({"Due", PropertyType::kDate, Variant(when)});
    book->SaveAs(path);
  }
  auto book = engine().Open(path, true);
  auto properties = book->CustomProperties();
  std::sort(properties.begin(), properties.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  EXPECT_EQ(properties, (std::vector<CustomProperty>{
                            {"B2B-RECEIVER", PropertyType::kText, Variant("12;15 – Zoë")},
                            {"B2B-USESDISTLIST", PropertyType::kBoolean, Variant(true)},
                            {"Count", PropertyType::kNumber, Variant(42.0)},
                            {"Due", PropertyType::kDate, Variant(when)},
                            {"Ratio", PropertyType::kNumber, Variant(0.25)},
                        }));
}

TEST_P(WorkbookContractTest, PropertiesAreReplacedAndDeletedByExactName) {
  auto book = engine().Create();
  book->SetCustomProperty({"Flag", PropertyType::kBoolean, Variant(false)});
  book->SetCustomProperty({"Flag", PropertyType::kText, Variant("now text")});
  book->DeleteCustomProperty("flag");
  book->DeleteCustomProperty("Missing");
  EXPECT_EQ(book->CustomProperties(),
            (std::vector<CustomProperty>{{"Flag", PropertyType::kText, Variant("now text")}}));
  book->DeleteCustomProperty("Flag");
  EXPECT_TRUE(book->CustomProperties().empty());
  EXPECT_EQ(RaisedBy([&] {
              book->SetCustomProperty({"N", PropertyType::kNumber, Variant("twelve")});
            }).number(),
            kErrTypeMismatch);
}

TEST_P(WorkbookContractTest, SheetsAreAddedRenamedAndDeletedInOrder) {
  auto book = engine().Create();
  EXPECT_EQ(book->AddSheet("Second"), 2);
  EXPECT_EQ(book->AddSheet("Third"), 3);
  book->RenameSheet(1, "R2AVidode");
  book->DeleteSheet(2);
  EXPECT_EQ(book->SheetNames(), (std::vector<std::string>{"R2AVidode", "Third"}));
  EXPECT_NE(RaisedBy([&] { book->AddSheet("third"); }).number(), 0);
  EXPECT_EQ(RaisedBy([&] { book->DeleteSheet(3); }).number(), kErrSubscriptOutOfRange);
  book->DeleteSheet(1);
  EXPECT_NE(RaisedBy([&] { book->DeleteSheet(1); }).number(), 0);
  EXPECT_EQ(book->SheetCount(), 1);
}

TEST_P(WorkbookContractTest, UsedAreaStartsAtTheFirstUsedCellAndEmptySheetsHaveNone) {
  auto book = engine().Create();
  EXPECT_TRUE(book->UsedArea(1).IsEmpty());
  EXPECT_TRUE(book->ReadUsedArea(1).cells.empty());
  book->WriteValue(1, 3, 2, Variant("x"));
  book->WriteValue(1, 4, 4, Variant(1.0));
  EXPECT_EQ(book->UsedArea(1), (sheet::Area{3, 2, 2, 3}));
  book->WriteValue(1, 4, 4, Variant());
  book->WriteInput(1, 3, 2, "");
  EXPECT_TRUE(book->UsedArea(1).IsEmpty());
}

TEST_P(WorkbookContractTest, InputsAreSeenByLaterCallsInTheOrderWritten) {
  const std::string path = harness().PathFor("inputs.xls");
  auto book = engine().Create();
  ASSERT_EQ(book->AddSheet("Two"), 2);
  for (int32_t row = 1; row <= 3; ++row) {
    book->WriteInput(1, row, 1, std::to_string(row));
    book->WriteInput(1, row, 2, "=A" + std::to_string(row) + "*2");
    book->WriteInput(1, row, 3, "item " + std::to_string(row));
  }
  book->WriteInput(2, 10, 5, "lone");
  book->WriteInput(1, 2, 3, "changed");
  book->WriteInput(1, 3, 3, "gone");
  book->WriteInput(1, 3, 3, "");
  EXPECT_EQ(book->ReadCell(1, 2, 3).value, Variant("changed"));
  book->WriteInput(1, 1, 1, "7");
  book->WriteValue(1, 1, 1, Variant("value wins"));
  const sheet::CellBlock block = book->ReadArea(1, {1, 1, 3, 3});
  EXPECT_EQ(block.at(1, 1).value, Variant("value wins"));
  EXPECT_EQ(block.at(2, 1).value, Variant(2.0));
  EXPECT_EQ(block.at(3, 2).formula, "=A3*2");
  if (harness().ComputesFormulas()) {
    EXPECT_EQ(block.at(3, 2).value, Variant(6.0));
  }
  EXPECT_EQ(block.at(1, 3).value, Variant("item 1"));
  EXPECT_EQ(block.at(3, 3), Cell{});
  EXPECT_EQ(book->ReadCell(2, 10, 5).value, Variant("lone"));

  // Inputs of a sheet deleted next go with it; those of other sheets stay where written.
  book->WriteInput(1, 5, 1, "kept");
  book->WriteInput(2, 1, 1, "dropped");
  book->DeleteSheet(2);
  ASSERT_EQ(book->SheetCount(), 1);
  EXPECT_EQ(book->ReadCell(1, 5, 1).value, Variant("kept"));

  book->WriteInput(1, 6, 1, "saved");
  book->SaveAs(path);
  book->Close();
  EXPECT_EQ(engine().Open(path, true)->ReadCell(1, 6, 1).value, Variant("saved"));
}

TEST_P(WorkbookContractTest, WritesBeyondTheFormatLimitsAreRefused) {
  auto book = engine().Create();
  book->WriteValue(1, sheet::kMaxRows, sheet::kMaxColumns, Variant("last"));
  EXPECT_EQ(RaisedBy([&] { book->WriteValue(1, 65537, 1, Variant("x")); }).number(),
            sheet::kErrLimitExceeded);
  EXPECT_EQ(RaisedBy([&] { book->WriteInput(1, 1, 257, "x"); }).number(), sheet::kErrLimitExceeded);
  EXPECT_EQ(RaisedBy([&] {
              book->WriteArea(1, 65536, 1, {{Cell{Variant("a"), ""}}, {Cell{Variant("b"), ""}}});
            }).number(),
            sheet::kErrLimitExceeded);
  EXPECT_EQ(book->ReadCell(1, 65536, 1), Cell{});
  EXPECT_EQ(book->ReadCell(1, 65536, 256).value, Variant("last"));
}

TEST_P(WorkbookContractTest, OtherExtensionsAreRefusedBeforeTheEngineIsCalled) {
  const int calls_before = harness().EngineCalls();
  for (const std::string name : {"data.csv", "notes.txt", "book.xlsx", "noextension"}) {
    const Error error = RaisedBy([&] { engine().Open(harness().PathFor(name), true); });
    EXPECT_EQ(error.number(), kNotAnExcelFile) << name;
    EXPECT_TRUE(Contains(error.description(), name)) << error.description();
  }
  EXPECT_EQ(RaisedBy([&] { engine().CreateFromTemplate(harness().PathFor("t.csv")); }).number(),
            kNotAnExcelFile);
  auto book = engine().Create();
  EXPECT_EQ(RaisedBy([&] { book->SaveAs(harness().PathFor("out.csv")); }).number(),
            kNotAnExcelFile);
  if (calls_before >= 0) {
    EXPECT_EQ(harness().EngineCalls(), calls_before + 1);  // the Create only
  }
}

TEST_P(WorkbookContractTest, UpperCaseExtensionsAreWorkbooks) {
  const std::string path = harness().PathFor("UPPER.XLS");
  engine().Create()->SaveAs(path);
  EXPECT_EQ(engine().Open(path, true)->SheetCount(), 1);
}

TEST_P(WorkbookContractTest, ATextFileNamedXlsIsRefusedByItsContent) {
  const std::string path = harness().PathFor("fake.xls");
  harness().PutTextFile(path, "Name;Amount\nA;1\nB;2\n");
  EXPECT_EQ(RaisedBy([&] { engine().Open(path, true); }).number(), kNotAnExcelFile);
}

TEST_P(WorkbookContractTest, AMissingFileIsReported) {
  const Error error = RaisedBy([&] { engine().Open(harness().PathFor("missing.xls"), true); });
  EXPECT_EQ(error.number(), kErrFileNotFound);
}

TEST_P(WorkbookContractTest, AReadOnlyFileOpenedForUpdateStaysReadOnly) {
  const std::string path = harness().PathFor("locked.xls");
  engine().Create()->SaveAs(path);
  EXPECT_FALSE(engine().Open(path, false)->IsReadOnly());
  harness().MakeReadOnly(path);
  auto book = engine().Open(path, false);
  EXPECT_TRUE(book->IsReadOnly());
  EXPECT_NE(RaisedBy([&] { book->Save(); }).number(), 0);
}

TEST_P(WorkbookContractTest, SaveWritesInPlaceAndAClosedWorkbookRefusesCalls) {
  const std::string path = harness().PathFor("in place.xls");
  engine().Create()->SaveAs(path);
  {
    auto book = engine().Open(path, false);
    book->WriteValue(1, 1, 1, Variant("updated"));
    book->Save();
    book->Close();
    book->Close();
    EXPECT_NE(RaisedBy([&] { book->SheetCount(); }).number(), 0);
  }
  {
    auto book = engine().Open(path, false);
    book->WriteValue(1, 1, 1, Variant("discarded"));
  }
  EXPECT_EQ(engine().Open(path, true)->ReadCell(1, 1, 1).value, Variant("updated"));
}

TEST_P(WorkbookContractTest, ATemplateGivesAnUnsavedCopyOfItsContent) {
  const std::string template_path = harness().PathFor("form.xlt");
  {
    auto book = engine().Create();
    book->WriteValue(1, 2, 2, Variant("Order"));
    book->SaveAs(template_path);
  }
  const std::string filled = harness().PathFor("filled.xls");
  {
    auto book = engine().CreateFromTemplate(template_path);
    EXPECT_EQ(book->Path(), "");
    EXPECT_EQ(book->ReadCell(1, 2, 2).value, Variant("Order"));
    EXPECT_NE(RaisedBy([&] { book->Save(); }).number(), 0);
    book->WriteValue(1, 3, 2, Variant(7.0));
    book->SaveAs(filled);
  }
  EXPECT_EQ(engine().Open(filled, true)->ReadCell(1, 3, 2).value, Variant(7.0));
  EXPECT_EQ(engine().Open(template_path, true)->ReadCell(1, 3, 2), Cell{});
}

}  // namespace
}  // namespace velmora::testing
