#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/picture_parts.h"
#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::pictures {
namespace {

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
        if (!whole_written) {  // a picture with no digit before its exponent
          out += shown_whole;
          whole_written = true;
        }
        out += piece.text[0];
        if (exponent < 0) {
          out += '-';
        } else if (piece.text[1] == '+') {
          out += '+';
        }
        if (picture.exp_placeholders.empty()) {  // the exponent is never dropped
          out += exponent_digits;
          exp_written = true;
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

}  // namespace

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

}  // namespace velmora::pictures
