#include "convert/b2b_excel_position.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/labels.h"
#include "platform/sheet/cell_address.h"
#include "routing/node_queries.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"

namespace velmora::convert {
namespace {

constexpr const char* kPositionSource = "Velmora.B2BExcel.GetAbsoluteCellPosition";

[[noreturn]] void RaiseInvalidAddress(const std::string& expression) {
  Dictionary replacements;
  replacements.Add("[%ADDRESS%]", Variant(expression));
  RaiseError(EnumerationErrors::InValidExcelAddress, kPositionSource,
             core::GetLabelForMessage("ZODAR4529", replacements));
}

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A row number of digits, or nullopt.
std::optional<int32_t> RowNumber(const std::string& text) {
  int64_t number = 0;
  if (!AllDigits(text) || !text::ParseInt64(text, number) || number > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<int32_t>(number);
}

// Column letters and, when digits end the text, the row: "AB12" gives AB and 12, "C" gives C
// and no row. The split is at the start of the trailing run of digits.
struct PlainAddress {
  std::string column;
  std::optional<int32_t> row;
};

PlainAddress SplitAddress(const std::string& text) {
  size_t split = text.size();
  while (split > 0 && text[split - 1] >= '0' && text[split - 1] <= '9') {
    --split;
  }
  PlainAddress address{text::ToUpper(text.substr(0, split)), std::nullopt};
  if (split < text.size()) {
    address.row = RowNumber(text.substr(split));
  }
  return address;
}

bool IsColumn(const std::string& letters) {
  const int32_t number = sheet::ColumnNumber(letters);
  return number > 0;
}

// One condition of a step.
struct Condition {
  std::string left;
  std::optional<EExcelSearchOptions> op;
  std::string value;
};

// Whether `rest` begins like a condition: blanks, a left part (one to three column letters
// with an optional row number, or a row number) and then an operator.
bool StartsCondition(std::string_view rest) {
  const size_t left = std::min(rest.find_first_not_of(' '), rest.size());
  size_t at = left;
  while (at < rest.size() && std::isalpha(static_cast<unsigned char>(rest[at]))) {
    ++at;
  }
  const size_t letters = at - left;
  while (at < rest.size() && std::isdigit(static_cast<unsigned char>(rest[at]))) {
    ++at;
  }
  if (letters > 3 || at == left) {
    return false;
  }
  at = rest.find_first_not_of(' ', at);
  return at != std::string_view::npos && (rest[at] == '<' || rest[at] == '>' || rest[at] == '=');
}

// The conditions of a step, separated by "AND". An "AND" inside a search value ("A=STANDARD")
// separates nothing: only one followed by the start of a condition does.
std::vector<std::string> SplitConditions(const std::string& step) {
  std::vector<std::string> conditions;
  size_t start = 0;
  for (size_t at = step.find("AND"); at != std::string::npos; at = step.find("AND", at + 1)) {
    if (StartsCondition(std::string_view(step).substr(at + 3))) {
      conditions.push_back(step.substr(start, at - start));
      start = at + 3;
    }
  }
  conditions.push_back(step.substr(start));
  return conditions;
}

Condition ParseCondition(const std::string& raw, const xml::Document& xml) {
  std::string condition = text::Trim(raw);
  const bool pattern = !condition.empty() && condition.back() == '?';
  size_t at = std::string::npos;
  std::optional<EExcelSearchOptions> op;
  if ((at = condition.find('>')) != std::string::npos) {
    op = EExcelSearchOptions::GREATERTHAN;
  } else if ((at = condition.find('<')) != std::string::npos) {
    op = EExcelSearchOptions::LessThan;
  } else if ((at = condition.find('=')) != std::string::npos) {
    op = EExcelSearchOptions::Equals;
  }
  if (!op) {
    return Condition{condition, std::nullopt, ""};
  }
  if (pattern) {
    condition.pop_back();
  }
  Condition parsed{text::Trim(condition.substr(0, at)), op, text::Trim(condition.substr(at + 1))};
  if (pattern) {
    parsed.value = routing::node_queries::FirstText(xml, parsed.value);
  }
  return parsed;
}

// Whether the cell value satisfies `op` against `value`.
bool Matches(const Variant& cell, EExcelSearchOptions op, const std::string& value) {
  const std::string cell_text = text::Trim(cell.ToText());
  if (cell_text.empty()) {
    return false;
  }
  if (op == EExcelSearchOptions::Equals) {
    return cell_text == text::Trim(value);
  }
  const Variant search(value);
  if (!cell.IsNumeric() || !search.IsNumeric()) {
    return false;
  }
  const int64_t cell_number = cell.ToInt64();
  const int64_t search_number = search.ToInt64();
  return op == EExcelSearchOptions::GREATERTHAN ? cell_number > search_number
                                                : cell_number < search_number;
}

// How a search walks the sheet.
enum class ScanKind { kRow, kColumnFromAddress, kColumnFromColumn };

class PositionResolver {
 public:
  PositionResolver(PlacementContext& context, int32_t sheet, const std::string& expression)
      : context_(context), sheet_(sheet), expression_(expression) {}

  CellPosition Resolve(int32_t block, int32_t append_offset) {
    CellPosition position;
    if (context_.mode == EWriteMode::Update && !context_.template_used) {
      position = CellPosition{1, "A"};
    }
    for (const std::string& step : text::Split(expression_, "|")) {
      std::vector<Condition> conditions;
      for (const std::string& raw : SplitConditions(step)) {
        conditions.push_back(ParseCondition(raw, context_.xml));
      }
      if (!conditions.front().op) {
        ApplyPlain(conditions.front().left, position);
        continue;
      }
      if (text::Trim(conditions.front().value).empty()) {
        position = CellPosition{};
        continue;
      }
      if (!Search(conditions, position)) {
        PlaceBlock(block, position, append_offset);
      }
    }
    position.row += append_offset;
    return position;
  }

 private:
  void ApplyPlain(const std::string& step, CellPosition& position) {
    if (const auto row = RowNumber(step)) {
      position.row = *row;
    } else {
      const PlainAddress address = SplitAddress(step);
      if (!IsColumn(address.column)) {
        RaiseInvalidAddress(expression_);
      }
      position.column = address.column;
      if (address.row) {
        position.row = *address.row;
      }
    }
    if (position.row == 0 && position.column.empty()) {
      RaiseInvalidAddress(expression_);
    }
  }

  // Scans for the first cell passing every condition; true when found (position set).
  bool Search(const std::vector<Condition>& conditions, CellPosition& position) {
    const Condition& first = conditions.front();
    const sheet::Area used = context_.book.UsedArea(sheet_);
    const int32_t last_row = used.IsEmpty() ? 0 : used.last_row();
    const int32_t last_column = used.IsEmpty() ? 0 : used.last_column();
    ScanKind kind;
    int32_t row = 0;
    int32_t column = 0;
    if (const auto number = RowNumber(first.left)) {
      kind = ScanKind::kRow;
      row = *number;
      column = position.column.empty() ? 1 : sheet::ColumnNumber(position.column);
    } else {
      const PlainAddress address = SplitAddress(first.left);
      if (!IsColumn(address.column)) {
        RaiseInvalidAddress(expression_);
      }
      column = sheet::ColumnNumber(address.column);
      kind = address.row ? ScanKind::kColumnFromAddress : ScanKind::kColumnFromColumn;
      row = address.row ? *address.row : position.row;
    }
    // A scan from row 0 names a cell the sheet does not have.
    if (row < 1 || column < 1) {
      RaiseInvalidAddress(expression_);
    }
    const bool by_row = kind == ScanKind::kRow;
    if (row > last_row || column > last_column) {
      return false;
    }
    const sheet::Area line = by_row ? sheet::Area{row, column, 1, last_column - column + 1}
                                    : sheet::Area{row, column, last_row - row + 1, 1};
    const sheet::CellBlock cells = context_.book.ReadArea(sheet_, line);
    const int32_t count = by_row ? line.columns : line.rows;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t r = by_row ? row : row + i;
      const int32_t c = by_row ? column + i : column;
      if (!Matches(cells.at(r, c).value, *first.op, first.value)) {
        continue;
      }
      const bool all =
          std::all_of(conditions.begin() + 1, conditions.end(),
                      [&](const Condition& extra) { return Holds(extra, kind, r, c); });
      if (all) {
        position = CellPosition{r, sheet::ColumnLetters(c)};
        return true;
      }
    }
    return false;
  }

  // Tests a further condition of a step for the candidate at (row, column).
  bool Holds(const Condition& extra, ScanKind kind, int32_t row, int32_t column) {
    if (!extra.op) {
      return false;
    }
    int32_t target_row = row;
    int32_t target_column = column;
    if (kind == ScanKind::kRow) {
      const auto number = RowNumber(extra.left);
      if (!number) {
        return false;
      }
      target_row = *number;
    } else {
      const PlainAddress address = SplitAddress(extra.left);
      if (!IsColumn(address.column)) {
        return false;
      }
      target_column = sheet::ColumnNumber(address.column);
      if (kind == ScanKind::kColumnFromAddress) {
        if (!address.row) {
          return false;
        }
        target_row = *address.row;
      }
    }
    if (target_row < 1 || target_row > sheet::kMaxRows || target_column > sheet::kMaxColumns) {
      return false;
    }
    return Matches(context_.book.ReadCell(sheet_, target_row, target_column).value, *extra.op,
                   extra.value);
  }

  // A search found nothing: only an element of a repeating block in update mode without
  // template is placed anyway.
  void PlaceBlock(int32_t block, CellPosition& position, int32_t& append_offset) {
    if (context_.mode != EWriteMode::Update || context_.template_used || block < 1) {
      RaiseInvalidAddress(expression_);
    }
    BlockState& blocks = context_.blocks;
    if (block == blocks.last_block_number) {
      position.row = blocks.last_block_row;
    } else {
      position.row = LastUsedRow(context_.book, sheet_) + 1;
      blocks.last_block_row = position.row;
      blocks.last_block_number = block;
    }
    append_offset = 0;
  }

  PlacementContext& context_;
  int32_t sheet_;
  const std::string& expression_;
};

}  // namespace

int32_t LastUsedRow(sheet::Workbook& book, int32_t sheet) {
  const sheet::Area used = book.UsedArea(sheet);
  return used.IsEmpty() ? 0 : used.last_row();
}

CellPosition ResolvePosition(PlacementContext& context, int32_t sheet,
                             const std::string& expression, int32_t block, int32_t append_offset) {
  return PositionResolver(context, sheet, expression).Resolve(block, append_offset);
}

}  // namespace velmora::convert
