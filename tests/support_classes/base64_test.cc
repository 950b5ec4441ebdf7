#include "velmora/support/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "core/labels.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

// `count` bytes running through every value.
Bytes Sequence(size_t count) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  }
  return bytes;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Encoding, decoding and the text conversions on good input; no label is read.
class Base64Test : public ::testing::Test {
 protected:
  std::string Encode(Bytes bytes) { return base64_.Base64Encode(bytes); }
  Bytes Decode(std::string text) { return base64_.Base64Decode(text); }

  Base64 base64_;
};

TEST_F(Base64Test, EncodesGroupsOfThreeAndPadsTheRest) {
  EXPECT_EQ(Encode(BytesOf("abc")), "YWJj");
  EXPECT_EQ(Encode(Bytes{0x00}), "AA==");
  EXPECT_EQ(Encode(Bytes{0x00, 0x00}), "AAA=");
  EXPECT_EQ(Encode(Bytes{0xFB, 0xFF, 0xBF}), "+/+/");
  EXPECT_EQ(Decode("YWJj"), BytesOf("abc"));
  EXPECT_EQ(Decode("AA=="), Bytes{0x00});
  EXPECT_EQ(Decode("AAA="), (Bytes{0x00, 0x00}));
}

TEST_F(Base64Test, BreaksLinesAfterEvery76CharactersWithoutATrailingBreak) {
  const std::string exactly_76 = Encode(Sequence(57));
  EXPECT_EQ(exactly_76.size(), 76u);
  EXPECT_EQ(exactly_76.find('\r'), std::string::npos);

  const std::string eighty = Encode(Sequence(58));
  EXPECT_EQ(eighty.size(), 82u);
  EXPECT_EQ(eighty.find("\r\n"), 76u);

  const std::string hundred_twenty = Encode(Sequence(90));
  ASSERT_EQ(hundred_twenty.size(), 122u);
  EXPECT_EQ(hundred_twenty.substr(76, 2), "\r\n");
  EXPECT_EQ(hundred_twenty.find("\r\n", 78), std::string::npos);

  const std::string two_full_lines = Encode(Sequence(114));
  EXPECT_EQ(two_full_lines.size(), 154u);
  EXPECT_NE(two_full_lines.substr(152), "\r\n");
}

TEST_F(Base64Test, InsertsBreaksOnlyBetweenLines) {
  const std::string s76(76, 'x');
  EXPECT_EQ(base64_.InsertNewlineChars(s76, 76), s76);
  EXPECT_EQ(base64_.InsertNewlineChars(s76 + "y", 76), s76 + "\r\ny");
  EXPECT_EQ(base64_.InsertNewlineChars("abcdef", 2), "ab\r\ncd\r\nef");
  EXPECT_EQ(base64_.InsertNewlineChars("abcdef", 0), "abcdef");
  EXPECT_EQ(base64_.InsertNewlineChars("abcdef", -3), "abcdef");
  EXPECT_EQ(base64_.InsertNewlineChars("", 4), "");
  // Characters, not bytes, are counted.
  EXPECT_EQ(base64_.InsertNewlineChars("ééé€", 2), "éé\r\né€");
}

TEST_F(Base64Test, DecodingIgnoresLineBreaksTabsAndSpaces) {
  const Bytes data = Sequence(200);
  const std::string encoded = Encode(data);
  ASSERT_NE(encoded.find("\r\n"), std::string::npos);
  EXPECT_EQ(Decode(encoded), data);
  std::string spread;
  for (size_t i = 0; i < encoded.size(); ++i) {
    spread += encoded[i];
    spread += i % 3 == 0 ? " \t" : (i % 5 == 0 ? "\n" : "");
  }
  EXPECT_EQ(Decode(" \r\n" + spread + "\t "), data);
}

TEST_F(Base64Test, EveryLengthSurvivesTheRoundTrip) {
  for (size_t size = 1; size <= 160; ++size) {
    SCOPED_TRACE(size);
    const Bytes data = Sequence(size);
    const std::string encoded = Encode(data);
    EXPECT_EQ(base64_.StripIllegalChars(encoded).size(), (size + 2) / 3 * 4);
    EXPECT_EQ(Decode(encoded), data);
  }
}

