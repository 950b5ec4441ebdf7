#include "platform/sheet/workbook_rules.h"

#include "platform/sheet/cell_address.h"
#include "velmora/base/date_time.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/sheet/workbook.h"

namespace velmora::sheet {
namespace {

constexpr const char* kSource = "Velmora.Sheet";

std::string Extension(std::string_view path) {
  const size_t name_start = path.find_last_of("/\\");
  const std::string_view name =
      name_start == std::string_view::npos ? path : path.substr(name_start + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) {
    return {};
  }
  return text::ToLower(name.substr(dot + 1));
}

}  // namespace

bool HasWorkbookExtension(std::string_view path) {
  const std::string extension = Extension(path);
  return extension == "xls" || extension == "xlt";
}

bool HasTemplateExtension(std::string_view path) { return Extension(path) == "xlt"; }

void RequireWorkbookExtension(std::string_view path) {
  if (!HasWorkbookExtension(path)) {
    throw Error(ErrNumber(EnumerationErrors::NotAnExcelFile), kSource,
                "Not a workbook file (extension xls or xlt expected): " + std::string(path));
  }
}

void RequireWithinLimits(int32_t row, int32_t column) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
    const std::string cell =
        column >= 1 ? ColumnLetters(column) + std::to_string(row)
                    : "row " + std::to_string(row) + ", column " + std::to_string(column);
    throw Error(kErrLimitExceeded, kSource,
                "Cell " + cell + " lies outside the workbook format's limits of " +
                    std::to_string(kMaxRows) + " rows and " + std::to_string(kMaxColumns) +
                    " columns");
  }
}

void RequireSheet(int32_t sheet, int32_t count) {
  if (sheet < 1 || sheet > count) {
    throw Error(kErrSubscriptOutOfRange, kSource,
                "No sheet number " + std::to_string(sheet) + " (the workbook has " +
                    std::to_string(count) + ")");
  }
}

bool IsSheetNumber(const Variant& value) {
  return value.IsNumberKind() || value.kind() == Variant::Kind::kDate;
}

double SheetNumber(const Variant& value) {
  if (value.kind() == Variant::Kind::kBool) {
    return value.ToBool() ? 1 : 0;
  }
  if (value.kind() != Variant::Kind::kDate) {
    return value.ToDouble();
  }
  const DateTime date = value.ToDate();
  // Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
  const int64_t year = date.month <= 2 ? date.year - 1 : date.year;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year =
      (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const int64_t days_since_1970 = era * 146097 + day_of_era - 719468;
  constexpr int64_t kDays1899To1970 = 25569;
  const double seconds = date.hour * 3600.0 + date.minute * 60.0 + date.second;
  return static_cast<double>(days_since_1970 + kDays1899To1970) + seconds / 86400.0;
}

}  // namespace velmora::sheet
