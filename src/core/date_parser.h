#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "velmora/base/date_time.h"

// The DateParser: reads a date as a user writes it in the short date form of their locale.
namespace velmora::core {

// The locale id of Velmora's platform default locale: the invariant locale, whose dates are
// written "yyyy-mm-dd". It stands in wherever a caller has no locale (locale id 0).
inline constexpr int32_t kInvariantLocale = 127;

// The platform's default locale id: always kInvariantLocale.
int32_t SystemDefaultLocaleId();

// The date that `text` writes in locale `locale_id` (a Windows locale id), or nullopt when it is
// not a date (impossible dates such as 31/02 included).
//
// The text, without leading and trailing blanks, is a date part optionally followed by one
// blank and a time "h:mm" or "h:mm:ss" (24-hour clock), which is kept in the result. An ISO
// date "yyyy-mm-dd" (also with "T" before the time) is understood in every locale. Otherwise
// the date part is three groups of digits separated twice by the same character ("/", "-" or
// "."), read in the locale's order:
//   month/day/year: 1033 (English, United States);
//   day/month/year: 2057 (English, United Kingdom), 1043 (Dutch), 1031 (German), 1036
//   (French), 3082 and 1034 (Spanish), 1040 (Italian).
// Day and month have one or two digits, the year two or four. A two-digit year yy is read in
// the window 1930-2029: 00-29 give 2000-2029, 30-99 give 1930-1999. Every other locale id,
// 0 included, reads ISO dates only.
std::optional<DateTime> ParseDateInLocale(std::string_view text, int32_t locale_id);

}  // namespace velmora::core
