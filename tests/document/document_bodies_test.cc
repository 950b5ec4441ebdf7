#include <gtest/gtest.h>

#include "document/document_rows.h"
#include "document/document_store.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

using testing::DocumentRow;
using testing::ErrorOf;

constexpr const char* kNowText = "2031-04-05 06:07:08";
constexpr const char* kOldDate = "2020-01-01 00:00:00";
constexpr const char* kQuoted = "<A b='1'>It's \"quoted\" – Grüße 東京</A>";

class DocumentBodiesTest : public testing::DocumentDbTest {
 protected:
  std::string Date(int32_t doc, const char* column) { return Column(doc, column).ToText(); }
  std::string TextOf(int32_t doc, const char* column) {
    const Variant value = Column(doc, column);
    return value.IsNull() ? "<NULL>" : value.ToText();
  }

  Document document_;
};

TEST_P(DocumentBodiesTest, StoringAnOriginalAddsAFreshRow) {
  const int32_t first = document::StoreOriginalDocument(kQuoted);
  const int32_t second = document::StoreOriginalDocument("");
  EXPECT_GT(first, 0);
  EXPECT_GT(second, first);
  EXPECT_EQ(TextOf(first, "ORIGINALXMLBODY"), kQuoted);
  EXPECT_EQ(TextOf(second, "ORIGINALXMLBODY"), "");
  EXPECT_EQ(Column(first, "STATUS").ToInt32(), -1);
  EXPECT_EQ(Date(first, "CREATIONDATE"), kNowText);
  EXPECT_EQ(Date(first, "ENTRANCEDATE"), kNowText);
  EXPECT_EQ(TextOf(first, "XMLBODY"), "<NULL>");
  EXPECT_EQ(TextOf(first, "DOCUMENTTYPEID"), "<NULL>");
}

TEST_P(DocumentBodiesTest, UpdateDocumentWritesEveryProperty) {
  const int32_t parent = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t doc = document::StoreOriginalDocument("<A/>");
  document::UpdateDocument(doc, "O'RDERS ü", "O'Brien", "Zoë \"Z\"", 0, false, parent);
  EXPECT_EQ(TextOf(doc, "DOCUMENTTYPEID"), "O'RDERS ü");
  EXPECT_EQ(TextOf(doc, "SENDER"), "O'Brien");
  EXPECT_EQ(TextOf(doc, "DEFAULTRECEIVER"), "Zoë \"Z\"");
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 0);
  EXPECT_EQ(Column(doc, "SHOW").ToInt32(), 0);
  EXPECT_EQ(Column(doc, "DOC_DOCUMENTID").ToInt32(), parent);
  document::UpdateDocument(doc, "INVOICE", "anna", "", 1, true, -1);
  EXPECT_EQ(Column(doc, "SHOW").ToInt32(), 1);
  EXPECT_EQ(TextOf(doc, "DEFAULTRECEIVER"), "");
}

TEST_P(DocumentBodiesTest, UpdateDocumentKeepsTypeAndParentWhenNotGiven) {
  const int32_t parent = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(0).Parent(parent));
  document::UpdateDocument(doc, "", "anna", "bob", 1, true, -1);
  EXPECT_EQ(TextOf(doc, "DOCUMENTTYPEID"), "ORDERS");
  EXPECT_EQ(Column(doc, "DOC_DOCUMENTID").ToInt32(), parent);
  EXPECT_EQ(TextOf(doc, "SENDER"), "anna");
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 1);
  document::UpdateDocument(doc, "   ", "anna", "bob", 1, true, -1);
  EXPECT_EQ(TextOf(doc, "DOCUMENTTYPEID"), "ORDERS");
  // A missing row is not an error and adds nothing.
  EXPECT_FALSE(ErrorOf([&] { document::UpdateDocument(8888, "T", "s", "r", 0, true, -1); }));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 2);
}

