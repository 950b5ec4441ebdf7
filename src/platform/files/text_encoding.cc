#include "platform/files/text_encoding.h"

#include <array>
#include <cstdint>

namespace velmora::files {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code points of the bytes 0x80 ... 0x9F of Windows-1252; 0 marks the five undefined bytes.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes one code point at `pos` and advances `pos`; a malformed sequence yields
// kReplacement and advances by one byte. `ok` is set false on malformed input.
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
  if (length == 0 || pos + length > s.size()) {
    ok = false;
    ++pos;
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ok = false;
      ++pos;
      return kReplacement;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ok = false;
    ++pos;
    return kReplacement;
  }
  pos += length;
  return value;
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

void AppendUtf16Le(std::string& out, char16_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

char ToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    return static_cast<char>(c);
  }
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    const char32_t mapped = kHighControls[i] == 0 ? 0x80 + i : kHighControls[i];
    if (mapped == c) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  bool ok = true;
  for (size_t pos = 0; pos < bytes.size() && ok;) {
    NextCodePoint(bytes, pos, ok);
  }
  return ok;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  bool ok = true;
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t c = NextCodePoint(utf8, pos, ok);
    out += c == kReplacement ? '?' : ToWindows1252(c);
  }
  return out;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char raw : bytes) {
    const auto b = static_cast<uint8_t>(raw);
    if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0) {
      AppendUtf8(out, kHighControls[b - 0x80]);
    } else {
      AppendUtf8(out, b);
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
  bool ok = true;
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t c = NextCodePoint(utf8, pos, ok);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      AppendUtf16Le(out, static_cast<char16_t>(0xD800 + (v >> 10)));
      AppendUtf16Le(out, static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      AppendUtf16Le(out, static_cast<char16_t>(c));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool little_endian) {
  const auto unit = [&](size_t i) -> char16_t {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    return static_cast<char16_t>(little_endian ? (b << 8) | a : (a << 8) | b);
  };
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  if (i < bytes.size()) {
    AppendUtf8(out, kReplacement);
  }
  return out;
}

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
    if (IsValidUtf8(bytes)) {
      return std::string(bytes);
    }
    return Windows1252ToUtf8(bytes);
  }
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    return Utf16ToUtf8(bytes.substr(2), true);
  }
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    return Utf16ToUtf8(bytes.substr(2), false);
  }
  if (IsValidUtf8(bytes)) {
    return std::string(bytes);
  }
  return Windows1252ToUtf8(bytes);
}

std::string EncodeTextFile(std::string_view text, bool unicode) {
  return unicode ? Utf8ToUtf16Le(text, true) : Utf8ToWindows1252(text);
}

}  // namespace velmora::files
