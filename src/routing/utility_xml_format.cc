#include "routing/utility_xml_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::routing {
namespace {

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

// ---- Picture text ----

// The sections of a picture, split at ";" outside quotes and escapes.
std::vector<std::string> SplitSections(std::string_view picture) {
  std::vector<std::string> sections(1);
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '"') {
      const size_t end = picture.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? picture.size() : end + 1;
      sections.back() += picture.substr(i, stop - i);
      i = stop - 1;
    } else if (c == '\\' && i + 1 < picture.size()) {
      sections.back() += picture.substr(i, 2);
      ++i;
    } else if (c == ';') {
      sections.emplace_back();
    } else {
      sections.back() += c;
    }
  }
  return sections;
}

// Whether `picture` holds, outside quotes and escapes, a character of `set` (ASCII case
// ignored).
bool HoldsAny(std::string_view picture, std::string_view set) {
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '"') {
      const size_t end = picture.find('"', i + 1);
      if (end == std::string_view::npos) {
        return false;
      }
      i = end;
    } else if (c == '\\') {
      ++i;
    } else if (set.find(text::ToLowerAscii(c)) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// Reads a literal at `i` (a quoted text or an escaped character) into `out`; false when the
// character at `i` starts neither.
bool ReadLiteral(std::string_view picture, size_t& i, std::string& out) {
  if (picture[i] == '"') {
    const size_t end = picture.find('"', i + 1);
    const size_t stop = end == std::string_view::npos ? picture.size() : end;
    out += picture.substr(i + 1, stop - i - 1);
    i = stop == picture.size() ? stop - 1 : stop;
    return true;
  }
  if (picture[i] == '\\') {
    if (i + 1 < picture.size()) {
      ++i;
      out += picture[i];
    }
    return true;
  }
  return false;
}

// ---- Decimal rounding ----

// |value| as decimal digits rounded half away from zero: `digits` holds the significant digits
// and the value is 0.digits x 10^point. 15 significant digits, as the value's text has.
struct Decimal {
  std::string digits;
  int point = 0;
  bool zero = true;
};

Decimal ToDecimal(double value) {
  Decimal decimal;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  decimal.digits = std::string(1, buffer[0]) + std::string(buffer + 2, 14);
  decimal.point = std::atoi(std::strchr(buffer, 'e') + 1) + 1;
  decimal.zero = value == 0;
  if (decimal.zero) {
    decimal.point = 1;
  }
  return decimal;
}

// Keeps `keep` significant digits of `decimal`, rounding half away from zero; a carry adds a
// digit in front (point + 1).
void KeepDigits(Decimal& decimal, int keep) {
  if (keep < 0) {
    decimal.digits = "0";
    decimal.point = 1;
    decimal.zero = true;
    return;
  }
  const size_t count = static_cast<size_t>(keep);
  if (count >= decimal.digits.size()) {
    decimal.digits.append(count - decimal.digits.size(), '0');
    return;
  }
  const bool round_up = decimal.digits[count] >= '5';
  decimal.digits.resize(count);
  if (round_up) {
    int at = keep - 1;
    while (at >= 0 && decimal.digits[at] == '9') {
      decimal.digits[at] = '0';
      --at;
    }
    if (at >= 0) {
      ++decimal.digits[at];
    } else {
      decimal.digits.insert(decimal.digits.begin(), '1');
      ++decimal.point;
    }
  }
  if (decimal.digits.find_first_not_of('0') == std::string::npos) {
    decimal.zero = true;
    decimal.point = 1;
    decimal.digits = std::string(std::max<size_t>(count, 1), '0');
  }
}

// ---- Numbers ----

struct NumberPiece {
  enum class Kind { kLiteral, kIntDigit, kPoint, kFracDigit, kExponent, kExpDigit };
  Kind kind = Kind::kLiteral;
  std::string text;  // the literal, the placeholder, or the exponent letter and its sign
};

struct NumberPicture {
  std::vector<NumberPiece> pieces;
  std::string int_placeholders;
  std::string frac_placeholders;
  std::string exp_placeholders;
  bool grouping = false;
  int scale = 0;  // divisions by 1000
  bool percent = false;
  bool exponent = false;
};

NumberPicture ParseNumberPicture(std::string_view section) {
  NumberPicture picture;
  using Kind = NumberPiece::Kind;
  bool in_frac = false;
  std::vector<size_t> commas;  // integer placeholders seen before each comma
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    std::string literal;
    if (ReadLiteral(section, i, literal)) {
      picture.pieces.push_back({Kind::kLiteral, literal});
    } else if (c == '0' || c == '#') {
      if (picture.exponent) {
        picture.pieces.push_back({Kind::kExpDigit, std::string(1, c)});
        picture.exp_placeholders += c;
      } else if (in_frac) {
        picture.pieces.push_back({Kind::kFracDigit, std::string(1, c)});
        picture.frac_placeholders += c;
      } else {
        picture.pieces.push_back({Kind::kIntDigit, std::string(1, c)});
        picture.int_placeholders += c;
      }
    } else if (c == '.' && !in_frac && !picture.exponent) {
      picture.pieces.push_back({Kind::kPoint, "."});
      in_frac = true;
    } else if (c == ',' && !in_frac && !picture.exponent) {
      commas.push_back(picture.int_placeholders.size());
    } else if ((c == 'E' || c == 'e') && !picture.exponent && i + 1 < section.size() &&
               (section[i + 1] == '+' || section[i + 1] == '-')) {
      picture.pieces.push_back({Kind::kExponent, std::string(section.substr(i, 2))});
      picture.exponent = true;
      ++i;
    } else {
      picture.percent = picture.percent || c == '%';
      picture.pieces.push_back({Kind::kLiteral, std::string(1, c)});
    }
  }
  for (size_t before : commas) {
    if (before == 0) {
      continue;
    }
    if (before < picture.int_placeholders.size()) {
      picture.grouping = true;
    } else {
      ++picture.scale;
    }
  }
  return picture;
}

