#include "platform/xml/text_encoding.h"

#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"

namespace velmora::xml {
namespace {

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
  const std::string source =
      WithDeclaredEncoding(utf8, EncodingName(encoding), encoding == TextEncoding::kWindows1252);
  switch (encoding) {
    case TextEncoding::kUtf16:
      return text::Utf8ToUtf16Le(source, /*bom=*/true);
    case TextEncoding::kWindows1252:
      return text::Utf8ToWindows1252(source, text::Unmappable::kCharacterReference);
    case TextEncoding::kUtf8:
      break;
  }
  return text::ReplaceMalformedUtf8(source);
}

}  // namespace velmora::xml
