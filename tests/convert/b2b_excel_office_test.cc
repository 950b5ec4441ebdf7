// Velmora.B2BExcel on the office engine: round trips through .xls files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "platform/sheet/office_engine.h"
#include "support/expectations.h"
#include "support/scoped_sheet_engine.h"
#include "support/temp_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"

namespace velmora {
namespace {

using sheet::PropertyType;
using testing::Contains;

class B2BExcelOfficeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(std::string(VELMORA_OFFICE_PROGRAM) + "/soffice.bin")) {
      GTEST_SKIP() << "the office is not installed";
    }
    sheet::OfficeSettings settings;
    settings.processes = 1;
    settings.work_folder = work_.path();
    engine_ = sheet::NewOfficeEngine(settings);
    scoped_engine_ = std::make_unique<testing::ScopedSheetEngine>(engine_);
  }
  std::string PathFor(const std::string& name) const { return files_.path() + "/" + name; }

  testing::TempFolder work_;
  testing::TempFolder files_;
  std::shared_ptr<sheet::OfficeEngine> engine_;
  std::unique_ptr<testing::ScopedSheetEngine> scoped_engine_;
  B2BExcel excel_;
};

// Column A names, B quantities, C a marker; row 1 headers: saved as `path`.
void SaveItems(sheet::Engine& engine, const std::string& path) {
  auto items = engine.Create();
  items->RenameSheet(1, "Items");
  const std::vector<std::vector<Variant>> rows = {
      {Variant("Item"), Variant("Qty"), Variant("Note")},
      {Variant("Bolt"), Variant(5.0), Variant()},
      {Variant(" Nut "), Variant(20.0), Variant()},
      {Variant("Bolt"), Variant(30.0), Variant("x")}};
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      items->WriteValue(1, static_cast<int32_t>(r) + 1, static_cast<int32_t>(c) + 1, rows[r][c]);
    }
  }
  items->SaveAs(path);
}

// A position expression, the write mode, and the cell that must receive the value.
struct PositionCase {
  std::string expression;
  EWriteMode mode;
  int32_t row;
  int32_t column;
};

constexpr const char* kOrder =
    "<ORDER>"
    "<P B2BPROPLABEL=\"B2B-RECEIVER\" B2BPROPVALUE=\"12;15\" B2BPROPTYPE=\"Text\"/>"
    "<P B2BPROPLABEL=\"Amount\" B2BPROPVALUE=\"12.5\" B2BPROPTYPE=\"Number\"/>"
    "<P B2BPROPLABEL=\"Due\" B2BPROPVALUE=\"2026-03-04\" B2BPROPTYPE=\"Date\"/>"
    "<P B2BPROPLABEL=\"B2B-USESDISTLIST\" B2BPROPVALUE=\"yes\" B2BPROPTYPE=\"Boolean\"/>"
    "<L B2BWORKSHEET=\"Lines\"><N B2BLABELPOS=\"A1\" B2BVALUEPOS=\"B1\">21</N>"
    "<T B2BVALUEPOS=\"C2\">=B1*2</T><U B2BVALUEPOS=\"A3\">Grüße € 日本</U></L>"
    "</ORDER>";

// A template with a bold cell of two decimals (B1 of sheet "Lines"), as flat office XML; the
// office command line turns it into an .xls file.
constexpr const char* kFormattedForm =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
    "<office:automatic-styles><number:number-style style:name=\"N2\"><number:number"
    " number:decimal-places=\"2\" number:min-decimal-places=\"2\" number:min-integer-digits=\"1\"/>"
    "</number:number-style><style:style style:name=\"ce1\" style:family=\"table-cell\""
    " style:data-style-name=\"N2\"><style:text-properties fo:font-weight=\"bold\"/></style:style>"
    "</office:automatic-styles><office:body><office:spreadsheet><table:table table:name=\"Lines\">"
    "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Amount</text:p>"
    "</table:table-cell><table:table-cell table:style-name=\"ce1\"/></table:table-row>"
    "</table:table></office:spreadsheet></office:body></office:document>";

// Converts `file` with the office command line (a private profile in `profile`) into
// `format` in the same folder; the path of the result.
std::string ConvertWithOffice(const std::string& file, const std::string& format,
                              const std::string& profile) {
  const std::filesystem::path source(file);
  const std::string command = "TZ=UTC " + std::string(VELMORA_OFFICE_PROGRAM) +
                              "/soffice --headless --norestore -env:UserInstallation=file://" +
                              profile + " --convert-to " + format + " --outdir " +
                              source.parent_path().string() + " " + file + " >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return (source.parent_path() / source.stem()).string() + "." + format;
}