std::string Grouped(const std::string& digits) {
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      out += ',';
    }
    out += digits[i];
  }
  return out;
}

// The digits of the integer part for `placeholders`: leading zeros up to the leftmost "0"
// placeholder, none at all for a zero integer part without such a placeholder.
std::string IntegerDigits(std::string digits, const std::string& placeholders) {
  const size_t first_zero = placeholders.find('0');
  const size_t minimum = first_zero == std::string::npos ? 0 : placeholders.size() - first_zero;
  if (digits == "0") {
    digits.clear();
  }
  if (digits.size() < minimum) {
    digits.insert(0, minimum - digits.size(), '0');
  }
  return digits;
}

// The fraction digits with trailing zeros dropped where the placeholder is "#".
std::string FractionDigits(std::string digits, const std::string& placeholders) {
  while (!digits.empty() && digits.back() == '0' && placeholders[digits.size() - 1] == '#') {
    digits.pop_back();
  }
  return digits;
}

// `magnitude` (not negative) written by `picture`. `zero` is set when every written digit is 0.
std::string RenderNumber(double magnitude, const NumberPicture& picture, bool& zero) {
  using Kind = NumberPiece::Kind;
  if (picture.percent) {
    magnitude *= 100;
  }
  for (int i = 0; i < picture.scale; ++i) {
    magnitude /= 1000;
  }
  const int nf = static_cast<int>(picture.frac_placeholders.size());
  Decimal decimal = ToDecimal(magnitude);
  std::string int_digits;
  int exponent = 0;
  if (picture.exponent) {
    const int ni = std::max<int>(static_cast<int>(picture.int_placeholders.size()), 1);
    exponent = decimal.zero ? 0 : decimal.point - ni;
    KeepDigits(decimal, ni + nf);
    if (!decimal.zero && static_cast<int>(decimal.digits.size()) > ni + nf) {
      decimal.digits.pop_back();
      ++exponent;
    }
    int_digits = decimal.digits.substr(0, static_cast<size_t>(ni));
    decimal.digits.erase(0, static_cast<size_t>(ni));
    int_digits.erase(0, std::min(int_digits.find_first_not_of('0'), int_digits.size() - 1));
  } else {
    KeepDigits(decimal, decimal.point + nf);
    if (decimal.zero) {
      int_digits = "0";
      decimal.digits = std::string(static_cast<size_t>(nf), '0');
    } else if (decimal.point <= 0) {
      int_digits = "0";
      decimal.digits.insert(0, static_cast<size_t>(-decimal.point), '0');
    } else {
      int_digits = decimal.digits.substr(0, static_cast<size_t>(decimal.point));
      decimal.digits.erase(0, static_cast<size_t>(decimal.point));
    }
  }
  zero = decimal.zero;
  const std::string whole = IntegerDigits(int_digits, picture.int_placeholders);
  const std::string shown_whole = picture.grouping ? Grouped(whole) : whole;
  const std::string fraction = FractionDigits(decimal.digits, picture.frac_placeholders);
  const int ni = static_cast<int>(picture.int_placeholders.size());
  const int offset = ni - static_cast<int>(whole.size());
  const std::string exponent_digits = [&] {
    std::string digits = std::to_string(std::abs(exponent));
    const size_t minimum = static_cast<size_t>(
        std::count(picture.exp_placeholders.begin(), picture.exp_placeholders.end(), '0'));
    if (digits.size() < minimum) {
      digits.insert(0, minimum - digits.size(), '0');
    }
    return digits;
  }();

  std::string out;
  int int_index = 0;
  int frac_index = 0;
  bool exp_written = false;
  bool whole_written = false;
  for (const NumberPiece& piece : picture.pieces) {
    switch (piece.kind) {
      case Kind::kLiteral:
        out += piece.text;
        break;
      case Kind::kIntDigit: {
        if (picture.grouping) {
          if (int_index == 0) {
            out += shown_whole;
          }
        } else {
          if (int_index == 0 && offset < 0) {
            out += whole.substr(0, static_cast<size_t>(-offset));
          }
          const int at = int_index - offset;
          if (at >= 0 && at < static_cast<int>(whole.size())) {
            out += whole[static_cast<size_t>(at)];
          }
        }
        whole_written = true;
        ++int_index;
        break;
      }
      case Kind::kPoint:
        if (!whole_written) {
          out += shown_whole;
          whole_written = true;
        }
        out += '.';
        break;
      case Kind::kFracDigit:
        if (frac_index < static_cast<int>(fraction.size())) {
          out += fraction[static_cast<size_t>(frac_index)];
        }
        ++frac_index;
        break;
      case Kind::kExponent:
        out += piece.text[0];
        if (exponent < 0) {
          out += '-';
        } else if (piece.text[1] == '+') {
          out += '+';
        }
        break;
      case Kind::kExpDigit:
        if (!exp_written) {
          out += exponent_digits;
          exp_written = true;
        }
        break;
    }
  }
  if (!whole_written) {
    out += shown_whole;
  }
  return out;
}

