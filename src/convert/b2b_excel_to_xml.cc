// B2BExcel::TransformExcelToXML: a workbook as the B2BEXCEL document.
#include <array>
#include <string>
#include <string_view>

#include "convert/b2b_excel_cleanup.h"
#include "core/general.h"
#include "platform/sheet/cell_address.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"

namespace velmora {
namespace {

struct RoutingProperty {
  std::string_view property;
  std::string_view element;
};

constexpr std::array<RoutingProperty, 8> kRoutingProperties{{
    {"B2B-DOCTYPE-ID", "DOCTYPE-ID"},
    {"B2B-SENDER", "SENDER"},
    {"B2B-CONTACT", "CONTACT"},
    {"B2B-SHOW", "SHOW"},
    {"B2B-RECEIVER", "RECEIVER"},
    {"B2B-BUSINESSPARTNER", "BUSINESSPARTNER"},
    {"B2B-BUS-PART-C", "BUS-PART-C"},
    {"B2B-BUS-PART-S", "BUS-PART-S"},
}};

// Appends element `name` to `parent`, with `content` as its text unless it is blank.
xml::Node AppendElement(xml::Document& doc, const xml::Node& parent, std::string_view name,
                        const std::string& content) {
  xml::Node element = parent.AppendChild(doc.CreateElement(name));
  if (!text::TrimView(content).empty()) {
    element.SetText(content);
  }
  return element;
}

// Sets an attribute only when its name and value are not blank.
void SetAttribute(const xml::Node& element, std::string_view name, const std::string& value) {
  if (!text::TrimView(name).empty() && !text::TrimView(value).empty()) {
    element.SetAttribute(name, value);
  }
}

// The elements of the routing properties, in the workbook's property order.
void AddRoutingElements(sheet::Workbook& book, xml::Document& doc, const xml::Node& root) {
  for (const sheet::CustomProperty& property : book.CustomProperties()) {
    if (text::IEquals(property.name, "B2B-USESDISTLIST")) {
      if (property.value.ToBool()) {
        AppendElement(doc, root, "USESDISTLIST", "1");
      }
      continue;
    }
    for (const RoutingProperty& routing : kRoutingProperties) {
      if (text::IEquals(property.name, routing.property)) {
        for (const std::string& piece : text::Split(property.value.ToText(), ";")) {
          AppendElement(doc, root, routing.element, piece);
        }
      }
    }
  }
}

// One WorkSheet element per sheet with a Cell element per non-blank cell of its used area.
void AddSheetElements(sheet::Workbook& book, xml::Document& doc, const xml::Node& root) {
  const std::vector<std::string> names = book.SheetNames();
  for (size_t i = 0; i < names.size(); ++i) {
    xml::Node sheet_element = AppendElement(doc, root, "WorkSheet", "");
    SetAttribute(sheet_element, "Name", names[i]);
    const sheet::CellBlock cells = book.ReadUsedArea(static_cast<int32_t>(i + 1));
    for (int32_t row = cells.area.first_row; row <= cells.area.last_row(); ++row) {
      for (int32_t column = cells.area.first_column; column <= cells.area.last_column(); ++column) {
        const sheet::Cell& cell = cells.at(row, column);
        const std::string content = cell.value.ToText();
        if (text::TrimView(content).empty()) {
          continue;
        }
        xml::Node cell_element = AppendElement(doc, sheet_element, "Cell", content);
        SetAttribute(cell_element, "Row", std::to_string(row));
        SetAttribute(cell_element, "Column", sheet::ColumnLetters(column));
        if (cell.HasFormula()) {
          SetAttribute(cell_element, "Formula", cell.formula);
        }
      }
    }
  }
}

}  // namespace

void B2BExcel::TransformExcelToXML(const std::string& excelFileLocation,
                                   std::shared_ptr<xml::Document>& xml) {
  WorkBookRef workbook;
  try {
    workbook = OpenWorkBook(excelFileLocation, true);
  } catch (...) {
    core::ReportError("Velmora.B2BExcel.TransformExcelToXML");
  }
  try {
    if (!xml) {
      xml = std::make_shared<xml::Document>();
    }
    sheet::Workbook& book = workbook->Book();
    std::string name = book.Name();
    if (!name.empty() && name.front() == '~') {
      name.erase(0, 1);
    }
    xml::Node root = xml->CreateElement("B2BEXCEL");
    SetAttribute(root, "WorkBook", name);
    AddRoutingElements(book, *xml, root);
    AddSheetElements(book, *xml, root);
    xml->SetDocumentElement(root);
    workbook->Close();
  } catch (...) {
    convert::CloseAfterFailure(workbook);
    core::ReportError("Velmora.B2BExcel.TransformExcelToXML.ContentError");
  }
}

}  // namespace velmora
