#include "velmora/convert/b2b_excel.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/b2b_excel_fixture.h"
#include "core/labels.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

using sheet::PropertyType;
using testing::B2BExcelTest;
using testing::FakeBookContent;
using testing::RaisedBy;

class B2BExcelToXmlTest : public B2BExcelTest {
 protected:
  std::string ToXml(const std::string& path) {
    std::shared_ptr<xml::Document> doc;
    excel_.TransformExcelToXML(path, doc);
    EXPECT_EQ(engine_->open_workbooks(), 0);
    return doc->Xml();
  }
};

TEST_P(B2BExcelToXmlTest, ListsRoutingPropertiesSheetsAndNonBlankCells) {
  FakeBookContent content = OneSheet("Order", {{{1, 1}, Text("Name")},
                                               {{1, 2}, Text("   ")},
                                               {{2, 3}, sheet::Cell{Variant(4.0), "=2*2"}},
                                               {{3, 2}, Text("Bolt & nut")}});
  content.sheets.push_back(FakeBookContent::Sheet{"Empty", {}});
  content.properties = {{"B2B-DOCTYPE-ID", PropertyType::kText, Variant("ORDERS")},
                        {"Author", PropertyType::kText, Variant("x")},
                        {"B2B-RECEIVER", PropertyType::kText, Variant("12;15")},
                        {"B2B-SENDER", PropertyType::kText, Variant("carol;")},
                        {"B2B-USESDISTLIST", PropertyType::kBoolean, Variant(true)}};
  engine_->PutWorkbook("/in/~Order.xls", content);
  EXPECT_EQ(ToXml("/in/~Order.xls"),
            "<B2BEXCEL WorkBook=\"Order.xls\"><DOCTYPE-ID>ORDERS</DOCTYPE-ID>"
            "<RECEIVER>12</RECEIVER><RECEIVER>15</RECEIVER><SENDER>carol</SENDER><SENDER/>"
            "<USESDISTLIST>1</USESDISTLIST>"
            "<WorkSheet Name=\"Order\"><Cell Row=\"1\" Column=\"A\">Name</Cell>"
            "<Cell Row=\"2\" Column=\"C\" Formula=\"=2*2\">4</Cell>"
            "<Cell Row=\"3\" Column=\"B\">Bolt &amp; nut</Cell></WorkSheet>"
            "<WorkSheet Name=\"Empty\"/></B2BEXCEL>");
}

TEST_P(B2BExcelToXmlTest, DistributionListFlagFalseGivesNoElement) {
  FakeBookContent content = OneSheet("S", {});
  content.properties = {{"B2B-USESDISTLIST", PropertyType::kBoolean, Variant(false)}};
  engine_->PutWorkbook("/in/a.xlt", content);
  EXPECT_EQ(ToXml("/in/a.xlt"), "<B2BEXCEL WorkBook=\"a.xlt\"><WorkSheet Name=\"S\"/></B2BEXCEL>");
}

TEST_P(B2BExcelToXmlTest, OtherExtensionsAreRefusedBeforeTheEngineIsAsked) {
  std::shared_ptr<xml::Document> doc;
  const Error error = RaisedBy([&] { excel_.TransformExcelToXML("/in/orders.csv", doc); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NotAnExcelFile));
  EXPECT_EQ(error.source(), "Velmora.B2BExcel.OpenWorkBook");
  EXPECT_TRUE(testing::Contains(error.description(), core::GetLabel("ZODAR4525")));
  EXPECT_TRUE(testing::Contains(error.description(), "Velmora.B2BExcel.TransformExcelToXML"));
  EXPECT_EQ(engine_->engine_calls(), 0);
}