TEST_P(DocumentBodiesTest, BodyUpdatesWriteTheBodyAndItsDate) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Original("<O/>").Body("<B/>"));
  document_.UpdateDocumentWithXmlBody(doc, kQuoted);
  EXPECT_EQ(TextOf(doc, "XMLBODY"), kQuoted);
  EXPECT_EQ(Date(doc, "CREATIONDATE"), kNowText);
  EXPECT_EQ(Date(doc, "ENTRANCEDATE"), kOldDate);
  EXPECT_EQ(TextOf(doc, "ORIGINALXMLBODY"), "<O/>");

  const int32_t other = AddDocument(DocumentRow().Type("ORDERS").Original("<O/>").Body("<B/>"));
  document_.UpdateDocumentWithOriginalXmlBody(other, kQuoted);
  EXPECT_EQ(TextOf(other, "ORIGINALXMLBODY"), kQuoted);
  EXPECT_EQ(Date(other, "ENTRANCEDATE"), kNowText);
  EXPECT_EQ(Date(other, "CREATIONDATE"), kOldDate);
  EXPECT_EQ(TextOf(other, "XMLBODY"), "<B/>");

  document_.UpdateDocumentWithXmlBody(doc, "");
  EXPECT_EQ(TextOf(doc, "XMLBODY"), "");
  document_.UpdateDocumentWithXmlBody(424242, "<X/>");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 2);
}

TEST_P(DocumentBodiesTest, UpdateDocTableWithDocTypeNeedsARowAndAType) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS"));
  EXPECT_TRUE(document_.UpdateDocTableWithDocType(doc, "IN'VOICE – ü"));
  EXPECT_EQ(TextOf(doc, "DOCUMENTTYPEID"), "IN'VOICE – ü");
  EXPECT_FALSE(document_.UpdateDocTableWithDocType(doc, ""));
  EXPECT_EQ(TextOf(doc, "DOCUMENTTYPEID"), "IN'VOICE – ü");
  EXPECT_FALSE(document_.UpdateDocTableWithDocType(31337, "ORDERS"));
}

TEST_P(DocumentBodiesTest, CopyingTheOriginalReplacesTheWorkingBody) {
  const int32_t doc =
      AddDocument(DocumentRow().Type("ORDERS").Original(kQuoted).Body("<B/>").Temp("<T/>"));
  document::CopyOriginalXMLtoXMLBody(doc, false);
  EXPECT_EQ(TextOf(doc, "XMLBODY"), kQuoted);
  EXPECT_EQ(TextOf(doc, "TEMPXMLBODY"), "<T/>");
  EXPECT_EQ(Date(doc, "CREATIONDATE"), kNowText);
  document::CopyOriginalXMLtoXMLBody(doc, true);
  EXPECT_EQ(TextOf(doc, "TEMPXMLBODY"), kQuoted);
}

TEST_P(DocumentBodiesTest, CopyingTheTemporaryBodyReplacesTheWorkingBody) {
  const int32_t doc =
      AddDocument(DocumentRow().Type("ORDERS").Original("<O/>").Body("<B/>").Temp(kQuoted));
  document::CopyTempXMLtoXMLBody(doc);
  EXPECT_EQ(TextOf(doc, "XMLBODY"), kQuoted);
  EXPECT_EQ(TextOf(doc, "ORIGINALXMLBODY"), "<O/>");
  EXPECT_EQ(Date(doc, "CREATIONDATE"), kNowText);
}

TEST_P(DocumentBodiesTest, AnEmptyTemporaryBodyIsFilledFromTheWorkingOrOriginalBody) {
  const int32_t from_body = AddDocument(DocumentRow().Type("T").Original("<O/>").Body("<B/>"));
  const int32_t from_original = AddDocument(DocumentRow().Type("T").Original("<O/>").Body(""));
  const int32_t blank_temp =
      AddDocument(DocumentRow().Type("T").Original("<O/>").Body("<B/>").Temp(""));
  const int32_t filled =
      AddDocument(DocumentRow().Type("T").Original("<O/>").Body("<B/>").Temp("<T/>"));
  for (int32_t doc : {from_body, from_original, blank_temp, filled}) {
    document::CopyOriginalXMLtoTempXMLBody(doc);
  }
  EXPECT_EQ(TextOf(from_body, "TEMPXMLBODY"), "<B/>");
  EXPECT_EQ(TextOf(from_original, "TEMPXMLBODY"), "<O/>");
  EXPECT_EQ(TextOf(blank_temp, "TEMPXMLBODY"), "<B/>");
  EXPECT_EQ(TextOf(filled, "TEMPXMLBODY"), "<T/>");
  EXPECT_EQ(TextOf(filled, "XMLBODY"), "<B/>");
  EXPECT_EQ(Date(filled, "CREATIONDATE"), kOldDate);

  document::UpdateTempXMLBodyWithNULLInDocument(filled);
  EXPECT_EQ(TextOf(filled, "TEMPXMLBODY"), "<NULL>");
  EXPECT_EQ(TextOf(from_body, "TEMPXMLBODY"), "<B/>");
}

