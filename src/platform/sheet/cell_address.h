#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::sheet {

// Column letters of a 1-based column number: 1 "A", 26 "Z", 27 "AA", 256 "IV".
// REQUIRES: column >= 1.
std::string ColumnLetters(int32_t column);
// The 1-based number of column letters (ASCII case folded): "A" 1, "ab" 28. 0 when `letters` is
// empty, holds anything but letters, or names a column beyond 32-bit range.
int32_t ColumnNumber(std::string_view letters);
// The absolute address of a cell: row 12, column 28 gives "$AB$12".
std::string AbsoluteAddress(int32_t row, int32_t column);

}  // namespace velmora::sheet
