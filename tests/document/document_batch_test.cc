#include <gtest/gtest.h>

#include "document/document_rows.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

using testing::ErrorOf;

class DocumentBatchTest : public testing::DocumentDbTest {
 protected:
  Document document_;
};

TEST_P(DocumentBatchTest, SequencesOfTopLevelElementsAreBatches) {
  for (const char* batch : {
           "",
           "no markup at all",
           "<A>1</A>",
           "<A>1</A><B x='1'>2</B>",
           "<?xml version=\"1.0\"?>\r\n<ORDER id=\"1\"><L/></ORDER>\r\n<!-- next -->\r\n"
           "<ORDER id=\"2\">x</ORDER>\r\n",
           "<A><A>inner closes first</A></A><B>y</B>",
           "<Ä a=\"it's &quot;so&quot;\">Grüße – 東京</Ä><B>'</B>",
           "<!DOCTYPE x><A>1</A>",
           "<A x='>'>1</A>",
           "<A><!--</A>--><![CDATA[</A>]]><?p </A>?></A>",
           "<A\t>x</A\t>",
           "<A>1</A><?pi",
       }) {
    SCOPED_TRACE(batch);
    EXPECT_FALSE(ErrorOf([&] { document_.ParseBatchXMLString(batch); }));
    EXPECT_FALSE(ErrorOf([&] { document_.ParseBatchXMLFile(batch); }));
  }
}

TEST_P(DocumentBatchTest, AnElementWithoutAClosingTagThatLoadsIsRefused) {
  for (const char* batch : {
           "<A>1</A><B>2",
           "<A><B></A>",
           "<A>&undefined;</A>",
           "<A/>",
           "<A>1</A>text<",
           "<A>1</A><A>2</A><C x='1>",
           "<Ä>Grüße</A>",
           "<",
           "<A>1</A><",
           "<A>1</A><B",
           "<A x='>",
           "<A><!--</A>",
           "<A><![CDATA[</A>",
           "</A>",
           "<A x='1'/></A>",
           "<A>1</A >",
       }) {
    SCOPED_TRACE(batch);
    const auto raised = ErrorOf([&] { document_.ParseBatchXMLString(batch); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->number(), ErrNumber(EnumerationErrors::XMLLoadError));
    const std::string& text = raised->description();
    EXPECT_EQ(text.rfind("\r\nMETHOD: Velmora.Document.ParseBatchXMLString caught: ", 0), 0u)
        << text;
    EXPECT_NE(text.find("the closing tag of an element is missing"), std::string::npos) << text;
    EXPECT_NE(text.find("This is not an proper XML Batch file."), std::string::npos) << text;
  }
}

TEST_P(DocumentBatchTest, TheFileFormReportsUnderItsOwnPath) {
  const auto raised = ErrorOf([&] { document_.ParseBatchXMLFile("<A>1</A><B>"); });
  ASSERT_TRUE(raised);
  EXPECT_EQ(
      raised->description().rfind("\r\nMETHOD: Velmora.Document.ParseBatchXMLFile caught: ", 0),
      0u);
}

TEST_P(DocumentBatchTest, DeeplyNestedElementsAreCheckedInOnePass) {
  const auto nested = [](size_t levels) {
    std::string text;
    for (size_t i = 0; i < levels; ++i) {
      text += "<a>";
    }
    for (size_t i = 0; i < levels; ++i) {
      text += "</a>";
    }
    return text;
  };
  EXPECT_FALSE(ErrorOf([&] { document_.ParseBatchXMLString(nested(100000) + nested(2)); }));
  const std::string unclosed = nested(100000);
  const auto raised =
      ErrorOf([&] { document_.ParseBatchXMLFile(unclosed.substr(0, unclosed.size() - 4)); });
  ASSERT_TRUE(raised);
  EXPECT_EQ(raised->number(), ErrNumber(EnumerationErrors::XMLLoadError));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentBatchTest);

}  // namespace
}  // namespace velmora
