#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "velmora/base/error.h"
#include "velmora/base/variant.h"

namespace velmora::sheet {

// The limits of the .xls format. Writing a cell beyond them raises kErrLimitExceeded instead of
// losing the data when the workbook is saved.
inline constexpr int32_t kMaxRows = 65536;
inline constexpr int32_t kMaxColumns = 256;

// Numbers of the adapter's own failures (source "Velmora.Sheet"). A file whose extension is not
// xls or xlt, and a file whose content is not a workbook, raise
// ErrNumber(EnumerationErrors::NotAnExcelFile).
// A missing file raises kErrFileNotFound; a sheet number out of range kErrSubscriptOutOfRange;
// a value that does not fit a property's type kErrTypeMismatch.
inline constexpr int32_t kErrEngineUnavailable = kErrCannotCreateObject;  // no engine process
inline constexpr int32_t kErrEngineFailure = 1004;  // the engine refused or failed a call
inline constexpr int32_t kErrLimitExceeded = 1005;  // a write beyond kMaxRows or kMaxColumns
inline constexpr int32_t kErrEngineBusy = 1006;     // no engine process became free in time

// One cell as reads return it. `value` is Empty for an empty cell, a Double for a number
// (dates, times and booleans are numbers in a sheet), a String for text; for a formula cell it
// is the computed result. `formula` is the formula text ("=A1+1") for a formula cell and ""
// otherwise, in the engine's notation: the office engine separates function arguments with ";"
// ("=SUM(A1;B1)") and accepts that notation when a formula is written.
struct Cell {
  Variant value;
  std::string formula;

  bool HasFormula() const { return !formula.empty(); }
  bool operator==(const Cell&) const = default;
};

// A rectangle of a sheet, 1-based. rows == 0 or columns == 0 means nothing.
struct Area {
  int32_t first_row = 1;
  int32_t first_column = 1;
  int32_t rows = 0;
  int32_t columns = 0;

  bool IsEmpty() const { return rows <= 0 || columns <= 0; }
  int32_t last_row() const { return first_row + rows - 1; }
  int32_t last_column() const { return first_column + columns - 1; }
  bool operator==(const Area&) const = default;
};

// The cells of an area, row by row.
struct CellBlock {
  Area area;
  std::vector<Cell> cells;  // area.rows * area.columns entries

  // REQUIRES: area.first_row <= row <= area.last_row(), same for column (sheet coordinates).
  const Cell& at(int32_t row, int32_t column) const {
    return cells[static_cast<size_t>(row - area.first_row) * static_cast<size_t>(area.columns) +
                 static_cast<size_t>(column - area.first_column)];
  }
};

// The types of custom document properties; the numbers are those callers publish.
enum class PropertyType : int32_t { kNumber = 1, kBoolean = 2, kDate = 3, kText = 4 };

// A custom document property. `value` holds a Double (kNumber), a Bool (kBoolean), a Date
// (kDate) or a String (kText).
struct CustomProperty {
  std::string name;
  PropertyType type = PropertyType::kText;
  Variant value;

  bool operator==(const CustomProperty&) const = default;
};

// An open workbook. Sheets are numbered 1 ... SheetCount() in workbook order. Every failure
// raises velmora::Error (source "Velmora.Sheet") with a description naming what failed.
// The destructor closes the document without saving; a closed workbook raises on every call
// except Close(). Not safe for concurrent use.
class Workbook {
 public:
  virtual ~Workbook() = default;

  // The file name without folder ("Book.xls"); for a workbook never saved, a generated name.
  virtual std::string Name() = 0;
  // The POSIX path it was opened from or last saved to; "" when never saved.
  virtual std::string Path() = 0;
  // True when the document cannot be written (for example a file without write permission
  // opened for update). A read-only open always gives true.
  virtual bool IsReadOnly() = 0;

