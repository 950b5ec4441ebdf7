#include "velmora/base/date_time.h"

#include <cstdio>

#include "velmora/base/text.h"

namespace velmora {
namespace {

// Exactly `digits` digits at `pos`.
bool ReadNumber(std::string_view text, size_t pos, size_t digits, int& value) {
  const std::optional<int> read = ReadDigitRun(text.substr(0, pos + digits), pos, digits, digits);
  if (read) {
    value = *read;
  }
  return read.has_value();
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

bool DateTime::IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DateTime::DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DateTime::DaysSinceEpoch() const { return DaysFromCivil(year, month, day); }

int DateTime::Weekday() const {
  return static_cast<int>(((DaysSinceEpoch() % 7) + 11) % 7);  // 1970-01-01 was a Thursday
}

int DateTime::DayOfYear() const {
  return static_cast<int>(DaysSinceEpoch() - DaysFromCivil(year, 1, 1)) + 1;
}

std::optional<int> ReadDigitRun(std::string_view text, size_t& pos, size_t min_digits,
                                size_t max_digits) {
  size_t end = pos;
  int value = 0;
  while (end < text.size() && end - pos < max_digits && text[end] >= '0' && text[end] <= '9') {
    value = value * 10 + (text[end] - '0');
    ++end;
  }
  if (end - pos < min_digits || (end < text.size() && text[end] >= '0' && text[end] <= '9')) {
    return std::nullopt;
  }
  pos = end;
  return value;
}

std::string DateTime::DateText() const {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  return buffer;
}

std::string DateTime::TimeText() const {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
  return buffer;
}

std::string DateTime::ToText() const { return DateText() + " " + TimeText(); }

bool DateTime::IsValid() const {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 && minute < 60 &&
         second >= 0 && second < 60;
}

std::optional<DateTime> DateTime::Parse(std::string_view text) {
  text = text::TrimView(text);
  DateTime value{};
  value.hour = value.minute = value.second = 0;
  if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !ReadNumber(text, 0, 4, value.year) ||
      !ReadNumber(text, 5, 2, value.month) || !ReadNumber(text, 8, 2, value.day)) {
    return std::nullopt;
  }
  if (text.size() > 10) {
    const bool separated = text[10] == ' ' || text[10] == 'T';
    if (!separated || text.size() < 16 || text[13] != ':' || !ReadNumber(text, 11, 2, value.hour) ||
        !ReadNumber(text, 14, 2, value.minute)) {
      return std::nullopt;
    }
    if (text.size() > 16 &&
        (text.size() != 19 || text[16] != ':' || !ReadNumber(text, 17, 2, value.second))) {
      return std::nullopt;
    }
  }
  if (!value.IsValid()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace velmora