TEST_P(B2BExcelToXmlTest, ContentThatIsNoWorkbookIsRefused) {
  engine_->PutNonWorkbook("/in/fake.xls");
  std::shared_ptr<xml::Document> doc;
  const Error error = RaisedBy([&] { excel_.TransformExcelToXML("/in/fake.xls", doc); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NotAnExcelFile));
  EXPECT_EQ(engine_->open_workbooks(), 0);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(B2BExcelToXmlTest);

class B2BExcelWriteTest : public B2BExcelTest {};

constexpr const char* kOrderXml =
    "<ORDER B2BORIGINALFILENAME=\"order 7.xls\">"
    "<P B2BPROPLABEL=\"B2B-RECEIVER\" B2BPROPVALUE=\"12;15\" B2BPROPTYPE=\"Text\"/>"
    "<HEAD B2BWORKSHEET=\"Head\"><NO B2BLABELPOS=\"A1\" B2BVALUEPOS=\"B1\">  4711 </NO>"
    "<DATE B2BLABEL=\"Date:\" B2BLABELPOS=\"A2\" B2BVALUE=\"2026-01-02\" B2BVALUEPOS=\"B2\"/>"
    "<LINES B2BWORKSHEET=\"Lines\"><L B2BVALUEPOS=\"C3\">Bolt</L></LINES></HEAD>"
    "</ORDER>";

TEST_P(B2BExcelWriteTest, CreateFillsANewWorkbookWithoutThePlaceholderSheet) {
  WorkBookRef book = excel_.TransformXMLToExcel(kOrderXml, EWriteMode::Create, 0, false);
  ASSERT_TRUE(book);
  sheet::Workbook& sheets = book->Book();
  EXPECT_EQ(sheets.SheetNames(), (std::vector<std::string>{"Head", "Lines"}));
  EXPECT_EQ(sheets.ReadCell(1, 1, 1).value.ToText(), "NO");
  EXPECT_EQ(sheets.ReadCell(1, 1, 2).value.ToText(), "4711");
  EXPECT_EQ(sheets.ReadCell(1, 2, 1).value.ToText(), "Date:");
  // The nested sheet element is written to its own sheet only.
  EXPECT_TRUE(sheets.ReadCell(1, 3, 3).value.IsEmpty());
  EXPECT_EQ(sheets.ReadCell(2, 3, 3).value.ToText(), "Bolt");
  EXPECT_EQ(excel_.GetCustomerPropertyFromExcel(book, "B2B-ORIGINALNAME").ToText(), "order 7.xls");
  EXPECT_EQ(excel_.GetCustomerPropertyFromExcel(book, "B2B-RECEIVER").ToText(), "12;15");
  EXPECT_EQ(excel_.GetCustomerPropertyFromExcel(book, "b2b-receiver").ToText(), "");

  excel_.WriteExcelObjectToFile(book, "/out/order.xls", true);
  EXPECT_FALSE(book->IsOpen());
  EXPECT_EQ(engine_->open_workbooks(), 0);
  EXPECT_EQ(FileCell("/out/order.xls", "Lines", 3, 3), "Bolt");
}

TEST_P(B2BExcelWriteTest, CreateWithoutSheetElementsKeepsThePlaceholderSheet) {
  WorkBookRef book = excel_.TransformXMLToExcel("<A/>", EWriteMode::Create, 0, false);
  EXPECT_EQ(book->Book().SheetNames(), (std::vector<std::string>{"R2AVidode"}));
  excel_.CloseWorkBook(book);
  EXPECT_EQ(engine_->open_workbooks(), 0);
  excel_.CloseWorkBook(book);
  excel_.CloseWorkBook(nullptr);
}

TEST_P(B2BExcelWriteTest, TemplateIsFilledAndSavedUnderTheDestination) {
  engine_->PutWorkbook("/t/order.xlt", OneSheet("Head", {{{1, 1}, Text("Order no.")}}));
  WorkBookRef book = excel_.TransformXMLToExcel(kOrderXml, EWriteMode::Create, 0, true,
                                                "/t/order.xlt", "/work/order.xls");
  ASSERT_TRUE(book);
  excel_.CloseWorkBook(book);
  EXPECT_EQ(FileCell("/work/order.xls", "Head", 1, 2), "4711");
  // Template mode keeps the template's content where the XML writes nothing else.
  EXPECT_EQ(FileCell("/work/order.xls", "Lines", 3, 3), "Bolt");
  EXPECT_EQ(FileCell("/t/order.xlt", "Head", 1, 2), "");
  EXPECT_EQ(FileCell("/t/order.xlt", "Head", 1, 1), "Order no.");
}

TEST_P(B2BExcelWriteTest, BlankLocationsAreMissing) {
  for (const EWriteMode mode : {EWriteMode::Update, EWriteMode::Append}) {
    const Error error = RaisedBy([&] { excel_.TransformXMLToExcel("<A/>", mode, 0, false, " "); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingFileLocation));
    EXPECT_TRUE(testing::Contains(error.description(), core::GetLabel("ZODAR4526")));
  }
  const Error error =
      RaisedBy([&] { excel_.TransformXMLToExcel("<A/>", EWriteMode::Create, 0, true, "", ""); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingFileLocation));
  // A workbook template is copied to its destination, which must be named.
  const Error no_destination = RaisedBy([&] {
    excel_.TransformXMLToExcel("<A/>", EWriteMode::Create, 0, true, "/t/order.xls", " ");
  });
  EXPECT_EQ(no_destination.number(), ErrNumber(EnumerationErrors::MissingFileLocation));
  EXPECT_EQ(engine_->engine_calls(), 0);
}

TEST_P(B2BExcelWriteTest, UpdateWritesInPlaceAndAppendWritesBelowTheUsedRows) {
  engine_->PutWorkbook("/w/book.xls",
                       OneSheet("Data", {{{1, 1}, Text("Head")}, {{3, 2}, Text("last")}}));
  const std::string xml = "<D B2BWORKSHEET=\"Data\"><V B2BVALUEPOS=\"A1\">new</V></D>";
  excel_.CloseWorkBook(
      excel_.TransformXMLToExcel(xml, EWriteMode::Append, 0, false, "/w/book.xls"));
  EXPECT_EQ(FileCell("/w/book.xls", "Data", 4, 1), "new");
  EXPECT_EQ(FileCell("/w/book.xls", "Data", 1, 1), "Head");
  excel_.CloseWorkBook(
      excel_.TransformXMLToExcel(xml, EWriteMode::Update, 0, false, "/w/book.xls"));
  EXPECT_EQ(FileCell("/w/book.xls", "Data", 1, 1), "new");
  EXPECT_EQ(engine_->open_workbooks(), 0);
}

TEST_P(B2BExcelWriteTest, AppendCountsRowsOfASheetUsedOnlyInColumnA) {
  engine_->PutWorkbook("/w/col.xls", OneSheet("Data", {{{2, 1}, Text("x")}, {{3, 1}, Text("y")}}));
  excel_.CloseWorkBook(
      excel_.TransformXMLToExcel("<D B2BWORKSHEET=\"Data\"><V B2BVALUEPOS=\"A1\">z</V></D>",
                                 EWriteMode::Append, 0, false, "/w/col.xls"));
  EXPECT_EQ(FileCell("/w/col.xls", "Data", 3, 1), "y");
  EXPECT_EQ(FileCell("/w/col.xls", "Data", 4, 1), "z");
}

TEST_P(B2BExcelWriteTest, ReadOnlyFileForUpdateIsRecordedAndRefused) {
  const int32_t doc = AddDocument();
  engine_->PutWorkbook("/w/locked.xls", OneSheet("S", {}));
  engine_->SetReadOnly("/w/locked.xls", true);
  const Error error = RaisedBy(
      [&] { excel_.TransformXMLToExcel("<A/>", EWriteMode::Update, doc, false, "/w/locked.xls"); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::ExcelOpeningsError));
  EXPECT_TRUE(testing::Contains(error.description(),
                                "Cannot acces read-only documents for update or append mode"));
  EXPECT_EQ(ErrorLabels(doc), "ZODAR4535");
  EXPECT_TRUE(testing::Contains(
      Scalar("SELECT REPLACEMENTS FROM PUBLICATIONERRORS WHERE DOCUMENTID = " + std::to_string(doc))
          .ToText(),
      "/w/locked.xls"));
  EXPECT_EQ(engine_->open_workbooks(), 0);
}

TEST_P(B2BExcelWriteTest, MalformedXmlNamesTheParserAndTheDocument) {
  const Error error =
      RaisedBy([&] { excel_.TransformXMLToExcel("<A>", EWriteMode::Create, 7, false); });
  EXPECT_EQ(error.source(), "MSXML.DOMDocument");
  EXPECT_TRUE(testing::Contains(error.description(), " DocumentID: 7"));
  EXPECT_EQ(engine_->engine_calls(), 0);
}

TEST_P(B2BExcelWriteTest, CellsBeyondTheFormatLimitsAreAClearError) {
  for (const std::string position : {"IW1", "A65537"}) {
    const Error error = RaisedBy([&] {
      excel_.TransformXMLToExcel(
          "<D B2BWORKSHEET=\"S\"><V B2BVALUEPOS=\"" + position + "\">x</V></D>", EWriteMode::Create,
          0, false);
    });
    EXPECT_EQ(error.number(), sheet::kErrLimitExceeded) << position;
    EXPECT_TRUE(testing::Contains(error.description(), "Velmora.B2BExcel.WriteCell"));
    EXPECT_EQ(engine_->open_workbooks(), 0);
  }
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(B2BExcelWriteTest);

class B2BExcelPropertyTest : public B2BExcelTest {
 protected:
  void SetUpDatabase() override {
    B2BExcelTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    doc_ = AddDocument();
    FakeBookContent content = OneSheet("S", {});
    content.properties = {{"Amount", PropertyType::kNumber, Variant(1.0)}};
    engine_->PutWorkbook("/w/p.xls", content);
  }
  WorkBookRef Fill(const std::string& properties) {
    return excel_.TransformXMLToExcel("<A>" + properties + "</A>", EWriteMode::Update, doc_, false,
                                      "/w/p.xls");
  }
  static std::string Property(const std::string& name, const std::string& value,
                              const std::string& type) {
    return "<P B2BPROPLABEL=\"" + name + "\" B2BPROPVALUE=\"" + value + "\" B2BPROPTYPE=\"" + type +
           "\"/>";
  }
  int32_t doc_ = 0;
};

TEST_P(B2BExcelPropertyTest, ValidValuesAreStoredWithTheirTypes) {
  WorkBookRef book =
      Fill(Property("amount", "12.5", "NUMBER") + Property("Due", "2026-03-04", "Date") +
           Property("Urgent", " Yes ", "boolean") + Property("Off", "0", "Boolean") +
           Property("Note", "free text", "text"));
  const auto properties = book->Book().CustomProperties();
  ASSERT_EQ(properties.size(), 5u);
  EXPECT_EQ(properties[0], (sheet::CustomProperty{"Amount", PropertyType::kNumber, Variant(12.5)}));
  EXPECT_EQ(properties[1].type, PropertyType::kDate);
  EXPECT_EQ(properties[1].value.ToDate(), (DateTime{2026, 3, 4, 0, 0, 0}));
  EXPECT_EQ(properties[2],
            (sheet::CustomProperty{"Urgent", PropertyType::kBoolean, Variant(true)}));
  EXPECT_EQ(properties[3], (sheet::CustomProperty{"Off", PropertyType::kBoolean, Variant(false)}));
  EXPECT_EQ(properties[4].value.ToText(), "free text");
  EXPECT_EQ(ErrorLabels(doc_), "");
}

TEST_P(B2BExcelPropertyTest, BadTypesAndValuesAreRecordedWithoutStoppingTheConversion) {
  WorkBookRef book =
      Fill(Property("Count", "many", "Number") + Property("When", "soon", "Date") +
           Property("Flag", "maybe", "Boolean") + Property("Colour", "red", "Colour") +
           Property("AMOUNT", "text", "Text") + Property("Kept", "1", "Number"));
  EXPECT_EQ(ErrorLabels(doc_), "ZODAR4533,ZODAR4533,ZODAR4533,ZODAR4533,ZODAR4534");
  const auto properties = book->Book().CustomProperties();
  ASSERT_EQ(properties.size(), 2u);
  EXPECT_EQ(properties[0], (sheet::CustomProperty{"Amount", PropertyType::kNumber, Variant(1.0)}));
  EXPECT_EQ(properties[1].name, "Kept");
  const std::string replacements =
      Scalar("SELECT REPLACEMENTS FROM PUBLICATIONERRORS WHERE LABEL = 'ZODAR4534'").ToText();
  EXPECT_TRUE(testing::Contains(replacements, "<REP name=\"[%EXCELPROPERTYTYPE%]\">1</REP>"));
  EXPECT_TRUE(testing::Contains(replacements, "<REP name=\"[%EXCELPROPERTYNAME%]\">Amount</REP>"));
}

TEST_P(B2BExcelPropertyTest, AMissingWorkbookIsReported) {
  const Error error =
      RaisedBy([&] { excel_.SetCustomerPropertyInExcel(nullptr, "A", Variant("1"), "Text"); });
  EXPECT_EQ(error.number(), kErrObjectRequired);
  EXPECT_TRUE(
      testing::Contains(error.description(), "Velmora.B2BExcel.SetCustomerPropertyInExcel"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(B2BExcelPropertyTest);

}  // namespace
}  // namespace velmora