  virtual int32_t SheetCount() = 0;
  virtual std::vector<std::string> SheetNames() = 0;
  // Adds a sheet after the last one; returns its index. An existing name raises.
  virtual int32_t AddSheet(const std::string& name) = 0;
  virtual void RenameSheet(int32_t sheet, const std::string& name) = 0;
  // Deleting the only sheet raises.
  virtual void DeleteSheet(int32_t sheet) = 0;

  // The smallest area holding every non-empty cell of the sheet; IsEmpty() when it has none.
  virtual Area UsedArea(int32_t sheet) = 0;
  // Every cell of an area in one call. An empty area gives an empty block.
  virtual CellBlock ReadArea(int32_t sheet, const Area& area) = 0;
  // ReadArea(sheet, UsedArea(sheet)).
  virtual CellBlock ReadUsedArea(int32_t sheet) = 0;
  virtual Cell ReadCell(int32_t sheet, int32_t row, int32_t column) = 0;

  // Sets one cell to a value: Empty or Null clears it, a number, Bool or Date becomes a number,
  // anything else becomes literal text (never a formula).
  virtual void WriteValue(int32_t sheet, int32_t row, int32_t column, const Variant& value) = 0;
  // Enters text as a user would type it: "=..." becomes a formula, a number text a number,
  // anything else text; "" clears the cell. An engine may keep inputs and send them with its
  // next other call (every call sees them); an engine failure of an input is raised there.
  virtual void WriteInput(int32_t sheet, int32_t row, int32_t column, const std::string& input) = 0;
  // Writes a block row by row from (row, column): a cell whose formula is not empty is entered
  // as that formula, any other as WriteValue would write its value. All rows must have the
  // same length. Nothing is written when any target cell lies beyond the limits.
  virtual void WriteArea(int32_t sheet, int32_t row, int32_t column,
                         const std::vector<std::vector<Cell>>& rows) = 0;

  // Custom document properties, in the order the document keeps them.
  virtual std::vector<CustomProperty> CustomProperties() = 0;
  // Adds the property, or replaces the value and type of the one with this exact name. A value
  // that does not convert to the type raises kErrTypeMismatch.
  virtual void SetCustomProperty(const CustomProperty& property) = 0;
  // Removes the property with this exact name; nothing happens when there is none.
  virtual void DeleteCustomProperty(const std::string& name) = 0;

  // Saves to Path() in its own format. A workbook never saved, or read-only, raises.
  virtual void Save() = 0;
  // Saves under `path` (POSIX): "xls" in the workbook format, "xlt" as a template; any other
  // extension raises NotAnExcelFile. Path() becomes `path`.
  virtual void SaveAs(const std::string& path) = 0;
  // Closes without saving and releases the engine. Idempotent.
  virtual void Close() = 0;
};

// The source of workbooks: opens, creates and hands out Workbook objects. Paths are POSIX paths
// (callers resolve the library's path texts first). A path whose extension (ASCII case folded)
// is not "xls" or "xlt" raises NotAnExcelFile before the engine is involved; a file whose content
// is not a workbook raises NotAnExcelFile too. Safe for concurrent use.
class Engine {
 public:
  virtual ~Engine() = default;

  // Opens a workbook file. With read_only false the document is opened for writing; whether
  // that succeeded shows in IsReadOnly() (a file without write permission stays read-only).
  // A missing file raises kErrFileNotFound.
  virtual std::unique_ptr<Workbook> Open(const std::string& path, bool read_only) = 0;
  // A new workbook with one sheet, never saved.
  virtual std::unique_ptr<Workbook> Create() = 0;
  // A new workbook, never saved, with the content and formatting of a template (xlt or xls).
  virtual std::unique_ptr<Workbook> CreateFromTemplate(const std::string& template_path) = 0;
  // True when the engine can serve a workbook now (for the real engine: a process can be
  // started and reached). Never raises.
  virtual bool IsAvailable() = 0;
};

}  // namespace velmora::sheet