TEST_P(DocumentBodiesTest, TheTemporaryBodyLoadsIntoAnXmlDocument) {
  const int32_t doc = AddDocument(DocumentRow().Type("T").Temp(kQuoted));
  auto dom = document::GetTempXmlDomDocument(doc);
  ASSERT_NE(dom, nullptr);
  EXPECT_EQ(dom->SelectSingleNode("/A")->GetAttribute("b"), "1");
  auto none = document::GetTempXmlDomDocument(123456);
  ASSERT_NE(none, nullptr);
  EXPECT_FALSE(none->DocumentElement().has_value());

  const int32_t broken = AddDocument(DocumentRow().Type("T").Temp("<A><B></A>"));
  const auto raised = ErrorOf([&] { document::GetTempXmlDomDocument(broken); });
  ASSERT_TRUE(raised);
  EXPECT_NE(raised->description().find("DOM Error: "), std::string::npos);
  EXPECT_NE(raised->description().find("METHOD: Velmora.Document.GetTempXmlDomDocument"),
            std::string::npos);
  EXPECT_EQ(raised->source(), "<A><B></A>");
}

TEST_P(DocumentBodiesTest, ConversionStyleSheetsAreLookedUpByBothTypes) {
  Exec(
      "INSERT INTO DOCTYPETODOCTYPE (DOCUMENTTYPEID, NEWDOCUMENTTYPEID, TRANSFORMXSLNAME) "
      "VALUES ('OR''DERS', 'INVÖICE', 'order-to-invoice.xsl'), ('ORDERS', 'INVOICE', NULL)");
  EXPECT_EQ(document::GetXSLFromDoctypeToDoctypeTable("OR'DERS", "INVÖICE"),
            "order-to-invoice.xsl");
  EXPECT_EQ(document::GetXSLFromDoctypeToDoctypeTable("INVÖICE", "OR'DERS"), "");
  EXPECT_EQ(document::GetXSLFromDoctypeToDoctypeTable("ORDERS", "INVOICE"), "");
  EXPECT_EQ(document::GetXSLFromDoctypeToDoctypeTable("x' OR '1'='1", "y"), "");
}

TEST(ShowFlagFromDocTest, TrueOnlyForTrueInAnyCaseOrOne) {
  const std::pair<const char*, bool> cases[] = {
      {"<D><B2BSHOW> true </B2BSHOW></D>", true},
      {"<D><B2BSHOW>TRUE</B2BSHOW></D>", true},
      {"<D><B2BSHOW>tRuE</B2BSHOW></D>", true},
      {"<D><B2BSHOW>1</B2BSHOW></D>", true},
      {"<D><B2BSHOW> 1 </B2BSHOW></D>", true},
      {"<D><B2BSHOW>0</B2BSHOW></D>", false},
      {"<D><B2BSHOW>yes</B2BSHOW></D>", false},
      {"<D><B2BSHOW/></D>", false},
      {"<D><X><B2BSHOW>false</B2BSHOW></X><B2BSHOW>true</B2BSHOW></D>", false},
      {"<D/>", false},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    xml::Document doc;
    ASSERT_TRUE(doc.LoadXml(text));
    EXPECT_EQ(document::GetShowFlagFromDoc(&doc), expected);
  }
  EXPECT_FALSE(document::GetShowFlagFromDoc(nullptr));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentBodiesTest);

}  // namespace
}  // namespace velmora
