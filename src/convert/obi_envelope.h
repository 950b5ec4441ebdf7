#pragma once

#include <cstddef>
#include <cstdint>

#include "velmora/base/variant.h"

// The byte layout of an OBI object before Base64 (lengths big-endian unsigned 32-bit):
//   0 version major, 1 version minor, 2 zero, 3 language code, 4..7 content length n,
//   8.. n content bytes, then signature length m and m signature bytes.
// Pure functions over byte arrays; they never read or write outside the arrays they are given.
namespace velmora::convert {

// The smallest OBI object that can be valid.
inline constexpr size_t kMinimumObiObjectSize = 16;
// The language codes of the layout.
inline constexpr uint8_t kObiLanguageCodeX12 = 0;
inline constexpr uint8_t kObiLanguageCodeEdifact = 1;
inline constexpr uint8_t kObiLanguageCodeXml = 2;

struct ObiEnvelope {
  uint8_t major = 0;
  uint8_t minor = 0;
  uint8_t language_code = 0;
  Bytes content;
  Bytes signature;
};

// Why bytes are not an OBI object.
enum class EnvelopeFault {
  kNone,
  kTooShort,         // fewer than kMinimumObiObjectSize bytes
  kUnknownLanguage,  // a language code other than the three of the layout
  kLengthPastEnd,    // a content or signature length runs past the end of the data
};

// The four big-endian bytes of `count` at `out`; false, with nothing written, when `count`
// does not fit in 32 bits.
bool LongToByteArray(uint64_t count, uint8_t* out);
// The count of the four big-endian bytes at `in`.
uint32_t ByteArrayToLong(const uint8_t* in);

// The bytes of `envelope`; false, with `bytes` unchanged, when the content or the signature is
// too long for its length field.
bool WriteObiEnvelope(const ObiEnvelope& envelope, Bytes& bytes);
// The parts of `bytes` in `envelope` (kNone), or what is wrong with them (`envelope` then
// unchanged). Bytes after the signature are ignored.
EnvelopeFault ReadObiEnvelope(const Bytes& bytes, ObiEnvelope& envelope);

}  // namespace velmora::convert
