#pragma once

#include <compare>
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
};

}  // namespace velmora
