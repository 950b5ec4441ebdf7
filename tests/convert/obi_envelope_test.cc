#include "convert/obi_envelope.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace velmora::convert {
namespace {

class ObiEnvelopeTest : public ::testing::Test {
 protected:
  // A valid object: version 3.0, XML, content "<A>x</A>", signature 1 2 3.
  static Bytes Valid() {
    ObiEnvelope envelope;
    envelope.major = 3;
    envelope.language_code = kObiLanguageCodeXml;
    envelope.content = Bytes{'<', 'A', '>', 'x', '<', '/', 'A', '>'};
    envelope.signature = Bytes{1, 2, 3};
    Bytes bytes;
    EXPECT_TRUE(WriteObiEnvelope(envelope, bytes));
    return bytes;
  }

  static void SetLength(Bytes& bytes, size_t at, uint32_t length) {
    ASSERT_TRUE(LongToByteArray(length, &bytes[at]));
  }

  // Reads `bytes` into an envelope that must stay as it was when the read fails.
  static EnvelopeFault Read(const Bytes& bytes) {
    ObiEnvelope envelope;
    envelope.major = 9;
    envelope.content = Bytes{7};
    const EnvelopeFault fault = ReadObiEnvelope(bytes, envelope);
    if (fault != EnvelopeFault::kNone) {
      EXPECT_EQ(envelope.major, 9);
      EXPECT_EQ(envelope.content, Bytes{7});
    }
    return fault;
  }
};

TEST_F(ObiEnvelopeTest, LengthsAreFourBigEndianBytes) {
  uint8_t field[4] = {9, 9, 9, 9};
  ASSERT_TRUE(LongToByteArray(0x01020304, field));
  EXPECT_EQ(Bytes(field, field + 4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(ByteArrayToLong(field), 0x01020304u);
  ASSERT_TRUE(LongToByteArray(0xFFFFFFFF, field));
  EXPECT_EQ(ByteArrayToLong(field), 0xFFFFFFFFu);
  ASSERT_TRUE(LongToByteArray(200, field));
  EXPECT_EQ(Bytes(field, field + 4), (Bytes{0, 0, 0, 200}));
  EXPECT_FALSE(LongToByteArray(0x100000000ull, field));
  EXPECT_EQ(Bytes(field, field + 4), (Bytes{0, 0, 0, 200}));
}

TEST_F(ObiEnvelopeTest, WritesTheLayoutAndReadsItBack) {
  const Bytes bytes = Valid();
  EXPECT_EQ(bytes, (Bytes{3,   0,   0,   2,   0, 0, 0, 8, '<', 'A', '>', 'x',
                          '<', '/', 'A', '>', 0, 0, 0, 3, 1,   2,   3}));
  ObiEnvelope read;
  ASSERT_EQ(ReadObiEnvelope(bytes, read), EnvelopeFault::kNone);
  EXPECT_EQ(read.major, 3);
  EXPECT_EQ(read.minor, 0);
  EXPECT_EQ(read.language_code, kObiLanguageCodeXml);
  EXPECT_EQ(read.content.size(), 8u);
  EXPECT_EQ(read.signature, (Bytes{1, 2, 3}));

  Bytes longer = bytes;
  longer.push_back(0xEE);
  ASSERT_EQ(ReadObiEnvelope(longer, read), EnvelopeFault::kNone);
  EXPECT_EQ(read.signature, (Bytes{1, 2, 3}));
}

TEST_F(ObiEnvelopeTest, EmptyContentAndSignatureNeedSixteenBytes) {
  const Bytes twelve{3, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Read(twelve), EnvelopeFault::kTooShort);
  Bytes sixteen = twelve;
  sixteen.insert(sixteen.end(), {0, 0, 0, 0});
  EXPECT_EQ(Read(sixteen), EnvelopeFault::kNone);
  EXPECT_EQ(Read(Bytes{}), EnvelopeFault::kTooShort);
}

TEST_F(ObiEnvelopeTest, EveryTruncationIsRefused) {
  const Bytes bytes = Valid();
  for (size_t size = 0; size < bytes.size(); ++size) {
    SCOPED_TRACE(size);
    const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(Read(cut), size < kMinimumObiObjectSize ? EnvelopeFault::kTooShort
                                                      : EnvelopeFault::kLengthPastEnd);
  }
}

TEST_F(ObiEnvelopeTest, LengthsBeyondTheDataAreRefusedAlsoNearTwoToThe32) {
  for (uint32_t length :
       {9u, 12u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF4u, 0xFFFFFFF8u, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(length);
    Bytes content_too_long = Valid();
    SetLength(content_too_long, 4, length);
    EXPECT_EQ(Read(content_too_long), EnvelopeFault::kLengthPastEnd);
    Bytes signature_too_long = Valid();
    SetLength(signature_too_long, 16, length);
    EXPECT_EQ(Read(signature_too_long), EnvelopeFault::kLengthPastEnd);
  }
  // A content length that swallows the signature's length field.
  Bytes swallowed = Valid();
  SetLength(swallowed, 4, 11);
  EXPECT_EQ(Read(swallowed), EnvelopeFault::kLengthPastEnd);
}

TEST_F(ObiEnvelopeTest, OnlyTheThreeLanguageCodesAreRead) {
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    Bytes bytes = Valid();
    bytes[3] = static_cast<uint8_t>(code);
    EXPECT_EQ(Read(bytes), code <= 2 ? EnvelopeFault::kNone : EnvelopeFault::kUnknownLanguage);
  }
}

}  // namespace
}  // namespace velmora::convert
