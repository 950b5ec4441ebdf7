#include "velmora/base/date_time.h"

#include <cstdio>

#include "velmora/base/text.h"

namespace velmora {
namespace {

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool ReadNumber(std::string_view text, size_t pos, size_t digits, int& value) {
  if (pos + digits > text.size()) {
    return false;
  }
  value = 0;
  for (size_t i = pos; i < pos + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

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
