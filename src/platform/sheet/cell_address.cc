#include "platform/sheet/cell_address.h"

#include <limits>

namespace velmora::sheet {

std::string ColumnLetters(int32_t column) {
  std::string letters;
  for (int64_t rest = column; rest > 0; rest = (rest - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (rest - 1) % 26));
  }
  return letters;
}

int32_t ColumnNumber(std::string_view letters) {
  int64_t number = 0;
  for (const char c : letters) {
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper < 'A' || upper > 'Z') {
      return 0;
    }
    number = number * 26 + (upper - 'A' + 1);
    if (number > std::numeric_limits<int32_t>::max()) {
      return 0;
    }
  }
  return static_cast<int32_t>(number);
}

std::string AbsoluteAddress(int32_t row, int32_t column) {
  return "$" + ColumnLetters(column) + "$" + std::to_string(row);
}

}  // namespace velmora::sheet
