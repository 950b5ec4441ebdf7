#include <gtest/gtest.h>

#include "document/document_rows.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/document/document.h"
#include "velmora/xml/parse_error.h"

namespace velmora {
namespace {

using testing::DocumentRow;
using testing::ErrorOf;

constexpr const char* kBody = "<ORDER id=\"O'7\"><NAME>Müller &amp; Söhne – 東京</NAME></ORDER>";

class DocumentReadsTest : public testing::DocumentDbTest {
 protected:
  Document document_;
};

TEST_P(DocumentReadsTest, ReadsTheColumnsOfOneRow) {
  const int32_t doc = AddDocument(DocumentRow()
                                      .Type("  ORDERS ")
                                      .Status(3)
                                      .Sender("O'Brien Müller")
                                      .Original("<RAW>ü</RAW>")
                                      .Body(kBody)
                                      .Show(0));
  EXPECT_EQ(document_.GetXmlDocument(doc), kBody);
  EXPECT_EQ(document_.GetOriginalXmlDocument(doc), "<RAW>ü</RAW>");
  EXPECT_EQ(document_.GetDocumentTypeOfDocument(doc), "ORDERS");
  EXPECT_EQ(document_.GetSenderOfDocument(doc), "O'Brien Müller");
  EXPECT_EQ(document_.GetStatusOfDocument(doc), DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED);
  EXPECT_FALSE(document_.GetShowFlag(doc));
  Exec("UPDATE DOCUMENT SET SHOW = 1 WHERE DOCUMENTID = " + std::to_string(doc));
  EXPECT_TRUE(document_.GetShowFlag(doc));
}

TEST_P(DocumentReadsTest, AbsentRowsAndNullColumnsReadAsNothing) {
  const int32_t bare = AddDocument(DocumentRow());
  for (int32_t doc : {bare, 777777}) {
    SCOPED_TRACE(doc);
    EXPECT_EQ(document_.GetXmlDocument(doc), "");
    EXPECT_EQ(document_.GetOriginalXmlDocument(doc), "");
    EXPECT_EQ(document_.GetDocumentTypeOfDocument(doc), "");
    EXPECT_EQ(document_.GetSenderOfDocument(doc), "");
    EXPECT_EQ(document_.GetParentDocIdOfDocument(doc), -1);
  }
  EXPECT_FALSE(document_.GetShowFlag(777777));
  EXPECT_EQ(document_.GetStatusOfDocument(777777), DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS);
}

TEST_P(DocumentReadsTest, TheWorkingBodyLoadsIntoAnXmlDocument) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Body(kBody));
  auto dom = document_.GetXmlDomDocument(doc);
  ASSERT_NE(dom, nullptr);
  EXPECT_EQ(dom->SelectSingleNode("//NAME")->Text(), "Müller & Söhne – 東京");
  EXPECT_EQ(dom->SelectSingleNode("/ORDER")->GetAttribute("id"), "O'7");

  auto none = document_.GetXmlDomDocument(555555);
  ASSERT_NE(none, nullptr);
  EXPECT_FALSE(none->DocumentElement().has_value());
}

TEST_P(DocumentReadsTest, AMalformedBodyRaisesADomError) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Body("<ORDER>\n<LINE></ORDER>"));
  const auto raised = ErrorOf([&] { document_.GetXmlDomDocument(doc); });
  ASSERT_TRUE(raised);
  EXPECT_NE(raised->description().find("DOM Error: "), std::string::npos) << raised->description();
  EXPECT_NE(raised->description().find("METHOD: Velmora.Document.GetXmlDomDocument"),
            std::string::npos);
  EXPECT_EQ(raised->source(), "Velmora.Document.GetXMLDomDocument");
  EXPECT_EQ(raised->help_context(), 2);
  EXPECT_GE(raised->number(), xml::kXmlParseErrorBase);
  EXPECT_LT(raised->number(), xml::kXmlParseErrorBase + 0x10000);
}

TEST_P(DocumentReadsTest, ChildDocumentsComeInTheGetRowsForm) {
  const int32_t parent = AddDocument(DocumentRow().Type("ORDERS"));
  const int32_t first = AddDocument(DocumentRow().Type("INVOICE").Parent(parent));
  const int32_t second = AddDocument(DocumentRow().Parent(parent));
  AddDocument(DocumentRow().Type("ORDERS"));
  const Variant rows = document_.getChildDocuments(parent);
  ASSERT_TRUE(rows.IsArray());
  const VariantArray& array = rows.AsArray();
  ASSERT_EQ(array.dimensions(), 2);
  ASSERT_EQ(array.Count(1), 2u);
  ASSERT_EQ(array.Count(2), 2u);
  std::map<int32_t, Variant> types;
  for (int32_t row = 0; row < 2; ++row) {
    types[array.At(0, row).ToInt32()] = array.At(1, row);
  }
  EXPECT_EQ(types.at(first).ToText(), "INVOICE");
  EXPECT_TRUE(types.at(second).IsNull());
  EXPECT_TRUE(document_.getChildDocuments(first).IsEmpty());
}

TEST_P(DocumentReadsTest, DocumentPropertiesAreReadByColumnName) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(2).Sender("Zoë"));
  const Variant rows = document_.getDocumentProperty(doc, " sender ,Status,  DOCUMENTTYPEID");
  ASSERT_TRUE(rows.IsArray());
  const VariantArray& array = rows.AsArray();
  ASSERT_EQ(array.Count(1), 3u);
  ASSERT_EQ(array.Count(2), 1u);
  EXPECT_EQ(array.At(0, 0).ToText(), "Zoë");
  EXPECT_EQ(array.At(1, 0).ToInt32(), 2);
  EXPECT_EQ(array.At(2, 0).ToText(), "ORDERS");
  EXPECT_TRUE(document_.getDocumentProperty(999999, "SENDER").IsEmpty());
}

TEST_P(DocumentReadsTest, DocumentPropertiesRefuseAnythingButColumnNames) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Sender("anna"));
  for (const char* fields :
       {"DOCUMENTID; DROP TABLE DOCUMENT", "NOSUCHCOLUMN", "SENDER, NOSUCHCOLUMN", "", "  ",
        "SENDER,", ",SENDER", "SENDER,,STATUS", "*", "COUNT(*)", "SENDER AS X",
        "(SELECT USERID FROM PUBLICATION)", "SENDER\t", "'SENDER'", "SËNDER",
        "SENDER FROM DOCUMENT --"}) {
    SCOPED_TRACE(fields);
    const auto raised = ErrorOf([&] { document_.getDocumentProperty(doc, fields); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_NE(raised->description().find("not a column of DOCUMENT"), std::string::npos);
    EXPECT_NE(raised->description().find("METHOD: Velmora.Document.getDocumentProperty"),
              std::string::npos);
  }
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENT"), 1);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentReadsTest);

}  // namespace
}  // namespace velmora
