#include "platform/xml/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"
#include "velmora/xml/document.h"

namespace velmora::xml {
namespace {

using velmora::testing::TempFolder;
using velmora::testing::WriteFile;

class TextEncodingTest : public ::testing::Test {
 protected:
  TempFolder dir_;
};

TEST_F(TextEncodingTest, NamesAreRecognisedWithoutRegardToCase) {
  EXPECT_EQ(ParseEncodingName("UTF-16"), TextEncoding::kUtf16);
  EXPECT_EQ(ParseEncodingName("utf-16le"), TextEncoding::kUtf16);
  EXPECT_EQ(ParseEncodingName("Windows-1252"), TextEncoding::kWindows1252);
  EXPECT_EQ(ParseEncodingName("CP1252"), TextEncoding::kWindows1252);
  EXPECT_EQ(ParseEncodingName("utf8"), TextEncoding::kUtf8);
  EXPECT_FALSE(ParseEncodingName("UTF-16BE").has_value());
  EXPECT_FALSE(ParseEncodingName("").has_value());
  EXPECT_EQ(EncodingName(TextEncoding::kWindows1252), "windows-1252");
}

TEST_F(TextEncodingTest, Utf16IsLittleEndianWithByteOrderMarkAndSurrogatePairs) {
  EXPECT_EQ(EncodeXmlText("<a>\xC3\xA9\xF0\x9F\x98\x80</a>", TextEncoding::kUtf16),
            std::string("\xFF\xFE<\0a\0>\0\xE9\0\x3D\xD8\x00\xDE<\0/\0a\0>\0", 22));
}

TEST_F(TextEncodingTest, Windows1252MapsItsCharactersAndReferencesTheRest) {
  EXPECT_EQ(EncodeXmlText("<a>\xC3\xA9\xE2\x82\xAC\xC5\xA0\xE4\xB8\xAD\xC2\x81</a>",
                          TextEncoding::kWindows1252),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9\x80\x8A&#20013;&#129;</a>");
}

TEST_F(TextEncodingTest, DeclaredEncodingIsRewrittenOrAdded) {
  EXPECT_EQ(
      EncodeXmlText("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", TextEncoding::kWindows1252),
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a/>");
  EXPECT_EQ(EncodeXmlText("<?xml version='1.0' standalone='yes'?><a/>", TextEncoding::kUtf8),
            "<?xml version='1.0' encoding=\"UTF-8\" standalone='yes'?><a/>");
  EXPECT_EQ(EncodeXmlText("<a/>", TextEncoding::kUtf8), "<a/>");
  EXPECT_EQ(SetDeclaredEncoding("<a/>", "UTF-8"), "<a/>");
  EXPECT_EQ(SetDeclaredEncoding("<?xml version=\"1.0\" encoding='latin1'?>\n<a/>", "UTF-8"),
            "<?xml version=\"1.0\" encoding='UTF-8'?>\n<a/>");
}

TEST_F(TextEncodingTest, InvalidUtf8BecomesTheReplacementCharacter) {
  EXPECT_EQ(EncodeXmlText("a\xFF"
                          "b\xC3",
                          TextEncoding::kUtf8),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(EncodeXmlText("\xED\xA0\x80", TextEncoding::kUtf8),
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // an encoded surrogate is not a character
  EXPECT_EQ(EncodeXmlText("\xC0\xAF", TextEncoding::kWindows1252),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>&#65533;&#65533;");
}

TEST_F(TextEncodingTest, EncodedFilesLoadBackToTheSameText) {
  const std::string text = "\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD & \xF0\x9F\x98\x80";
  const std::string xml = "<?xml version=\"1.0\"?><r a=\"" + text.substr(0, 8) + "\">" +
                          "\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD &amp; \xF0\x9F\x98\x80</r>";
  for (TextEncoding encoding :
       {TextEncoding::kUtf8, TextEncoding::kUtf16, TextEncoding::kWindows1252}) {
    SCOPED_TRACE(EncodingName(encoding));
    std::string path = dir_.File("t-" + EncodingName(encoding) + ".xml");
    WriteFile(path, EncodeXmlText(xml, encoding));
    Document doc;
    ASSERT_TRUE(doc.LoadFile(path)) << doc.parse_error().reason;
    EXPECT_EQ(doc.Text(), text);
    EXPECT_EQ(doc.DocumentElement()->GetAttribute("a"), text.substr(0, 8));
  }
}

}  // namespace
}  // namespace velmora::xml
