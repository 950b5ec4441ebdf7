#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A calendar date and time of day to the second, without a time zone: the library's dates
// are local server time. Value type.
struct DateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;

  auto operator<=>(const DateTime&) const = default;

  // "YYYY-MM-DD hh:mm:ss": the server regional format the library writes.
  std::string ToText() const;
  // "YYYY-MM-DD".
  std::string DateText() const;
  // "hh:mm:ss".
  std::string TimeText() const;
  // Reads "YYYY-MM-DD", "YYYY-MM-DD hh:mm[:ss]" or "YYYY-MM-DDThh:mm[:ss]"; nullopt for
  // anything else or an impossible date.
  static std::optional<DateTime> Parse(std::string_view text);
  bool IsValid() const;

  // The proleptic Gregorian calendar. DaysInMonth REQUIRES 1 <= month <= 12.
  static bool IsLeapYear(int year);
  static int DaysInMonth(int year, int month);
  // Days since 1970-01-01 of the date (negative before it), time of day ignored.
  int64_t DaysSinceEpoch() const;
  // 0 for Sunday ... 6 for Saturday.
  int Weekday() const;
  // 1 for 1 January.
  int DayOfYear() const;
};

// Reads a run of `min_digits` to `max_digits` ASCII digits at `pos` (moving `pos` past them)
// as a number; nullopt, with `pos` unchanged, when there are fewer digits, and also when more
// digits follow the longest run allowed.
std::optional<int> ReadDigitRun(std::string_view text, size_t& pos, size_t min_digits,
                                size_t max_digits);

}  // namespace velmora