TEST_F(B2BExcelOfficeTest, CellsFormulasTextAndPropertiesSurviveAnXlsFile) {
  const std::string path = PathFor("order.xls");
  excel_.WriteExcelObjectToFile(excel_.TransformXMLToExcel(kOrder, EWriteMode::Create, 0, false),
                                path, true);
  std::shared_ptr<xml::Document> doc;
  excel_.TransformExcelToXML(path, doc);
  EXPECT_EQ(doc->Xml(),
            "<B2BEXCEL WorkBook=\"order.xls\"><RECEIVER>12</RECEIVER><RECEIVER>15</RECEIVER>"
            "<USESDISTLIST>1</USESDISTLIST><WorkSheet Name=\"Lines\">"
            "<Cell Row=\"1\" Column=\"A\">N</Cell><Cell Row=\"1\" Column=\"B\">21</Cell>"
            "<Cell Row=\"2\" Column=\"C\" Formula=\"=B1*2\">42</Cell>"
            "<Cell Row=\"3\" Column=\"A\">Grüße € 日本</Cell></WorkSheet></B2BEXCEL>");
  // The file keeps the properties with their types, not necessarily in their order.
  std::map<std::string, sheet::CustomProperty> properties;
  for (const auto& property : engine_->Open(path, true)->CustomProperties()) {
    properties[property.name] = property;
  }
  ASSERT_EQ(properties.size(), 4u);
  EXPECT_EQ(properties["B2B-RECEIVER"].value, Variant("12;15"));
  EXPECT_EQ(properties["Amount"],
            (sheet::CustomProperty{"Amount", PropertyType::kNumber, Variant(12.5)}));
  EXPECT_EQ(properties["Due"].type, PropertyType::kDate);
  EXPECT_EQ(properties["Due"].value.ToDate().DateText(), "2026-03-04");
  EXPECT_EQ(properties["B2B-USESDISTLIST"],
            (sheet::CustomProperty{"B2B-USESDISTLIST", PropertyType::kBoolean, Variant(true)}));
}

TEST_F(B2BExcelOfficeTest, ATemplateIsFilledAndKeepsItsContent) {
  const std::string template_path = PathFor("form.xlt");
  {
    auto form = engine_->Create();
    form->RenameSheet(1, "Lines");
    form->WriteInput(1, 5, 1, "Total");
    form->WriteInput(1, 5, 2, "=SUM(B1:B4)");
    form->SaveAs(template_path);
  }
  const std::string out = PathFor("filled.xls");
  excel_.CloseWorkBook(
      excel_.TransformXMLToExcel(kOrder, EWriteMode::Create, 0, true, template_path, out));
  std::shared_ptr<xml::Document> doc;
  excel_.TransformExcelToXML(out, doc);
  EXPECT_TRUE(Contains(doc->Xml(), "<Cell Row=\"5\" Column=\"A\">Total</Cell>")) << doc->Xml();
  EXPECT_TRUE(
      Contains(doc->Xml(), "<Cell Row=\"5\" Column=\"B\" Formula=\"=SUM(B1:B4)\">21</Cell>"))
      << doc->Xml();
}

TEST_F(B2BExcelOfficeTest, AFilledTemplateKeepsItsCellFormatting) {
  testing::TempFolder profile;
  testing::WriteFile(PathFor("form.fods"), kFormattedForm);
  const std::string template_path = ConvertWithOffice(PathFor("form.fods"), "xls", profile.path());
  const std::string out = PathFor("filled.xls");
  excel_.CloseWorkBook(
      excel_.TransformXMLToExcel("<L B2BWORKSHEET=\"Lines\"><A B2BVALUEPOS=\"B1\">21.5</A></L>",
                                 EWriteMode::Create, 0, true, template_path, out));
  const std::string flat = testing::ReadFile(ConvertWithOffice(out, "fods", profile.path()));
  // The written number is shown with the template's two decimals, in the template's bold style.
  const size_t value = flat.find("office:value=\"21.5\"");
  ASSERT_NE(value, std::string::npos) << flat;
  const size_t tag = flat.rfind("<table:table-cell", value);
  const std::string cell = flat.substr(tag, flat.find("</table:table-cell>", value) - tag);
  EXPECT_TRUE(Contains(cell, "<text:p>21.50</text:p>")) << cell;
  std::smatch style_name;
  ASSERT_TRUE(std::regex_search(cell, style_name, std::regex("table:style-name=\"([^\"]+)\"")));
  const size_t style = flat.find("<style:style style:name=\"" + style_name[1].str() + "\"");
  ASSERT_NE(style, std::string::npos);
  const std::string definition = flat.substr(style, flat.find("</style:style>", style) - style);
  EXPECT_TRUE(Contains(definition, "fo:font-weight=\"bold\"")) << definition;
}

