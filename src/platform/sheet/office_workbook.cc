#include "platform/sheet/office_workbook.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/DateTime.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

#include "platform/sheet/uno_support.h"
#include "platform/sheet/workbook_rules.h"
#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::sheet {
namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

constexpr const char* kSource = "Velmora.Sheet";
constexpr sal_Int32 kContentFlags = css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME |
                                    css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA;

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

Any UnoValueOfCell(const Cell& cell) {
  if (cell.value.IsEmpty() || cell.value.IsNull()) {
    return Any();
  }
  if (IsSheetNumber(cell.value)) {
    return Any(SheetNumber(cell.value));
  }
  return Any(ToUno(cell.value.ToText()));
}

Any UnoValueOfProperty(const CustomProperty& property) {
  switch (property.type) {
    case PropertyType::kText:
      return Any(ToUno(property.value.ToText()));
    case PropertyType::kBoolean:
      return Any(property.value.ToBool());
    case PropertyType::kNumber: {
      const double number = property.value.ToDouble();
      // Whole numbers are kept as 32-bit integers, the type other applications give a
      // "Number" property; anything else as a double.
      if (std::trunc(number) == number && number >= std::numeric_limits<sal_Int32>::min() &&
          number <= std::numeric_limits<sal_Int32>::max()) {
        return Any(static_cast<sal_Int32>(number));
      }
      return Any(number);
    }
    case PropertyType::kDate: {
      const DateTime date = property.value.ToDate();
      css::util::DateTime uno;
      uno.Year = static_cast<sal_Int16>(date.year);
      uno.Month = static_cast<sal_uInt16>(date.month);
      uno.Day = static_cast<sal_uInt16>(date.day);
      uno.Hours = static_cast<sal_uInt16>(date.hour);
      uno.Minutes = static_cast<sal_uInt16>(date.minute);
      uno.Seconds = static_cast<sal_uInt16>(date.second);
      return Any(uno);
    }
  }
  throw Error(kErrTypeMismatch, kSource, "Unknown property type");
}

// The property of a stored value; false for a type the interface does not know.
bool PropertyOfUnoValue(const OUString& name, const Any& value, CustomProperty& property) {
  property.name = FromUno(name);
  switch (value.getValueTypeClass()) {
    case css::uno::TypeClass_STRING:
      property.type = PropertyType::kText;
      property.value = FromUno(value.get<OUString>());
      return true;
    case css::uno::TypeClass_BOOLEAN:
      property.type = PropertyType::kBoolean;
      property.value = value.get<bool>();
      return true;
    case css::uno::TypeClass_BYTE:
    case css::uno::TypeClass_SHORT:
    case css::uno::TypeClass_UNSIGNED_SHORT:
    case css::uno::TypeClass_LONG:
    case css::uno::TypeClass_UNSIGNED_LONG:
    case css::uno::TypeClass_HYPER:
    case css::uno::TypeClass_FLOAT:
    case css::uno::TypeClass_DOUBLE:
      property.type = PropertyType::kNumber;
      property.value = value.get<double>();
      return true;
    default:
      break;
  }
  css::util::DateTime date_time;
  if (value >>= date_time) {
    property.type = PropertyType::kDate;
    property.value = DateTime{date_time.Year,  date_time.Month,   date_time.Day,
                              date_time.Hours, date_time.Minutes, date_time.Seconds};
    return true;
  }
  css::util::Date date;
  if (value >>= date) {
    property.type = PropertyType::kDate;
    property.value = DateTime{date.Year, date.Month, date.Day, 0, 0, 0};
    return true;
  }
  return false;
}

Variant ValueOfUno(const Any& value, bool is_formula) {
  double number = 0;
  if (value >>= number) {
    return Variant(number);
  }
  OUString text;
  if ((value >>= text) && (!text.isEmpty() || is_formula)) {
    return Variant(FromUno(text));
  }
  return Variant();
}

