#include "velmora/base/text_encoding.h"

#include <array>
#include <cstdint>

namespace velmora::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The characters of Windows-1252 bytes 0x80 ... 0x9F; the five undefined bytes give the C1
// control of the same value.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsUndefinedWindows1252Byte(size_t byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

// Decodes the code point at `pos` and advances past it; a malformed sequence yields
// kReplacement, advances one byte and sets `ok` false.
char32_t NextCodePoint(std::string_view s, size_t& pos, bool& ok) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
  const uint8_t lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    minimum = 0x10000;
  }
  const auto malformed = [&] {
    ok = false;
    ++pos;
    return kReplacement;
  };
  if (length == 0 || pos + length > s.size()) {
    return malformed();
  }
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      return malformed();
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return malformed();
  }
  pos += length;
  return value;
}

// Calls `each` with every code point of `utf8`, malformed bytes as kReplacement.
template <class Each>
void ForEachCodePoint(std::string_view utf8, Each each) {
  bool ok = true;
  for (size_t pos = 0; pos < utf8.size();) {
    each(NextCodePoint(utf8, pos, ok));
  }
}

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

// Calls `unit` with the UTF-16 code units of `c`.
template <class Unit>
void ForEachUtf16Unit(char32_t c, Unit unit) {
  if (c >= 0x10000) {
    const char32_t v = c - 0x10000;
    unit(static_cast<char16_t>(0xD800 + (v >> 10)));
    unit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
  } else {
    unit(static_cast<char16_t>(c));
  }
}

void AppendWindows1252(std::string& out, char32_t c, Unmappable unmappable) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    out += static_cast<char>(c);
    return;
  }
  for (size_t i = 0; i < kWindows1252High.size(); ++i) {
    if (kWindows1252High[i] == c &&
        (unmappable == Unmappable::kQuestionMark || !IsUndefinedWindows1252Byte(0x80 + i))) {
      out += static_cast<char>(0x80 + i);
      return;
    }
  }
  if (unmappable == Unmappable::kQuestionMark) {
    out += '?';
  } else {
    out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
  }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  bool ok = true;
  for (size_t pos = 0; pos < bytes.size() && ok;) {
    NextCodePoint(bytes, pos, ok);
  }
  return ok;
}

std::string ReplaceMalformedUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  ForEachCodePoint(bytes, [&](char32_t c) { AppendUtf8(out, c); });
  return out;
}

std::string Utf8ToWindows1252(std::string_view utf8, Unmappable unmappable) {
  std::string out;
  out.reserve(utf8.size());
  bool ok = true;
  for (size_t pos = 0; pos < utf8.size();) {
    // ASCII is the same in both encodings: a run of it is copied as it is.
    const size_t run = pos;
    while (pos < utf8.size() && static_cast<uint8_t>(utf8[pos]) < 0x80) {
      ++pos;
    }
    out.append(utf8, run, pos - run);
    if (pos < utf8.size()) {
      AppendWindows1252(out, NextCodePoint(utf8, pos, ok), unmappable);
    }
  }
  return out;
}

char16_t Windows1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    return kWindows1252High[byte - 0x80];
  }
  return byte;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char byte : bytes) {
    AppendUtf8(out, Windows1252ToUnicode(static_cast<unsigned char>(byte)));
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  ForEachCodePoint(utf8, [&](char32_t c) { ForEachUtf16Unit(c, [&](char16_t u) { out += u; }); });
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (IsHighSurrogate(unit) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8, bool bom) {
  std::string out;
  out.reserve(utf8.size() * 2 + 2);
  if (bom) {
    out += "\xFF\xFE";
  }
  ForEachCodePoint(utf8, [&](char32_t c) {
    ForEachUtf16Unit(c, [&](char16_t unit) {
      out += static_cast<char>(unit & 0xFF);
      out += static_cast<char>(unit >> 8);
    });
  });
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool little_endian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    units += static_cast<char16_t>(little_endian ? (b << 8) | a : (a << 8) | b);
  }
  std::string out = Utf16ToUtf8(units);
  if (bytes.size() % 2 != 0) {
    AppendUtf8(out, kReplacement);
  }
  return out;
}

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  } else if (bytes.starts_with("\xFF\xFE")) {
    return Utf16ToUtf8(bytes.substr(2), true);
  } else if (bytes.starts_with("\xFE\xFF")) {
    return Utf16ToUtf8(bytes.substr(2), false);
  }
  if (IsValidUtf8(bytes)) {
    return std::string(bytes);
  }
  return Windows1252ToUtf8(bytes);
}

std::string EncodeTextFile(std::string_view text, bool unicode) {
  return unicode ? Utf8ToUtf16Le(text, true) : Utf8ToWindows1252(text, Unmappable::kQuestionMark);
}

}  // namespace velmora::text
