#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"

namespace velmora {

// Velmora.Base64: byte arrays as Base64 text (the standard alphabet, "=" as pad character) in
// lines of 76 characters separated by "\r\n", Base64 text back to bytes, and the conversions
// between text and bytes that OBI objects use. Stateless; safe to use from several threads.
//
// Text is UTF-8. The single-byte code page of these conversions is Windows-1252, Velmora's
// system code page.
//
// Failures: an empty array to encode raises MissingInput with label "ZODAR4551"; text to decode
// that is empty or whose length (after white space is removed) is not a multiple of 4 raises
// MissingInput with label "ZODAR4550"; text that holds a character outside the alphabet, or a
// pad character anywhere but in the last two places, raises MissingInput with label
// "ZODAR4552". These leave the method as they are, with source "Velmora.Base64.<method>";
// other failures are reported under that path.
class Base64 {
 public:
  // `abBytes` in Base64, broken into lines of 76 characters (no break after the last line).
  std::string Base64Encode(Bytes& abBytes);
  // The bytes of `sText`; carriage returns, line feeds, tabs and spaces are ignored.
  Bytes Base64Decode(std::string& sText);
  // `sString` as Windows-1252 bytes; when some character has no Windows-1252 byte, its UTF-16LE
  // bytes instead (without byte-order mark).
  Bytes UnicodeStringToByte(const std::string& sString);
  // One character per byte, each the Windows-1252 character of the byte (the five bytes the
  // code page leaves undefined give the C1 control of the same value).
  std::string ByteToUnicodeString(const Bytes& abBytes);
  // `sString` without carriage returns, line feeds, tabs and spaces.
  std::string StripIllegalChars(const std::string& sString);
  // `sString` in lines of `lLineLength` characters (UTF-8 code points) joined by "\r\n", the
  // last line holding the rest; unchanged when `lLineLength` is not positive or not smaller
  // than the length of the string.
  std::string InsertNewlineChars(const std::string& sString, int32_t lLineLength);
};

}  // namespace velmora
