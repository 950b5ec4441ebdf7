#include "core/date_parser.h"

#include <array>
#include <optional>
#include <string_view>

#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

enum class FieldOrder { kIsoOnly, kMonthDayYear, kDayMonthYear };

FieldOrder OrderOf(int32_t locale_id) {
  switch (locale_id) {
    case 1033:
      return FieldOrder::kMonthDayYear;
    case 2057:
    case 1043:
    case 1031:
    case 1036:
    case 3082:
    case 1034:
    case 1040:
      return FieldOrder::kDayMonthYear;
    default:
      return FieldOrder::kIsoOnly;
  }
}

// Reads a run of 1 to `max_digits` digits at `pos`; `pos` moves past it.
bool ReadDigits(std::string_view text, size_t& pos, size_t max_digits, int& value, size_t& digits) {
  const size_t start = pos;
  const std::optional<int> read = ReadDigitRun(text, pos, 1, max_digits);
  digits = pos - start;
  value = read.value_or(0);
  return read.has_value();
}

// "h:mm" or "h:mm:ss" making up all of `text`.
bool ReadTime(std::string_view text, DateTime& value) {
  size_t pos = 0;
  size_t digits = 0;
  if (!ReadDigits(text, pos, 2, value.hour, digits) || pos >= text.size() || text[pos] != ':') {
    return false;
  }
  ++pos;
  if (!ReadDigits(text, pos, 2, value.minute, digits) || digits != 2) {
    return false;
  }
  if (pos == text.size()) {
    return true;
  }
  if (text[pos] != ':') {
    return false;
  }
  ++pos;
  return ReadDigits(text, pos, 2, value.second, digits) && digits == 2 && pos == text.size();
}

// The three digit groups of a date part and the separator between them.
struct DateFields {
  std::array<int, 3> values{};
  std::array<size_t, 3> digits{};
  char separator = 0;
};

bool ReadFields(std::string_view text, DateFields& fields) {
  size_t pos = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= text.size()) {
        return false;
      }
      const char c = text[pos];
      if (i == 1 && c != '/' && c != '-' && c != '.') {
        return false;
      }
      if (i == 1) {
        fields.separator = c;
      } else if (c != fields.separator) {
        return false;
      }
      ++pos;
    }
    if (!ReadDigits(text, pos, 4, fields.values[i], fields.digits[i])) {
      return false;
    }
  }
  return pos == text.size();
}

int WindowedYear(int value, size_t digits) {
  if (digits == 4) {
    return value;
  }
  return value < 30 ? 2000 + value : 1900 + value;
}

bool ReadDate(std::string_view text, FieldOrder order, DateTime& value) {
  DateFields fields;
  if (!ReadFields(text, fields)) {
    return false;
  }
  if (fields.digits[0] == 4) {
    value.year = fields.values[0];
    value.month = fields.values[1];
    value.day = fields.values[2];
    return fields.separator == '-' && fields.digits[1] == 2 && fields.digits[2] == 2;
  }
  if (order == FieldOrder::kIsoOnly || fields.digits[0] > 2 || fields.digits[1] > 2 ||
      (fields.digits[2] != 2 && fields.digits[2] != 4)) {
    return false;
  }
  const bool month_first = order == FieldOrder::kMonthDayYear;
  value.month = fields.values[month_first ? 0 : 1];
  value.day = fields.values[month_first ? 1 : 0];
  value.year = WindowedYear(fields.values[2], fields.digits[2]);
  return true;
}

}  // namespace

int32_t SystemDefaultLocaleId() { return kInvariantLocale; }

std::optional<DateTime> ParseDateInLocale(std::string_view text, int32_t locale_id) {
  text = text::TrimView(text);
  DateTime value{};
  value.hour = value.minute = value.second = 0;
  std::string_view date_part = text;
  const size_t split = text.find_first_of(" T");
  if (split != std::string_view::npos) {
    date_part = text.substr(0, split);
    if (text[split] == 'T' && (date_part.size() != 10 || date_part[4] != '-')) {
      return std::nullopt;
    }
    if (!ReadTime(text.substr(split + 1), value)) {
      return std::nullopt;
    }
  }
  if (!ReadDate(date_part, OrderOf(locale_id), value) || !value.IsValid()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace velmora::core
