// Utility, XML and XSL services: the text utilities urlDecode, HTMLDecode and Formats.
#include <string_view>

#include "core/general.h"
#include "core/guarded.h"
#include "routing/xml_text.h"
#include "velmora/base/error.h"
#include "velmora/base/picture_format.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

constexpr const char* kCharDecodePath = "Velmora.Utility.urlCharDecode";

// The number written by the hexadecimal digits of `digits`, or -1 when any is not one (or
// there are none).
int32_t HexNumber(std::u16string_view digits) {
  if (digits.empty()) {
    return -1;
  }
  int32_t number = 0;
  for (char16_t unit : digits) {
    const int digit = text::HexDigitValue(unit);
    if (digit < 0) {
      return -1;
    }
    number = number * 16 + digit;
  }
  return number;
}

// urlCharDecode: the code unit of one escape, "%XX" (a Windows-1252 character) or "%uXXXX" (a
// UTF-16 code unit). An escape without all its digits cannot be decoded.
char16_t urlCharDecode(std::u16string_view escape) {
  return core::Guarded(
      kCharDecodePath,
      [&]() -> char16_t {
        const bool unicode = escape.size() >= 2 && escape[1] == u'u';
        const size_t length = unicode ? 6 : 3;
        const int32_t number =
            escape.size() == length ? HexNumber(escape.substr(unicode ? 2 : 1)) : int32_t{-1};
        if (number < 0) {
          throw Error(kErrTypeMismatch, kCharDecodePath, "Type mismatch");
        }
        return unicode ? static_cast<char16_t>(number)
                       : text::Windows1252ToUnicode(static_cast<unsigned char>(number));
        return 0;
      },
      [&] {
        return Variant("This character '" + text::Utf16ToUtf8(escape) + "' couldn't be decoded.");
      });
}

// The decoding loop over UTF-16 code units, with 1-based positions: write position w, read
// position r, shrink count s. Decoded units overwrite the text from the front.
std::u16string DecodeInPlace(std::u16string units) {
  const int64_t length = static_cast<int64_t>(units.size());
  int64_t w = 1;
  int64_t r = 1;
  int64_t s = 0;
  while (w < length) {
    if (r <= length) {
      const char16_t unit = units[r - 1];
      if (unit == u'+') {
        units[w - 1] = u' ';
        r += 1;
      } else if (unit == u'%' && r < length && units[r] == u'u') {
        units[w - 1] = urlCharDecode(std::u16string_view(units).substr(r - 1, 6));
        r += 6;
        s += 5;
      } else if (unit == u'%') {
        units[w - 1] = urlCharDecode(std::u16string_view(units).substr(r - 1, 3));
        r += 3;
        s += 2;
      } else {
        units[w - 1] = unit;
        r += 1;
      }
    }
    w += 1;
  }
  units.resize(static_cast<size_t>(w - s));
  return units;
}

constexpr std::string_view kHtmlEscapes[][2] = {
    {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}};

}  // namespace

std::string Utility::urlDecode(std::string& sText) {
  return core::Guarded("Velmora.Utility.urlDecode", [&]() -> std::string {
    const std::u16string units = text::Utf8ToUtf16(sText);
    if (units.size() <= 1) {
      return sText;
    }
    sText = text::Utf16ToUtf8(DecodeInPlace(units));
    return sText;
  });
}

std::string Utility::HTMLDecode(const Variant& vText) {
  return core::Guarded("Velmora.Utility.HTMLDecode", [&]() -> std::string {
    std::string decoded = vText.ToText();
    bool escaped = false;
    for (const auto& escape : kHtmlEscapes) {
      escaped = escaped || text::IFind(decoded, escape[0]) != std::string::npos;
    }
    if (!escaped) {
      return decoded;
    }
    for (const auto& escape : kHtmlEscapes) {
      decoded = routing::ReplaceIgnoringCase(decoded, escape[0], escape[1]);
    }
    return decoded;
  });
}

Variant Utility::Formats(const Variant& vValue, const Variant& vFormat) {
  return FormatPicture(vValue, vFormat);
}

}  // namespace velmora
