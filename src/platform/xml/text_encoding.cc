#include "platform/xml/text_encoding.h"

#include <array>
#include <cstdint>

#include "velmora/base/text.h"

namespace velmora::xml {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code points of windows-1252 bytes 0x80 ... 0x9F; 0 where the code page has no character.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Decodes the code point at `i` and advances past it; invalid sequences give U+FFFD and
// advance one byte.
char32_t NextCodePoint(std::string_view text, size_t& i) {
  unsigned char lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  size_t extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + extra >= text.size()) {
    ++i;
    return kReplacement;
  }
  for (size_t k = 1; k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
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

void AppendUtf16Le(std::string& out, char32_t c) {
  auto unit = [&out](uint16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  if (c < 0x10000) {
    unit(static_cast<uint16_t>(c));
  } else {
    c -= 0x10000;
    unit(static_cast<uint16_t>(0xD800 + (c >> 10)));
    unit(static_cast<uint16_t>(0xDC00 + (c & 0x3FF)));
  }
}

void AppendWindows1252(std::string& out, char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    out += static_cast<char>(c);
    return;
  }
  for (size_t k = 0; k < kWindows1252High.size(); ++k) {
    if (kWindows1252High[k] == c) {
      out += static_cast<char>(0x80 + k);
      return;
    }
  }
  out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// `utf8` with the encoding of its leading XML declaration set to `name`; a declaration is
// added when missing and `add_when_missing`.
std::string WithDeclaredEncoding(std::string_view utf8, std::string_view name,
                                 bool add_when_missing) {
  bool has_declaration = utf8.size() > 5 && utf8.substr(0, 5) == "<?xml" && IsSpace(utf8[5]);
  size_t end = has_declaration ? utf8.find("?>") : std::string_view::npos;
  if (end == std::string_view::npos) {
    if (!add_when_missing) {
      return std::string(utf8);
    }
    return "<?xml version=\"1.0\" encoding=\"" + std::string(name) + "\"?>" + std::string(utf8);
  }
  std::string declaration(utf8.substr(0, end));
  std::string rest(utf8.substr(end));
  size_t key = declaration.find("encoding");
  if (key != std::string::npos) {
    size_t open = declaration.find_first_of("\"'", key);
    size_t close = open == std::string::npos ? open : declaration.find(declaration[open], open + 1);
    if (close != std::string::npos) {
      return declaration.substr(0, open + 1) + std::string(name) + declaration.substr(close) + rest;
    }
    return std::string(utf8);
  }
  // Encoding goes right after the version, before any standalone.
  size_t version = declaration.find("version");
  size_t open = version == std::string::npos ? version : declaration.find_first_of("\"'", version);
  size_t close = open == std::string::npos ? open : declaration.find(declaration[open], open + 1);
  if (close == std::string::npos) {
    return std::string(utf8);
  }
  return declaration.substr(0, close + 1) + " encoding=\"" + std::string(name) + "\"" +
         declaration.substr(close + 1) + rest;
}

}  // namespace

std::string SetDeclaredEncoding(std::string_view xml, std::string_view name) {
  return WithDeclaredEncoding(xml, name, /*add_when_missing=*/false);
}

std::optional<TextEncoding> ParseEncodingName(std::string_view name) {
  std::string folded = text::ToLower(text::Trim(name));
  if (folded == "utf-8" || folded == "utf8") {
    return TextEncoding::kUtf8;
  }
  if (folded == "utf-16" || folded == "utf-16le" || folded == "utf16") {
    return TextEncoding::kUtf16;
  }
  if (folded == "windows-1252" || folded == "cp1252") {
    return TextEncoding::kWindows1252;
  }
  return std::nullopt;
}

std::string EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return "UTF-8";
    case TextEncoding::kUtf16:
      return "UTF-16";
    case TextEncoding::kWindows1252:
      return "windows-1252";
  }
  return "UTF-8";
}

std::string EncodeXmlText(std::string_view utf8, TextEncoding encoding) {
  if (utf8.size() >= 3 && utf8.substr(0, 3) == "\xEF\xBB\xBF") {
    utf8.remove_prefix(3);
  }
  std::string source =
      WithDeclaredEncoding(utf8, EncodingName(encoding), encoding == TextEncoding::kWindows1252);
  std::string out;
  if (encoding == TextEncoding::kUtf16) {
    out.reserve(source.size() * 2 + 2);
    out += "\xFF\xFE";
  } else {
    out.reserve(source.size());
  }
  for (size_t i = 0; i < source.size();) {
    char32_t c = NextCodePoint(source, i);
    switch (encoding) {
      case TextEncoding::kUtf8:
        AppendUtf8(out, c);
        break;
      case TextEncoding::kUtf16:
        AppendUtf16Le(out, c);
        break;
      case TextEncoding::kWindows1252:
        AppendWindows1252(out, c);
        break;
    }
  }
  return out;
}

}  // namespace velmora::xml
