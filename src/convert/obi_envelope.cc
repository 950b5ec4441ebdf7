#include "convert/obi_envelope.h"

#include <cstddef>
#include <limits>
#include <utility>

namespace velmora::convert {
namespace {

constexpr size_t kHeaderSize = 4;
constexpr size_t kLengthSize = 4;

void AppendLength(uint64_t count, Bytes& bytes) {
  uint8_t field[kLengthSize];
  LongToByteArray(count, field);
  bytes.insert(bytes.end(), field, field + kLengthSize);
}

}  // namespace

bool LongToByteArray(uint64_t count, uint8_t* out) {
  if (count > std::numeric_limits<uint32_t>::max()) {
    return false;
  }
  out[0] = static_cast<uint8_t>(count / 0x1000000);
  out[1] = static_cast<uint8_t>(count % 0x1000000 / 0x10000);
  out[2] = static_cast<uint8_t>(count % 0x10000 / 0x100);
  out[3] = static_cast<uint8_t>(count % 0x100);
  return true;
}

uint32_t ByteArrayToLong(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) * 0x1000000 + static_cast<uint32_t>(in[1]) * 0x10000 +
         static_cast<uint32_t>(in[2]) * 0x100 + static_cast<uint32_t>(in[3]);
}

bool WriteObiEnvelope(const ObiEnvelope& envelope, Bytes& bytes) {
  const uint64_t limit = std::numeric_limits<uint32_t>::max();
  if (envelope.content.size() > limit || envelope.signature.size() > limit) {
    return false;
  }
  Bytes out;
  out.reserve(kHeaderSize + 2 * kLengthSize + envelope.content.size() + envelope.signature.size());
  out.push_back(envelope.major);
  out.push_back(envelope.minor);
  out.push_back(0);
  out.push_back(envelope.language_code);
  AppendLength(envelope.content.size(), out);
  out.insert(out.end(), envelope.content.begin(), envelope.content.end());
  AppendLength(envelope.signature.size(), out);
  out.insert(out.end(), envelope.signature.begin(), envelope.signature.end());
  bytes = std::move(out);
  return true;
}

EnvelopeFault ReadObiEnvelope(const Bytes& bytes, ObiEnvelope& envelope) {
  if (bytes.size() < kMinimumObiObjectSize) {
    return EnvelopeFault::kTooShort;
  }
  const uint8_t language_code = bytes[3];
  if (language_code > kObiLanguageCodeXml) {
    return EnvelopeFault::kUnknownLanguage;
  }
  // 64-bit positions: a 32-bit length near 2^32 cannot wrap around.
  const uint64_t size = bytes.size();
  const uint64_t content_begin = kHeaderSize + kLengthSize;
  const uint64_t content_end = content_begin + ByteArrayToLong(&bytes[kHeaderSize]);
  if (content_end + kLengthSize > size) {
    return EnvelopeFault::kLengthPastEnd;
  }
  const uint64_t signature_begin = content_end + kLengthSize;
  const uint64_t signature_end = signature_begin + ByteArrayToLong(&bytes[content_end]);
  if (signature_end > size) {
    return EnvelopeFault::kLengthPastEnd;
  }
  envelope.major = bytes[0];
  envelope.minor = bytes[1];
  envelope.language_code = language_code;
  const auto at = [&bytes](uint64_t position) {
    return bytes.begin() + static_cast<std::ptrdiff_t>(position);
  };
  envelope.content.assign(at(content_begin), at(content_end));
  envelope.signature.assign(at(signature_begin), at(signature_end));
  return EnvelopeFault::kNone;
}

}  // namespace velmora::convert
