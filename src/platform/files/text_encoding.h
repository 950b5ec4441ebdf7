#pragma once

#include <string>
#include <string_view>

// The encodings of the text files the library writes and reads. Text inside the library is
// UTF-8. "ANSI" files are Windows-1252; "Unicode" files are UTF-16LE with a byte-order mark;
// the system default encoding for reading is UTF-8, with a fall-back so that a Windows-1252
// file is never read as garbage (DecodeTextFile).
namespace velmora::files {

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// UTF-8 text as Windows-1252 bytes. Characters that Windows-1252 cannot hold, and malformed
// UTF-8 bytes, become "?". The five code points the code page leaves undefined (U+0081,
// U+008D, U+008F, U+0090, U+009D) map to the bytes of the same value, so Windows-1252 bytes
// survive a round trip.
std::string Utf8ToWindows1252(std::string_view utf8);

// Windows-1252 bytes as UTF-8 text; every byte has a character (the five undefined ones map
// to the C1 control of the same value).
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 text as UTF-16LE bytes, with the byte-order mark FF FE in front when `bom`.
// Malformed UTF-8 bytes become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view utf8, bool bom);

// UTF-16 bytes (without byte-order mark) as UTF-8; unpaired surrogates and an odd last byte
// become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool little_endian);

// The text of a file read in the system default encoding: a UTF-8 byte-order mark is dropped
// and the rest returned as it is; a UTF-16 byte-order mark (FF FE or FE FF) decodes UTF-16;
// bytes that are valid UTF-8 are returned unchanged; anything else is read as Windows-1252.
std::string DecodeTextFile(std::string_view bytes);

// The bytes of a text file holding `text`: UTF-16LE with byte-order mark when `unicode`,
// Windows-1252 otherwise.
std::string EncodeTextFile(std::string_view text, bool unicode);

}  // namespace velmora::files