// One cell input kept by OfficeWorkbook::WriteInput.
struct PendingInput {
  int32_t sheet;
  int32_t row;
  int32_t column;
  std::string input;
};

// Inputs for a rectangle of one sheet, row by row.
struct InputBlock {
  int32_t sheet;
  int32_t first_row;
  int32_t first_column;
  int32_t last_column;
  std::vector<std::vector<OUString>> rows;
};

class OfficeWorkbook : public Workbook {
 public:
  OfficeWorkbook(std::unique_ptr<OfficePool::Lease> lease,
                 Reference<css::lang::XComponent> document, std::string path, bool locked)
      : lease_(std::move(lease)),
        component_(std::move(document)),
        document_(component_, UNO_QUERY_THROW),
        path_(std::move(path)),
        locked_(locked) {}
  ~OfficeWorkbook() override { Close(); }

  std::string Name() override {
    return Guarded("Reading the workbook's name", [&] {
      if (!path_.empty()) {
        return FileName(path_);
      }
      const Reference<css::frame::XTitle> title(component_, UNO_QUERY);
      return title.is() ? FromUno(title->getTitle()) : std::string("Untitled");
    });
  }
  std::string Path() override {
    RequireOpen();
    return path_;
  }
  bool IsReadOnly() override {
    return Guarded("Reading the read-only state", [&] {
      return locked_ || Reference<css::frame::XStorable>(component_, UNO_QUERY_THROW)->isReadonly();
    });
  }

