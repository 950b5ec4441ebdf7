#pragma once

#include <string>
#include <string_view>

// Conversions between the library's UTF-8 text and the other encodings it reads and writes:
// Windows-1252 ("ANSI"), UTF-16 (code units, or little- and big-endian bytes). Pure functions;
// none raises. Malformed UTF-8 input (a stray or missing continuation byte, an overlong form, an
// encoded surrogate, a value above U+10FFFF) is read one byte at a time, each such byte as
// U+FFFD.
namespace velmora::text {

// True when `bytes` is well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// `bytes` with each malformed byte replaced by U+FFFD; well-formed UTF-8 comes back unchanged.
std::string ReplaceMalformedUtf8(std::string_view bytes);

// What Utf8ToWindows1252 writes for a character the code page cannot hold.
enum class Unmappable {
  // "?". The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are
  // written for the C1 controls of the same value, so that Windows-1252 bytes survive a round
  // trip through Windows1252ToUtf8. For plain text files.
  kQuestionMark,
  // The decimal character reference "&#N;" (N the code point), for XML text and attribute
  // values. The five C1 controls without a byte are referenced too, so that every byte written
  // is a character that a Windows-1252 reader knows.
  kCharacterReference,
};

// UTF-8 text as Windows-1252 bytes; a malformed byte counts as U+FFFD, which the code page
// cannot hold.
std::string Utf8ToWindows1252(std::string_view utf8, Unmappable unmappable);

// The character of Windows-1252 byte `byte`; the five undefined bytes give the C1 control of
// the same value.
char16_t Windows1252ToUnicode(unsigned char byte);

// Windows-1252 bytes as UTF-8 text; every byte has a character (see Windows1252ToUnicode).
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 text as UTF-16 code units (a character above U+FFFF as a surrogate pair).
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 code units as UTF-8 text; a surrogate pair is one character, an unpaired surrogate
// U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// UTF-8 text as UTF-16LE bytes, with the byte-order mark FF FE in front when `bom`.
std::string Utf8ToUtf16Le(std::string_view utf8, bool bom);

// UTF-16 bytes (without byte-order mark), little- or big-endian, as UTF-8 text; unpaired
// surrogates and an odd last byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool little_endian);

// The text of a file read in the system default encoding: a UTF-8 byte-order mark is dropped
// and the rest returned as it is (read as Windows-1252 when it is not valid UTF-8); a UTF-16
// byte-order mark (FF FE or FE FF) decodes UTF-16; bytes that are valid UTF-8 are returned
// unchanged; anything else is read as Windows-1252, so that such a file is never read as
// garbage.
std::string DecodeTextFile(std::string_view bytes);

// The bytes of a text file holding `text`: UTF-16LE with byte-order mark when `unicode`,
// Windows-1252 with "?" for what the code page cannot hold otherwise.
std::string EncodeTextFile(std::string_view text, bool unicode);

}  // namespace velmora::text
