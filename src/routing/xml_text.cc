#include "routing/xml_text.h"

#include "velmora/base/text.h"

namespace velmora::routing {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes 0x80 ... 0x9F of Windows-1252.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at `at` of `utf8`, advancing `at`; U+FFFD (one byte consumed) for a sequence
// that is not valid UTF-8.
char32_t NextCodePoint(std::string_view utf8, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++at;
    return 0xFFFD;
  }
  if (at + length > utf8.size()) {
    ++at;
    return 0xFFFD;
  }
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      ++at;
      return 0xFFFD;
    }
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++at;
    return 0xFFFD;
  }
  at += length;
  return c;
}

}  // namespace

std::string ReplaceIgnoringCase(std::string_view text, std::string_view from, std::string_view to) {
  std::string result(text);
  if (from.empty()) {
    return result;
  }
  size_t at = text::IFind(result, from);
  while (at != std::string::npos) {
    result.replace(at, from.size(), to);
    at = text::IFind(result, from, at + to.size());
  }
  return result;
}

bool IsLenientNumeric(std::string_view text) {
  std::string_view s = text::TrimView(text);
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    ++i;
  }
  size_t digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      ++digits;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      ++i;
    }
    size_t exponent_digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      ++exponent_digits;
      ++i;
    }
    if (exponent_digits == 0) {
      return false;
    }
  }
  return i == s.size();
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t at = 0;
  while (at < utf8.size()) {
    const char32_t c = NextCodePoint(utf8, at);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

char16_t Windows1252ToUnicode(unsigned char code) {
  if (code >= 0x80 && code <= 0x9F) {
    return kWindows1252High[code - 0x80];
  }
  return code;
}

}  // namespace velmora::routing