TEST_F(Base64Test, TextBecomesWindows1252BytesOrUtf16WhenACharacterHasNone) {
  EXPECT_EQ(base64_.UnicodeStringToByte("abc"), BytesOf("abc"));
  EXPECT_EQ(base64_.UnicodeStringToByte("é€"), (Bytes{0xE9, 0x80}));
  EXPECT_EQ(base64_.UnicodeStringToByte("aĀ"), (Bytes{0x61, 0x00, 0x00, 0x01}));
  EXPECT_EQ(base64_.UnicodeStringToByte("€😀"), (Bytes{0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_EQ(base64_.UnicodeStringToByte(""), Bytes{});
}

TEST_F(Base64Test, BytesBecomeWindows1252Characters) {
  EXPECT_EQ(base64_.ByteToUnicodeString(Bytes{0x61, 0xE9, 0x80}), "aé€");
  EXPECT_EQ(base64_.ByteToUnicodeString(Bytes{0x81}), "\u0081");
  EXPECT_EQ(base64_.ByteToUnicodeString(Bytes{0x00, 0x41}), std::string("\0A", 2));
  const Bytes every = Sequence(256);
  EXPECT_EQ(base64_.UnicodeStringToByte(base64_.ByteToUnicodeString(every)), every);
}

TEST_F(Base64Test, StripsOnlyBreaksTabsAndSpaces) {
  EXPECT_EQ(base64_.StripIllegalChars(" a\r\nb\tc  d\n"), "abcd");
  EXPECT_EQ(base64_.StripIllegalChars("a\vb\fc"), "a\vb\fc");
}

// Refused input: MissingInput with the label's text, raised as it is.
class Base64FailureTest : public testing::LibraryDbTest {
 protected:
  void ExpectRefused(std::string text, const std::string& label) {
    SCOPED_TRACE(text);
    const Error failure = testing::RaisedBy([&] { base64_.Base64Decode(text); });
    EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::MissingInput));
    EXPECT_EQ(failure.source(), "Velmora.Base64.Base64Decode");
    EXPECT_EQ(failure.description(), core::GetLabel(label));
  }

  Base64 base64_;
};

TEST_P(Base64FailureTest, EncodingNothingIsRefused) {
  Bytes nothing;
  const Error failure = testing::RaisedBy([&] { base64_.Base64Encode(nothing); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::MissingInput));
  EXPECT_EQ(failure.source(), "Velmora.Base64.Base64Encode");
  EXPECT_EQ(failure.description(), "There is no data to encode.");
}

TEST_P(Base64FailureTest, EmptyTextAndLengthsThatAreNoMultipleOfFourAreRefused) {
  EXPECT_TRUE(testing::Contains(core::GetLabel("ZODAR4550"), "multiple of 4"));
  for (const char* text : {"", " \r\n\t ", "YWJjZ", "Y", "YW", "YWJ", "YWJj\r\nYW="}) {
    ExpectRefused(text, "ZODAR4550");
  }
}

TEST_P(Base64FailureTest, CharactersOutsideTheAlphabetAreRefused) {
  EXPECT_TRUE(testing::Contains(core::GetLabel("ZODAR4552"), "alphabet"));
  for (const char* text : {"YW*j", "YWJ-", "=WJj", "Y=Jj", "YW=j", "Y===", "====", "YWJj====",
                           "AB=C", "YWé=", "ĀĀ", "YWJjĀAAA", "YW\x01j", "YW\xffj"}) {
    ExpectRefused(text, "ZODAR4552");
  }
}

TEST_P(Base64FailureTest, LongGarbageIsRefusedWithoutReadingPastIt) {
  std::string garbage(4096, '=');
  ExpectRefused(garbage, "ZODAR4552");
  garbage.assign(4095, 'A');
  ExpectRefused(garbage, "ZODAR4550");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(Base64FailureTest);

}  // namespace
}  // namespace velmora