std::string FormatNumber(double value, std::string_view picture_text) {
  const std::vector<std::string> sections = SplitSections(picture_text);
  size_t chosen = 0;
  bool write_sign = value < 0;
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    chosen = 1;
    write_sign = false;
  } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
    chosen = 2;
  }
  bool zero = false;
  std::string out = RenderNumber(std::fabs(value), ParseNumberPicture(sections[chosen]), zero);
  return write_sign && !zero ? "-" + out : out;
}

// ---- Dates ----

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// 0 for Sunday ... 6 for Saturday.
int Weekday(int year, int month, int day) {
  const int64_t days = DaysFromCivil(year, month, day);
  return static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
}

int DayOfYear(const DateTime& date) {
  return static_cast<int>(DaysFromCivil(date.year, date.month, date.day) -
                          DaysFromCivil(date.year, 1, 1)) +
         1;
}

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

std::string FormatDate(const DateTime& date, std::string_view picture);

std::string GeneralDate(const DateTime& date) {
  const bool midnight = date.hour == 0 && date.minute == 0 && date.second == 0;
  const bool no_date = date.year == 1899 && date.month == 12 && date.day == 30;
  if (no_date && !midnight) {
    return date.TimeText();
  }
  return midnight ? date.DateText() : date.ToText();
}

constexpr std::string_view kLongDate = "dddd, mmmm d, yyyy";
constexpr std::string_view kShortDate = "yyyy-mm-dd";
constexpr std::string_view kLongTime = "hh:nn:ss";

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
          out += std::string(kDayNames[Weekday(date.year, date.month, date.day)], 3);
        } else if (used == 4) {
          out += kDayNames[Weekday(date.year, date.month, date.day)];
        } else if (used == 5) {
          out += FormatDate(date, kShortDate);
        } else {
          out += FormatDate(date, kLongDate);
        }
        break;
      case 'w':
        used = std::min<size_t>(run, 2);
        if (used == 1) {
          out += std::to_string(Weekday(date.year, date.month, date.day) + 1);
        } else {
          out += std::to_string((DayOfYear(date) - 1 + Weekday(date.year, 1, 1)) / 7 + 1);
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
          out += std::to_string(DayOfYear(date));
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

// ---- Text ----

std::vector<std::string> Characters(std::string_view utf8) {
  std::vector<std::string> characters;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = 1;
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead >= 0xF0) {
      length = 4;
    } else if (lead >= 0xE0) {
      length = 3;
    } else if (lead >= 0xC0) {
      length = 2;
    }
    length = std::min(length, utf8.size() - i);
    characters.emplace_back(utf8.substr(i, length));
    i += length;
  }
  return characters;
}