  int32_t SheetCount() override {
    return Guarded("Counting sheets", [&] { return Sheets()->getCount(); });
  }
  std::vector<std::string> SheetNames() override {
    return Guarded("Listing sheets", [&] {
      std::vector<std::string> names;
      const auto sheets = Sheets();
      for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        names.push_back(FromUno(
            Reference<css::container::XNamed>(sheets->getByIndex(i), UNO_QUERY_THROW)->getName()));
      }
      return names;
    });
  }
  int32_t AddSheet(const std::string& name) override {
    return Guarded("Adding sheet " + name, [&] {
      RequireNewName(name);
      const sal_Int16 position = static_cast<sal_Int16>(Sheets()->getCount());
      document_->getSheets()->insertNewByName(ToUno(name), position);
      sheets_.clear();
      return static_cast<int32_t>(position) + 1;
    });
  }
  void RenameSheet(int32_t sheet, const std::string& name) override {
    Guarded("Renaming sheet " + std::to_string(sheet) + " to " + name, [&] {
      const Reference<css::container::XNamed> named(SheetAt(sheet), UNO_QUERY_THROW);
      if (FromUno(named->getName()) == name) {
        return;
      }
      if (!text::IEquals(FromUno(named->getName()), name)) {
        RequireNewName(name);
      }
      named->setName(ToUno(name));
      if (FromUno(named->getName()) != name) {
        throw Error(kErrEngineFailure, kSource, "The engine refused the sheet name " + name);
      }
    });
  }
  void DeleteSheet(int32_t sheet) override {
    Guarded("Deleting sheet " + std::to_string(sheet), [&] {
      const Reference<css::container::XNamed> named(SheetAt(sheet), UNO_QUERY_THROW);
      if (Sheets()->getCount() == 1) {
        throw Error(kErrEngineFailure, kSource, "A workbook must keep at least one sheet");
      }
      sheets_.clear();
      document_->getSheets()->removeByName(named->getName());
    });
  }

  Area UsedArea(int32_t sheet) override {
    return Guarded("Reading the used area of sheet " + std::to_string(sheet),
                   [&] { return UsedAreaOf(SheetAt(sheet)); });
  }
  CellBlock ReadArea(int32_t sheet, const Area& area) override {
    return Guarded("Reading cells of sheet " + std::to_string(sheet),
                   [&] { return Read(SheetAt(sheet), area); });
  }
  CellBlock ReadUsedArea(int32_t sheet) override {
    return Guarded("Reading sheet " + std::to_string(sheet), [&] {
      const auto target = SheetAt(sheet);
      return Read(target, UsedAreaOf(target));
    });
  }
  Cell ReadCell(int32_t sheet, int32_t row, int32_t column) override {
    return Guarded("Reading a cell of sheet " + std::to_string(sheet), [&] {
      return Read(SheetAt(sheet), {row, column, 1, 1}).cells.front();
    });
  }

  void WriteValue(int32_t sheet, int32_t row, int32_t column, const Variant& value) override {
    Guarded("Writing a cell of sheet " + std::to_string(sheet), [&] {
      RequireWithinLimits(row, column);
      const auto target = SheetAt(sheet);
      if (value.IsEmpty() || value.IsNull()) {
        Clear(target, row, column);
      } else if (IsSheetNumber(value)) {
        target->getCellByPosition(column - 1, row - 1)->setValue(SheetNumber(value));
      } else {
        Reference<css::text::XText>(target->getCellByPosition(column - 1, row - 1), UNO_QUERY_THROW)
            ->setString(ToUno(value.ToText()));
      }
    });
  }
  // Inputs are kept and sent to the engine in blocks by the next other call (see
  // FlushInputs); limits and the sheet number are checked at once.
  void WriteInput(int32_t sheet, int32_t row, int32_t column, const std::string& input) override {
    if (input.empty()) {
      Guarded("Writing a cell of sheet " + std::to_string(sheet), [&] {
        RequireWithinLimits(row, column);
        Clear(SheetAt(sheet), row, column);
      });
      return;
    }
    RequireOpen();
    RequireWithinLimits(row, column);
    Engine("Writing a cell of sheet " + std::to_string(sheet), [&] { SheetAt(sheet); });
    pending_.push_back({sheet, row, column, input});
  }
  void WriteArea(int32_t sheet, int32_t row, int32_t column,
                 const std::vector<std::vector<Cell>>& rows) override {
    Guarded("Writing cells of sheet " + std::to_string(sheet), [&] {
      const auto target = SheetAt(sheet);
      if (rows.empty() || rows.front().empty()) {
        return;
      }
      const size_t width = rows.front().size();
      for (const auto& cells : rows) {
        if (cells.size() != width) {
          throw Error(kErrInvalidProcedureCall, kSource, "Rows of different lengths");
        }
      }
      const int32_t last_row = row + static_cast<int32_t>(rows.size()) - 1;
      const int32_t last_column = column + static_cast<int32_t>(width) - 1;
      RequireWithinLimits(row, column);
      RequireWithinLimits(last_row, last_column);
      Sequence<Sequence<Any>> data(static_cast<sal_Int32>(rows.size()));
      auto* data_rows = data.getArray();
      for (size_t r = 0; r < rows.size(); ++r) {
        data_rows[r].realloc(static_cast<sal_Int32>(width));
        auto* values = data_rows[r].getArray();
        for (size_t c = 0; c < width; ++c) {
          values[c] = rows[r][c].HasFormula() ? Any() : UnoValueOfCell(rows[r][c]);
        }
      }
      const auto range =
          target->getCellRangeByPosition(column - 1, row - 1, last_column - 1, last_row - 1);
      Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(data);
      for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < width; ++c) {
          if (rows[r][c].HasFormula()) {
            target
                ->getCellByPosition(column - 1 + static_cast<int32_t>(c),
                                    row - 1 + static_cast<int32_t>(r))
                ->setFormula(ToUno(rows[r][c].formula));
          }
        }
      }
    });
  }

  std::vector<CustomProperty> CustomProperties() override {
    return Guarded("Reading custom properties", [&] {
      std::vector<CustomProperty> properties;
      const Reference<css::beans::XPropertySet> set(UserProperties(), UNO_QUERY_THROW);
      for (const auto& info : set->getPropertySetInfo()->getProperties()) {
        CustomProperty property;
        if (PropertyOfUnoValue(info.Name, set->getPropertyValue(info.Name), property)) {
          properties.push_back(std::move(property));
        }
      }
      return properties;
    });
  }
  void SetCustomProperty(const CustomProperty& property) override {
    Guarded("Setting custom property " + property.name, [&] {
      const Any value = UnoValueOfProperty(property);
      const auto container = UserProperties();
      const Reference<css::beans::XPropertySet> set(container, UNO_QUERY_THROW);
      const OUString name = ToUno(property.name);
      if (set->getPropertySetInfo()->hasPropertyByName(name)) {
        if (set->getPropertyValue(name).getValueType() == value.getValueType()) {
          set->setPropertyValue(name, value);
          return;
        }
        container->removeProperty(name);
      }
      container->addProperty(name, css::beans::PropertyAttribute::REMOVABLE, value);
    });
  }
  void DeleteCustomProperty(const std::string& name) override {
    Guarded("Deleting custom property " + name, [&] {
      const auto container = UserProperties();
      const Reference<css::beans::XPropertySet> set(container, UNO_QUERY_THROW);
      if (set->getPropertySetInfo()->hasPropertyByName(ToUno(name))) {
        container->removeProperty(ToUno(name));
      }
    });
  }

  void Save() override {
    Guarded("Saving the workbook", [&] {
      if (path_.empty()) {
        throw Error(kErrEngineFailure, kSource,
                    "The workbook has never been saved; save it under a name first");
      }
      if (IsReadOnly()) {
        throw Error(kErrPermissionDenied, kSource, "The workbook is read-only: " + path_);
      }
      Store(path_);
    });
  }
  void SaveAs(const std::string& path) override {
    Guarded("Saving the workbook as " + path, [&] {
      RequireWorkbookExtension(path);
      if (IsWriteProtected(path)) {
        throw Error(kErrPermissionDenied, kSource, "The file may not be written: " + path);
      }
      Store(path);
      path_ = path;
      locked_ = false;
    });
  }
  void Close() override {
    if (!lease_) {
      return;
    }
    try {
      const Reference<css::util::XCloseable> closeable(component_, UNO_QUERY);
      if (closeable.is()) {
        closeable->close(true);
      } else {
        component_->dispose();
      }
    } catch (const css::uno::Exception&) {
      // A document that cannot be closed (its process died) is dropped with its process.
      lease_->process().MarkSuspect();
    }
    sheets_.clear();
    pending_.clear();
    document_.clear();
    component_.clear();
    lease_.reset();
  }

 private:
  // Runs an operation of the workbook: the inputs kept so far reach the engine first, so that
  // every call sees the cells in the order they were written.
  template <class Operation>
  auto Guarded(const std::string& operation, Operation&& run) -> decltype(run()) {
    RequireOpen();
    if (!pending_.empty()) {
      Engine("Writing cells", [&] { FlushInputs(); });
    }
    return Engine(operation, run);
  }
  // Runs engine calls, turning the engine's exceptions into errors that name `operation`.
  template <class Operation>
  auto Engine(const std::string& operation, Operation&& run) -> decltype(run()) {
    try {
      return run();
    } catch (const css::uno::RuntimeException& exception) {
      lease_->process().MarkSuspect();
      throw EngineError(operation, exception);
    } catch (const css::uno::Exception& exception) {
      throw EngineError(operation, exception);
    }
  }
  void RequireOpen() const {
    if (!lease_) {
      throw Error(kErrEngineFailure, kSource, "The workbook is closed");
    }
  }
  Reference<css::container::XIndexAccess> Sheets() {
    return Reference<css::container::XIndexAccess>(document_->getSheets(), UNO_QUERY_THROW);
  }
  // Sends the kept inputs to the engine, the last input of a cell winning. Every engine call is
  // a round trip to the office process, so inputs in consecutive columns of a row, and such
  // rows with the same columns one below the other, go as one block in one call.
  void FlushInputs() {
    std::map<std::tuple<int32_t, int32_t, int32_t>, std::string> cells;
    for (PendingInput& input : pending_) {
      cells[{input.sheet, input.row, input.column}] = std::move(input.input);
    }
    pending_.clear();
    std::vector<InputBlock> blocks;
    std::vector<OUString> run;
    int32_t run_sheet = 0;
    int32_t run_row = 0;
    int32_t run_first = 0;
    const auto end_run = [&] {
      if (run.empty()) {
        return;
      }
      const int32_t run_last = run_first + static_cast<int32_t>(run.size()) - 1;
      if (!blocks.empty() && blocks.back().sheet == run_sheet &&
          blocks.back().first_column == run_first && blocks.back().last_column == run_last &&
          blocks.back().first_row + static_cast<int32_t>(blocks.back().rows.size()) == run_row) {
        blocks.back().rows.push_back(std::move(run));
      } else {
        blocks.push_back({run_sheet, run_row, run_first, run_last, {std::move(run)}});
      }
      run.clear();
    };
    for (auto& [cell, input] : cells) {
      const auto [sheet, row, column] = cell;
      if (run.empty() || sheet != run_sheet || row != run_row ||
          column != run_first + static_cast<int32_t>(run.size())) {
        end_run();
        run_sheet = sheet;
        run_row = row;
        run_first = column;
      }
      run.push_back(ToUno(input));
    }
    end_run();
    for (const InputBlock& block : blocks) {
      WriteBlock(block);
    }
  }
  void WriteBlock(const InputBlock& block) {
    const auto& target = SheetAt(block.sheet);
    const int32_t last_row = block.first_row + static_cast<int32_t>(block.rows.size()) - 1;
    if (block.rows.size() == 1 && block.first_column == block.last_column) {
      target->getCellByPosition(block.first_column - 1, block.first_row - 1)
          ->setFormula(block.rows.front().front());
      return;
    }
    Sequence<Sequence<OUString>> formulas(static_cast<sal_Int32>(block.rows.size()));
    auto* rows = formulas.getArray();
    for (size_t r = 0; r < block.rows.size(); ++r) {
      rows[r] =
          Sequence<OUString>(block.rows[r].data(), static_cast<sal_Int32>(block.rows[r].size()));
    }
    Reference<css::sheet::XCellRangeFormula>(
        target->getCellRangeByPosition(block.first_column - 1, block.first_row - 1,
                                       block.last_column - 1, last_row - 1),
        UNO_QUERY_THROW)
        ->setFormulaArray(formulas);
  }
  // Sheet `sheet` from the references kept since the sheets last changed: every engine call
  // is a round trip to the office process, and looking a sheet up anew for each cell written
  // took more time than writing the cell.
  const Reference<css::sheet::XSpreadsheet>& SheetAt(int32_t sheet) {
    if (sheets_.empty()) {
      const auto sheets = Sheets();
      std::vector<Reference<css::sheet::XSpreadsheet>> found;
      const sal_Int32 count = sheets->getCount();
      for (sal_Int32 i = 0; i < count; ++i) {
        found.emplace_back(sheets->getByIndex(i), UNO_QUERY_THROW);
      }
      sheets_ = std::move(found);
    }
    RequireSheet(sheet, static_cast<int32_t>(sheets_.size()));
    return sheets_[static_cast<size_t>(sheet) - 1];
  }
  void RequireNewName(const std::string& name) {
    for (const std::string& existing : SheetNames()) {
      if (text::IEquals(existing, name)) {
        throw Error(kErrEngineFailure, kSource, "A sheet named " + name + " exists already");
      }
    }
  }
  static void Clear(const Reference<css::sheet::XSpreadsheet>& sheet, int32_t row, int32_t column) {
    Reference<css::sheet::XSheetOperation>(
        sheet->getCellRangeByPosition(column - 1, row - 1, column - 1, row - 1), UNO_QUERY_THROW)
        ->clearContents(kContentFlags);
  }
  static Area UsedAreaOf(const Reference<css::sheet::XSpreadsheet>& sheet) {
    const Reference<css::sheet::XSheetCellCursor> cursor = sheet->createCursor();
    const Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    const auto address =
        Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
    if (address.StartRow == address.EndRow && address.StartColumn == address.EndColumn &&
        sheet->getCellByPosition(address.StartColumn, address.StartRow)->getType() ==
            css::table::CellContentType_EMPTY) {
      return {};
    }
    return {address.StartRow + 1, address.StartColumn + 1, address.EndRow - address.StartRow + 1,
            address.EndColumn - address.StartColumn + 1};
  }
  static CellBlock Read(const Reference<css::sheet::XSpreadsheet>& sheet, const Area& area) {
    CellBlock block;
    if (area.IsEmpty()) {
      return block;
    }
    block.area = area;
    const auto range = sheet->getCellRangeByPosition(area.first_column - 1, area.first_row - 1,
                                                     area.last_column() - 1, area.last_row() - 1);
    const Sequence<Sequence<Any>> data =
        Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
    const Sequence<css::table::CellRangeAddress> formula_ranges =
        Reference<css::sheet::XCellRangesQuery>(range, UNO_QUERY_THROW)
            ->queryContentCells(css::sheet::CellFlags::FORMULA)
            ->getRangeAddresses();
    Sequence<Sequence<OUString>> formulas;
    if (formula_ranges.hasElements()) {
      formulas =
          Reference<css::sheet::XCellRangeFormula>(range, UNO_QUERY_THROW)->getFormulaArray();
    }
    const auto is_formula = [&](sal_Int32 row, sal_Int32 column) {
      for (const auto& address : formula_ranges) {
        if (row >= address.StartRow && row <= address.EndRow && column >= address.StartColumn &&
            column <= address.EndColumn) {
          return true;
        }
      }
      return false;
    };
    block.cells.reserve(static_cast<size_t>(area.rows) * static_cast<size_t>(area.columns));
    for (sal_Int32 r = 0; r < area.rows; ++r) {
      for (sal_Int32 c = 0; c < area.columns; ++c) {
        const bool formula = is_formula(area.first_row - 1 + r, area.first_column - 1 + c);
        block.cells.push_back(
            {ValueOfUno(data[r][c], formula), formula ? FromUno(formulas[r][c]) : std::string()});
      }
    }
    return block;
  }
  Reference<css::beans::XPropertyContainer> UserProperties() {
    return Reference<css::document::XDocumentPropertiesSupplier>(component_, UNO_QUERY_THROW)
        ->getDocumentProperties()
        ->getUserDefinedProperties();
  }
  void Store(const std::string& path) {
    Reference<css::frame::XStorable>(component_, UNO_QUERY_THROW)
        ->storeAsURL(FileUrl(path),
                     Arguments({{"FilterName", Any(FilterFor(path))}, {"Overwrite", Any(true)}}));
  }

  std::unique_ptr<OfficePool::Lease> lease_;
  Reference<css::lang::XComponent> component_;
  Reference<css::sheet::XSpreadsheetDocument> document_;
  // The document's sheets in order; empty until first needed and after a sheet is added or
  // removed (renaming keeps the sheet object).
  std::vector<Reference<css::sheet::XSpreadsheet>> sheets_;
  // Inputs written and not yet sent to the engine, in the order written; dropped by Close.
  std::vector<PendingInput> pending_;
  std::string path_;
  bool locked_;
};

}  // namespace

bool IsWriteProtected(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    return false;
  }
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

OUString FilterFor(const std::string& path) {
  return HasTemplateExtension(path) ? OUString("MS Excel 97 Vorlage/Template")
                                    : OUString("MS Excel 97");
}

std::unique_ptr<Workbook> NewOfficeWorkbook(std::unique_ptr<OfficePool::Lease> lease,
                                            Reference<css::lang::XComponent> document,
                                            std::string path, bool locked) {
  return std::make_unique<OfficeWorkbook>(std::move(lease), std::move(document), std::move(path),
                                          locked);
}

}  // namespace velmora::sheet
