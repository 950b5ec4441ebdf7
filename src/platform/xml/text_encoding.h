#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::xml {

// Encodings of XML files the library writes and reads.
enum class TextEncoding {
  kUtf8,         // "UTF-8", no byte-order mark
  kUtf16,        // "UTF-16": little-endian with byte-order mark FF FE
  kWindows1252,  // "windows-1252": characters outside the code page as &#N; references
};

// The encoding named `name` ("UTF-8", "UTF-16", "windows-1252"; ASCII case ignored; "UTF8",
// "UTF-16LE", "cp1252" accepted as aliases), or none.
std::optional<TextEncoding> ParseEncodingName(std::string_view name);
// The name written in XML declarations: "UTF-8", "UTF-16", "windows-1252".
std::string EncodingName(TextEncoding encoding);

// `xml` with the encoding of its leading XML declaration set to `name` (added after the
// version when the declaration has none); unchanged when it does not begin with a declaration.
std::string SetDeclaredEncoding(std::string_view xml, std::string_view name);

// XML text (UTF-8) as the bytes of a file in `encoding`, for XML that exists only as text.
// The encoding of a leading XML declaration is set to `encoding` (added when missing); text
// without a declaration gets one for windows-1252 only, which a reader could not detect
// otherwise. Characters outside windows-1252 become decimal character references (valid in
// text and attribute values). Invalid UTF-8 sequences become U+FFFD.
std::string EncodeXmlText(std::string_view utf8, TextEncoding encoding);

}  // namespace velmora::xml