std::string FormatText(const std::string& value, std::string_view picture_text) {
  const std::vector<std::string> sections = SplitSections(picture_text);
  const std::string_view picture =
      value.empty() && sections.size() >= 2 ? sections[1] : sections[0];
  const bool from_left = HoldsAny(picture, "!");
  std::string shown = value;
  if (HoldsAny(picture, "<")) {
    shown = text::ToLower(shown);
  } else if (HoldsAny(picture, ">")) {
    shown = text::ToUpper(shown);
  }
  const std::vector<std::string> characters = Characters(shown);
  const int count = static_cast<int>(characters.size());
  int placeholders = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    std::string ignored;
    if (!ReadLiteral(picture, i, ignored) && (picture[i] == '@' || picture[i] == '&')) {
      ++placeholders;
    }
  }
  const int offset = from_left ? 0 : placeholders - count;
  std::string out;
  int index = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    if (ReadLiteral(picture, i, out)) {
      continue;
    }
    const char c = picture[i];
    if (c == '!' || c == '<' || c == '>') {
      continue;
    }
    if (c != '@' && c != '&') {
      out += c;
      continue;
    }
    if (index == 0 && offset < 0) {
      for (int k = 0; k < -offset; ++k) {
        out += characters[static_cast<size_t>(k)];
      }
    }
    const int at = index - offset;
    if (at >= 0 && at < count) {
      out += characters[static_cast<size_t>(at)];
    } else if (c == '@') {
      out += ' ';
    }
    ++index;
  }
  if (from_left) {
    for (int k = placeholders; k < count; ++k) {
      out += characters[static_cast<size_t>(k)];
    }
  }
  return out;
}

// ---- Values ----

std::string DefaultText(const Variant& value) {
  if (value.kind() == Variant::Kind::kDate) {
    return GeneralDate(value.ToDate());
  }
  return value.ToText();
}

bool IsNumberValue(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kBool:
    case Variant::Kind::kInt16:
    case Variant::Kind::kInt32:
    case Variant::Kind::kInt64:
    case Variant::Kind::kDouble:
      return true;
    case Variant::Kind::kText:
      return value.IsNumeric();
    default:
      return false;
  }
}

std::optional<DateTime> DateValue(const Variant& value) {
  if (value.kind() == Variant::Kind::kDate) {
    return value.ToDate();
  }
  if (value.kind() == Variant::Kind::kText) {
    return DateTime::Parse(text::Trim(value.ToText()));
  }
  return std::nullopt;
}

// A named picture applied to `value`, or nullopt when `name` names none.
std::optional<std::string> FormatNamed(const Variant& value, const std::string& name) {
  struct Named {
    const char* name;
    const char* picture;
    bool date;
  };
  static constexpr Named kNamed[] = {
      {"Currency", "$#,##0.00;($#,##0.00)", false},
      {"Fixed", "0.00", false},
      {"Standard", "#,##0.00", false},
      {"Percent", "0.00%", false},
      {"Scientific", "0.00E+00", false},
      {"Long Date", "dddd, mmmm d, yyyy", true},
      {"Medium Date", "dd-mmm-yy", true},
      {"Short Date", "yyyy-mm-dd", true},
      {"Long Time", "hh:nn:ss", true},
      {"Medium Time", "hh:nn AM/PM", true},
      {"Short Time", "hh:nn", true},
  };
  for (const Named& named : kNamed) {
    if (text::IEquals(name, named.name)) {
      return named.date ? FormatDate(value.ToDate(), named.picture)
                        : FormatNumber(value.ToDouble(), named.picture);
    }
  }
  static constexpr const char* kChoices[][3] = {
      {"Yes/No", "Yes", "No"}, {"True/False", "True", "False"}, {"On/Off", "On", "Off"}};
  for (const auto& choice : kChoices) {
    if (text::IEquals(name, choice[0])) {
      return std::string(value.ToDouble() != 0 ? choice[1] : choice[2]);
    }
  }
  if (text::IEquals(name, "General Number")) {
    return Variant(value.ToDouble()).ToText();
  }
  if (text::IEquals(name, "General Date")) {
    std::optional<DateTime> date = DateValue(value);
    return date ? GeneralDate(*date) : DefaultText(value);
  }
  return std::nullopt;
}

}  // namespace

Variant FormatValue(const Variant& value, const Variant& picture) {
  if (value.IsNull()) {
    return Variant::MakeNull();
  }
  if (value.IsEmpty()) {
    return Variant(std::string());
  }
  const std::string picture_text =
      picture.IsNull() || picture.IsEmpty() ? std::string() : picture.ToText();
  if (picture_text.empty()) {
    return Variant(DefaultText(value));
  }
  if (std::optional<std::string> named = FormatNamed(value, picture_text)) {
    return Variant(*named);
  }
  if (HoldsAny(picture_text, "@&")) {
    return Variant(FormatText(DefaultText(value), picture_text));
  }
  const bool digit_picture = HoldsAny(picture_text, "0#");
  if (IsNumberValue(value) && (digit_picture || !HoldsAny(picture_text, "cdwmqyhnst"))) {
    return Variant(FormatNumber(value.ToDouble(), picture_text));
  }
  if (std::optional<DateTime> date = DateValue(value)) {
    return Variant(FormatDate(*date, picture_text));
  }
  if (IsNumberValue(value)) {
    return Variant(FormatNumber(value.ToDouble(), picture_text));
  }
  return Variant(value.ToText());
}

}  // namespace velmora::routing
