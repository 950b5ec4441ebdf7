#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "base/picture_parts.h"
#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::pictures {
namespace {

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

constexpr std::string_view kLongDate = "dddd, mmmm d, yyyy";
constexpr std::string_view kShortDate = "yyyy-mm-dd";
constexpr std::string_view kLongTime = "hh:nn:ss";

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::string FourDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d", value);
  return buffer;
}

// The marker of a 12-hour clock at `i` ("AM/PM", "A/P", "AMPM" in any case), its length in
// `length`; nullopt when there is none.
std::optional<std::string> HourMarker(std::string_view picture, size_t i, const DateTime& date,
                                      size_t& length) {
  const bool pm = date.hour >= 12;
  const std::string_view rest = picture.substr(i);
  if (text::IStartsWith(rest, "am/pm")) {
    length = 5;
    const std::string_view written = pm ? rest.substr(3, 2) : rest.substr(0, 2);
    return std::string(written);
  }
  if (text::IStartsWith(rest, "a/p")) {
    length = 3;
    return std::string(1, pm ? rest[2] : rest[0]);
  }
  if (text::IStartsWith(rest, "ampm")) {
    length = 4;
    return std::string(pm ? "PM" : "AM");
  }
  return std::nullopt;
}

bool HasHourMarker(std::string_view picture) {
  for (size_t i = 0; i < picture.size(); ++i) {
    std::string ignored;
    size_t at = i;
    if (ReadLiteral(picture, at, ignored)) {
      i = at;
      continue;
    }
    size_t length = 0;
    if (HourMarker(picture, i, DateTime(), length)) {
      return true;
    }
  }
  return false;
}

size_t RunLength(std::string_view picture, size_t i) {
  const char letter = text::ToLowerAscii(picture[i]);
  size_t end = i;
  while (end < picture.size() && text::ToLowerAscii(picture[end]) == letter) {
    ++end;
  }
  return end - i;
}

}  // namespace

std::string GeneralDate(const DateTime& date) {
  const bool midnight = date.hour == 0 && date.minute == 0 && date.second == 0;
  const bool no_date = date.year == 1899 && date.month == 12 && date.day == 30;
  if (no_date && !midnight) {
    return date.TimeText();
  }
  return midnight ? date.DateText() : date.ToText();
}

std::string FormatDate(const DateTime& date, std::string_view picture) {
  const bool twelve_hour = HasHourMarker(picture);
  const int hour = twelve_hour ? (date.hour % 12 == 0 ? 12 : date.hour % 12) : date.hour;
  std::string out;
  bool after_hour = false;
  for (size_t i = 0; i < picture.size(); ++i) {
    if (ReadLiteral(picture, i, out)) {
      continue;
    }
    size_t marker_length = 0;
    if (std::optional<std::string> marker = HourMarker(picture, i, date, marker_length)) {
      out += *marker;
      i += marker_length - 1;
      after_hour = false;
      continue;
    }
    const char letter = text::ToLowerAscii(picture[i]);
    const size_t run = RunLength(picture, i);
    size_t used = 1;
    bool hour_token = false;
    switch (letter) {
      case 'c':
        out += GeneralDate(date);
        break;
      case 'd':
        used = std::min<size_t>(run, 6);
        if (used == 1) {
          out += std::to_string(date.day);
        } else if (used == 2) {
          out += TwoDigits(date.day);
        } else if (used == 3) {
          out += std::string(kDayNames[date.Weekday()], 3);
        } else if (used == 4) {
          out += kDayNames[date.Weekday()];
        } else if (used == 5) {
          out += FormatDate(date, kShortDate);
        } else {
          out += FormatDate(date, kLongDate);
        }
        break;
      case 'w':
        used = std::min<size_t>(run, 2);
        if (used == 1) {
          out += std::to_string(date.Weekday() + 1);
        } else {
          out +=
              std::to_string((date.DayOfYear() - 1 + DateTime{date.year, 1, 1}.Weekday()) / 7 + 1);
        }
        break;
      case 'm':
        used = std::min<size_t>(run, 4);
        if (used <= 2 && after_hour) {
          out += used == 1 ? std::to_string(date.minute) : TwoDigits(date.minute);
        } else if (used == 1) {
          out += std::to_string(date.month);
        } else if (used == 2) {
          out += TwoDigits(date.month);
        } else if (used == 3) {
          out += std::string(kMonthNames[date.month - 1], 3);
        } else {
          out += kMonthNames[date.month - 1];
        }
        break;
      case 'q':
        out += std::to_string((date.month - 1) / 3 + 1);
        break;
      case 'y':
        used = run >= 4 ? 4 : std::min<size_t>(run, 2);
        if (used == 1) {
          out += std::to_string(date.DayOfYear());
        } else if (used == 2) {
          out += TwoDigits(date.year % 100);
        } else {
          out += FourDigits(date.year);
        }
        break;
      case 'h':
        used = std::min<size_t>(run, 2);
        out += used == 1 ? std::to_string(hour) : TwoDigits(hour);
        hour_token = true;
        break;
      case 'n':
        used = std::min<size_t>(run, 2);
        out += used == 1 ? std::to_string(date.minute) : TwoDigits(date.minute);
        break;
      case 's':
        used = std::min<size_t>(run, 2);
        out += used == 1 ? std::to_string(date.second) : TwoDigits(date.second);
        break;
      case 't':
        if (run >= 5) {
          used = 5;
          out += FormatDate(date, kLongTime);
        } else {
          out += picture[i];
        }
        break;
      default:
        out += picture[i];
        continue;  // a literal leaves the hour context as it is
    }
    after_hour = hour_token;
    i += used - 1;
  }
  return out;
}

}  // namespace velmora::pictures
