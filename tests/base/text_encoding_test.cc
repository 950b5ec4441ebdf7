#include "velmora/base/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::text {
namespace {

TEST(TextEncodingTest, Windows1252HoldsLatinAndTheEuroAndRefusesTheRest) {
  EXPECT_EQ(Utf8ToWindows1252("caf\xC3\xA9 \xE2\x82\xAC 5", Unmappable::kQuestionMark),
            "caf\xE9 \x80 5");
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x80\x9Cq\xE2\x80\x9D", Unmappable::kQuestionMark), "\x93q\x94");
  // CJK, an emoji (one character, one "?") and a lone malformed byte.
  EXPECT_EQ(Utf8ToWindows1252("a\xE4\xB8\xAD"
                              "b\xF0\x9F\x98\x80"
                              "c\xFF"
                              "d",
                              Unmappable::kQuestionMark),
            "a?b?c?d");
}

TEST(TextEncodingTest, Windows1252ForXmlReferencesWhatTheCodePageCannotHold) {
  EXPECT_EQ(Utf8ToWindows1252("\xC3\xA9\xE2\x82\xAC\xC5\xA0\xE4\xB8\xAD\xF0\x9F\x98\x80",
                              Unmappable::kCharacterReference),
            "\xE9\x80\x8A&#20013;&#128512;");
  // The C1 controls without a byte of their own, and the one that byte 0x80 does not hold.
  EXPECT_EQ(Utf8ToWindows1252("\xC2\x81\xC2\x9D\xC2\x80", Unmappable::kCharacterReference),
            "&#129;&#157;&#128;");
  EXPECT_EQ(Utf8ToWindows1252("\xC2\x81\xC2\x9D\xC2\x80", Unmappable::kQuestionMark), "\x81\x9D?");
  // A malformed byte is U+FFFD, which the code page cannot hold either.
  EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF", Unmappable::kCharacterReference), "&#65533;&#65533;");
}

TEST(TextEncodingTest, EveryWindows1252ByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
  }
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWindows1252(utf8, Unmappable::kQuestionMark), all);
  EXPECT_EQ(Windows1252ToUtf8("\x80\x9F\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF");
}

TEST(TextEncodingTest, Windows1252BytesAreCharacters) {
  EXPECT_EQ(Windows1252ToUnicode('A'), u'A');
  EXPECT_EQ(Windows1252ToUnicode(0x80), u'\u20AC');
  EXPECT_EQ(Windows1252ToUnicode(0x9F), u'\u0178');
  EXPECT_EQ(Windows1252ToUnicode(0x8D), u'\u008D');  // undefined: the C1 control
  EXPECT_EQ(Windows1252ToUnicode(0xE9), u'\u00E9');
}

TEST(TextEncodingTest, Utf16CodeUnitsWithSurrogatePairs) {
  EXPECT_EQ(Utf8ToUtf16("A\xE2\x82\xAC\xF0\x9F\x98\x80"), u"A\u20AC\xD83D\xDE00");
  EXPECT_EQ(Utf8ToUtf16("a\xFF"), u"a\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(u"A\u20AC\xD83D\xDE00"), "A\xE2\x82\xAC\xF0\x9F\x98\x80");
  // A lone high surrogate, then a lone low one.
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"\xD83Dx\xDE00")),
            "\xEF\xBF\xBD"
            "x\xEF\xBF\xBD");
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
  EXPECT_TRUE(IsValidUtf8("ascii"));
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xF4\x8F\xBF\xBF"));
  EXPECT_TRUE(IsValidUtf8("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"));
  for (const char* bad : {"\xC0\xAF",          // overlong "/"
                          "\xE0\x80\xAF",      // overlong
                          "\xED\xA0\x80",      // surrogate
                          "\xF4\x90\x80\x80",  // above U+10FFFF
                          "\xC3",              // cut short
                          "\x80",              // continuation without lead
                          "\xFE", "\xFF"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(IsValidUtf8(bad));
  }
}

TEST(TextEncodingTest, MalformedUtf8BecomesReplacementCharactersByteByByte) {
  EXPECT_EQ(ReplaceMalformedUtf8("a\xFF"
                                 "b\xC3"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(ReplaceMalformedUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ReplaceMalformedUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST(TextEncodingTest, ReadingTakesUtf8AsItIsAndFallsBackToWindows1252) {
  EXPECT_EQ(DecodeTextFile("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF<a/>"), "<a/>");
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                           "caf\xE9"),
            "caf\xC3\xA9");
  EXPECT_EQ(DecodeTextFile("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE<\0a\0", 6)), "<a");
  EXPECT_EQ(DecodeTextFile(std::string("\xFE\xFF\0<\0a", 6)), "<a");
  EXPECT_EQ(DecodeTextFile(""), "");
}

TEST(TextEncodingTest, TextFilesAreUnicodeOrAnsiOnRequest) {
  EXPECT_EQ(EncodeTextFile("\xC3\xA9", true), std::string("\xFF\xFE\xE9\x00", 4));
  EXPECT_EQ(EncodeTextFile("\xC3\xA9", false), "\xE9");
  EXPECT_EQ(EncodeTextFile("\xE4\xB8\xAD", false), "?");
}

}  // namespace
}  // namespace velmora::text