TEST_F(B2BExcelOfficeTest, UpdateFindsCellsAndAppendWritesBelow) {
  const std::string path = PathFor("items.xls");
  {
    auto items = engine_->Create();
    items->RenameSheet(1, "Items");
    items->WriteInput(1, 1, 1, "Item");
    items->WriteInput(1, 2, 1, "Bolt");
    items->WriteInput(1, 2, 2, "5");
    items->WriteInput(1, 3, 1, "Nut");
    items->WriteInput(1, 3, 2, "20");
    items->SaveAs(path);
  }
  excel_.CloseWorkBook(excel_.TransformXMLToExcel(
      "<R B2BWORKSHEET=\"Items\"><Q B2BVALUEPOS=\"A=Nut AND B&gt;10|C\">ok</Q>"
      "<W B2BVALUEPOS=\"A=Washer|A\" B2BBLOCK=\"1\">Washer</W></R>",
      EWriteMode::Update, 0, false, path));
  excel_.CloseWorkBook(
      excel_.TransformXMLToExcel("<R B2BWORKSHEET=\"Items\"><N B2BVALUEPOS=\"B1\">7</N></R>",
                                 EWriteMode::Append, 0, false, path));
  auto book = engine_->Open(path, true);
  EXPECT_EQ(book->ReadCell(1, 3, 3).value.ToText(), "ok");
  EXPECT_EQ(book->ReadCell(1, 4, 1).value.ToText(), "Washer");
  EXPECT_EQ(book->ReadCell(1, 5, 2).value.ToText(), "7");
}

TEST_F(B2BExcelOfficeTest, EveryKindOfPositionStepFindsItsCellInARealSheet) {
  const std::string path = PathFor("items.xls");
  const std::vector<PositionCase> cases = {
      {"7", EWriteMode::Update, 7, 1},
      {"D", EWriteMode::Update, 1, 4},
      {"AB", EWriteMode::Update, 1, 28},
      {"C7", EWriteMode::Append, 4 + 7, 3},
      {"ab12", EWriteMode::Update, 12, 28},
      {"C7|9|E", EWriteMode::Update, 9, 5},
      {"3|A=Bolt|D", EWriteMode::Update, 4, 4},
      {"A= Nut|C", EWriteMode::Update, 3, 3},
      {"B>10|C", EWriteMode::Update, 3, 3},
      {"B<30|D", EWriteMode::Update, 2, 4},
      {"A=//CODE?|C", EWriteMode::Update, 3, 3},
      {"A=Bolt AND C=x|D", EWriteMode::Update, 4, 4},
      {"A=Bolt AND B>10|E", EWriteMode::Update, 4, 5},
      {"1=Note|5", EWriteMode::Update, 5, 3},
      {"1=Qty AND 2<10|6", EWriteMode::Update, 6, 2},
      {"A3=Bolt|B", EWriteMode::Update, 4, 2},
      {"A1=Bolt AND B1=Qty|C", EWriteMode::Update, 2, 3},
  };
  for (const PositionCase& each : cases) {
    SCOPED_TRACE(each.expression);
    SaveItems(*engine_, path);
    const std::string xml = "<R B2BWORKSHEET=\"Items\"><CODE>Nut</CODE><E B2BVALUEPOS=\"" +
                            text::ReplaceAll(each.expression, "<", "&lt;") + "\">v</E></R>";
    excel_.CloseWorkBook(excel_.TransformXMLToExcel(xml, each.mode, 0, false, path));
    EXPECT_EQ(engine_->Open(path, true)->ReadCell(1, each.row, each.column).value, Variant("v"));
  }
}

TEST_F(B2BExcelOfficeTest, BlocksFollowTheCellsJustWrittenInARealSheet) {
  const std::string path = PathFor("items.xls");
  SaveItems(*engine_, path);
  excel_.CloseWorkBook(excel_.TransformXMLToExcel(
      "<R B2BWORKSHEET=\"Items\">"
      "<L B2BBLOCK=\"1\"><N B2BVALUEPOS=\"A=Washer|A\" B2BBLOCK=\"1\">Washer</N>"
      "<Q B2BVALUEPOS=\"A=Washer|B\" B2BBLOCK=\"1\">7</Q></L>"
      "<N B2BVALUEPOS=\"A=Screw|A\" B2BBLOCK=\"2\">Screw</N>"
      "<N B2BVALUEPOS=\"A=Bolt|C\" B2BBLOCK=\"3\">found</N></R>",
      EWriteMode::Update, 0, false, path));
  auto book = engine_->Open(path, true);
  EXPECT_EQ(book->ReadCell(1, 5, 1).value, Variant("Washer"));
  EXPECT_EQ(book->ReadCell(1, 5, 2).value, Variant(7.0));
  EXPECT_EQ(book->ReadCell(1, 6, 1).value, Variant("Screw"));
  EXPECT_EQ(book->ReadCell(1, 2, 3).value, Variant("found"));
}

TEST_F(B2BExcelOfficeTest, CsvIsRefusedBeforeTheOfficeIsAsked) {
  std::shared_ptr<xml::Document> doc;
  EXPECT_EQ(testing::RaisedBy([&] { excel_.TransformExcelToXML(PathFor("a.csv"), doc); }).number(),
            ErrNumber(EnumerationErrors::NotAnExcelFile));
}

}  // namespace
}  // namespace velmora
