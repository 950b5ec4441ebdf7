#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/base/variant.h"

namespace velmora::sheet {

// The rules every engine applies before it touches a file or a cell; failures raise
// velmora::Error with source "Velmora.Sheet".

// True when the extension of `path` (after the last "." of its file name, ASCII case folded)
// is "xls" or "xlt".
bool HasWorkbookExtension(std::string_view path);
// True when the extension is "xlt".
bool HasTemplateExtension(std::string_view path);
// Raises NotAnExcelFile naming the path unless HasWorkbookExtension(path).
void RequireWorkbookExtension(std::string_view path);
// Raises kErrLimitExceeded unless 1 <= row <= kMaxRows and 1 <= column <= kMaxColumns.
void RequireWithinLimits(int32_t row, int32_t column);
// Raises kErrSubscriptOutOfRange unless 1 <= sheet <= count.
void RequireSheet(int32_t sheet, int32_t count);

// Whether a value is written to a cell as a number: a Bool, an integer, a Double or a Date.
bool IsSheetNumber(const Variant& value);
// The number a cell holds for such a value: true 1, false 0, a date its serial day number
// (days since 1899-12-30, the time of day as the fraction). REQUIRES: IsSheetNumber(value).
double SheetNumber(const Variant& value);

}  // namespace velmora::sheet
