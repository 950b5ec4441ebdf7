#include "platform/files/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::files {
namespace {

TEST(TextEncodingTest, Windows1252HoldsLatinAndTheEuroAndRefusesTheRest) {
  EXPECT_EQ(Utf8ToWindows1252("caf\xC3\xA9 \xE2\x82\xAC 5"), "caf\xE9 \x80 5");
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x80\x9Cq\xE2\x80\x9D"), "\x93q\x94");
  // CJK, an emoji (one character, one "?") and a lone malformed byte.
  EXPECT_EQ(Utf8ToWindows1252("a\xE4\xB8\xAD"
                              "b\xF0\x9F\x98\x80"
                              "c\xFF"
                              "d"),
            "a?b?c?d");
}

TEST(TextEncodingTest, EveryWindows1252ByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
  }
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWindows1252(utf8), all);
  EXPECT_EQ(Windows1252ToUtf8("\x80\x9F\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF");
}

TEST(TextEncodingTest, Utf16LittleEndianWithByteOrderMarkAndSurrogates) {
  const std::string bytes = Utf8ToUtf16Le("A\xE2\x82\xAC\xF0\x9F\x98\x80", true);
  EXPECT_EQ(bytes, std::string("\xFF\xFE\x41\x00\xAC\x20\x3D\xD8\x00\xDE", 10));
  EXPECT_EQ(Utf8ToUtf16Le("A", false), std::string("A\0", 2));
  EXPECT_EQ(Utf16ToUtf8(bytes.substr(2), true), "A\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::string("\x00\x41\x20\xAC", 4), false), "A\xE2\x82\xAC");
}

TEST(TextEncodingTest, BrokenUtf16BecomesReplacementCharacters) {
  // An unpaired high surrogate, then an odd last byte.
  EXPECT_EQ(Utf16ToUtf8(std::string("\x3D\xD8\x41\x00\x42", 5), true),
            "\xEF\xBF\xBD"
            "A"
            "\xEF\xBF\xBD");
}

TEST(TextEncodingTest, Utf8ValidationRefusesMalformedForms) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xF4\x8F\xBF\xBF"));
  for (const char* bad :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\x80", "\xFE"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(IsValidUtf8(bad));
  }
}

TEST(TextEncodingTest, ReadingTakesUtf8AsItIsAndFallsBackToWindows1252) {
  EXPECT_EQ(DecodeTextFile("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF<a/>"), "<a/>");
  EXPECT_EQ(DecodeTextFile("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE<\0a\0", 6)), "<a");
  EXPECT_EQ(DecodeTextFile(std::string("\xFE\xFF\0<\0a", 6)), "<a");
  EXPECT_EQ(DecodeTextFile(""), "");
}

TEST(TextEncodingTest, TextFilesAreUnicodeOrAnsiOnRequest) {
  EXPECT_EQ(EncodeTextFile("\xC3\xA9", true), std::string("\xFF\xFE\xE9\x00", 4));
  EXPECT_EQ(EncodeTextFile("\xC3\xA9", false), "\xE9");
}

}  // namespace
}  // namespace velmora::files
