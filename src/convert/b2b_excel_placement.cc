#include "convert/b2b_excel_placement.h"

#include <optional>
#include <string>
#include <vector>

#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "platform/sheet/cell_address.h"
#include "routing/node_queries.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"

namespace velmora::convert {
namespace {

// The 1-based index of the sheet named `name` (case ignored), or 0.
int32_t FindSheet(sheet::Workbook& book, const std::string& name) {
  const std::vector<std::string> names = book.SheetNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (text::IEquals(names[i], name)) {
      return static_cast<int32_t>(i + 1);
    }
  }
  return 0;
}

std::string Attribute(const xml::Node& element, const char* name) {
  return element.GetAttribute(name).value_or("");
}

// The block number of an element: B2BBLOCK when it is a whole number, else 0.
int32_t BlockNumber(const xml::Node& element) {
  int64_t number = 0;
  if (!text::ParseInt64(text::TrimView(Attribute(element, "B2BBLOCK")), number) ||
      number < INT32_MIN || number > INT32_MAX) {
    return 0;
  }
  return static_cast<int32_t>(number);
}

class SheetWriter {
 public:
  SheetWriter(PlacementContext& context, int32_t sheet, std::string sheet_name,
              int32_t append_offset)
      : context_(context),
        sheet_(sheet),
        sheet_name_(std::move(sheet_name)),
        append_offset_(append_offset) {}

  void WriteSubtree(const xml::Node& element) {
    const int32_t block = BlockNumber(element);
    const std::string label = element.GetAttribute("B2BLABEL").value_or(element.Name());
    const std::string value = element.GetAttribute("B2BVALUE").value_or(text::Trim(element.Text()));
    Place(Attribute(element, "B2BLABELPOS"), label, block);
    Place(Attribute(element, "B2BVALUEPOS"), value, block);
    for (const xml::Node& child : element.ChildNodes()) {
      if (child.Type() == xml::NodeType::kElement && !child.GetAttribute("B2BWORKSHEET")) {
        WriteSubtree(child);
      }
    }
  }

 private:
  void Place(const std::string& expression, const std::string& content, int32_t block) {
    if (text::TrimView(content).empty() || text::TrimView(expression).empty()) {
      return;
    }
    const CellPosition position =
        ResolvePosition(context_, sheet_, expression, block, append_offset_);
    if (position.IsCell()) {
      WriteCell(position, content);
    }
  }

  void WriteCell(const CellPosition& position, const std::string& content) {
    try {
      context_.book.WriteInput(sheet_, position.row, sheet::ColumnNumber(position.column), content);
    } catch (...) {
      Dictionary replacements;
      replacements.Add("[%SHEET%]", Variant(sheet_name_));
      replacements.Add("[%COLUMN%]", Variant(position.column));
      replacements.Add("[%ROW%]", Variant(position.row));
      replacements.Add("[%VALUE%]", Variant(content));
      core::ReportError("Velmora.B2BExcel.WriteCell",
                        Variant(core::GetLabelForMessage("ZODAR4530", replacements)));
    }
  }

  PlacementContext& context_;
  int32_t sheet_;
  std::string sheet_name_;
  int32_t append_offset_;
};

}  // namespace

void ProcessWorkSheets(PlacementContext& context) {
  core::Guarded("Velmora.B2BExcel.ProcessWorkSheets", [&] {
    sheet::Workbook& book = context.book;
    const bool create = context.mode == EWriteMode::Create;
    if (create) {
      book.RenameSheet(1, kPlaceholderSheet);
      for (int32_t sheet = book.SheetCount(); sheet > 1; --sheet) {
        book.DeleteSheet(sheet);
      }
    }
    const auto elements = routing::node_queries::AllNodes(context.xml, "//*[@B2BWORKSHEET]");
    bool placeholder_used = false;
    int32_t processed = 0;
    for (const xml::Node& element : elements ? *elements : xml::NodeList()) {
      const std::string name = Attribute(element, "B2BWORKSHEET");
      int32_t sheet = FindSheet(book, name);
      if (sheet == 0) {
        sheet = book.AddSheet(name);
      }
      placeholder_used = placeholder_used || text::IEquals(name, kPlaceholderSheet);
      const int32_t offset = context.mode == EWriteMode::Append ? LastUsedRow(book, sheet) : 0;
      SheetWriter(context, sheet, name, offset).WriteSubtree(element);
      ++processed;
    }
    // A sheet the XML itself names "R2AVidode" holds its data and stays.
    if (create && processed > 0 && !placeholder_used) {
      book.DeleteSheet(FindSheet(book, kPlaceholderSheet));
    }
  });
}

}  // namespace velmora::convert
