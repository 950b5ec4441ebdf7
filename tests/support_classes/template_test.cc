#include "velmora/support/template.h"

#include <gtest/gtest.h>

#include "automation/registration.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

const std::string kType = "D'Arcy – Lieferschein ü";

class TemplateTest : public testing::LibraryDbTest {
 protected:
  int64_t Rows() { return Scalar("SELECT COUNT(*) FROM XMLTEMPLATE").ToInt64(); }
  Template template_;
};

TEST_P(TemplateTest, AUrlWinsOverTheInlineTemplate) {
  template_.InsertTemplate(kType, "http://host/t'ü.xml", "<A b='1'>ü</A>", "");
  bool is_url = false;
  EXPECT_EQ(template_.GetXmlTemplateDocument(kType, is_url), "http://host/t'ü.xml");
  EXPECT_TRUE(is_url);
}

TEST_P(TemplateTest, AnEmptyUrlGivesTheInlineTemplate) {
  template_.InsertTemplate(kType, "", "<A b='1'>ü</A>", "");
  bool is_url = true;
  EXPECT_EQ(template_.GetXmlTemplateDocument(kType, is_url), "<A b='1'>ü</A>");
  EXPECT_FALSE(is_url);
  Exec("UPDATE XMLTEMPLATE SET XMLTEMPLATEURL = NULL");
  is_url = true;
  EXPECT_EQ(template_.GetXmlTemplateDocument(kType, is_url), "<A b='1'>ü</A>");
  EXPECT_FALSE(is_url);
  Exec("UPDATE XMLTEMPLATE SET XMLTEMPLATE = NULL");
  is_url = true;
  EXPECT_EQ(template_.GetXmlTemplateDocument(kType, is_url), "");
  EXPECT_FALSE(is_url);
  is_url = true;
  EXPECT_EQ(template_.GetXmlTemplateDocument("none", is_url), "");
  EXPECT_FALSE(is_url);
}

TEST_P(TemplateTest, InsertingTwiceKeepsOneRowWithTheSecondValues) {
  const int32_t first = template_.InsertTemplate(kType, "u1", "<a/>", "x1'.xsl");
  const int32_t second = template_.InsertTemplate(kType, "u2", "<b/>", "x2'ü.xsl");
  EXPECT_GT(first, 0);
  EXPECT_EQ(first, second);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(template_.getXslUrl(kType), "x2'ü.xsl");
  EXPECT_EQ(template_.GetTemplateID(kType), first);
  EXPECT_TRUE(template_.checkTemplateByDocumentTypeID(kType));
  EXPECT_FALSE(template_.checkTemplateByDocumentTypeID("x' OR '1'='1"));
  EXPECT_EQ(template_.GetTemplateID("x' OR '1'='1"), 0);
  EXPECT_EQ(template_.getXslUrl("x' OR '1'='1"), "");
}

TEST_P(TemplateTest, PropertiesLeaveNullOutputsUntouchedExceptTheTemplate) {
  const int32_t id = template_.InsertTemplate(kType, "url'ü", "<t/>", "xsl'ü");
  int32_t out_id = 0;
  std::string xsl = "before";
  std::string url = "before";
  std::string xml = "before";
  EXPECT_TRUE(template_.getTemplateProperties(kType, out_id, xsl, url, xml));
  EXPECT_EQ(out_id, id);
  EXPECT_EQ(xsl, "xsl'ü");
  EXPECT_EQ(url, "url'ü");
  EXPECT_EQ(xml, "<t/>");

  Exec("UPDATE XMLTEMPLATE SET XSLURL = NULL, XMLTEMPLATEURL = NULL, XMLTEMPLATE = NULL");
  xsl = url = xml = "before";
  EXPECT_TRUE(template_.getTemplateProperties(kType, out_id, xsl, url, xml));
  EXPECT_EQ(xsl, "before");
  EXPECT_EQ(url, "before");
  EXPECT_EQ(xml, "");
  EXPECT_EQ(template_.getXslUrl(kType), "");

  xml = "before";
  EXPECT_FALSE(template_.getTemplateProperties("none", out_id, xsl, url, xml));
  EXPECT_EQ(xml, "before");
}

TEST_P(TemplateTest, UpdateAndDeleteByRecordId) {
  const int32_t id = template_.InsertTemplate(kType, "u", "<a/>", "x");
  template_.UpdateTemplate(id + 100, kType, "other", "<o/>", "o");
  EXPECT_EQ(template_.getXslUrl(kType), "x");
  template_.UpdateTemplate(id, "NEW'TYPE", "u2", "<b/>", "x2");
  EXPECT_EQ(template_.GetTemplateID(kType), 0);
  EXPECT_EQ(template_.GetTemplateID("NEW'TYPE"), id);
  template_.DeleteTemplate(id + 100);
  EXPECT_EQ(Rows(), 1);
  template_.DeleteTemplate(id);
  EXPECT_EQ(Rows(), 0);
}

TEST_P(TemplateTest, ReadFailuresNameTheDocumentType) {
  Exec("DROP TABLE XMLTEMPLATE");
  try {
    template_.getXslUrl("ORDERS'ü");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(error.description().find("Velmora.Template.getXslUrl"), std::string::npos);
    EXPECT_NE(error.description().find("ORDERS'ü"), std::string::npos);
  }
  bool is_url = true;
  EXPECT_THROW(template_.GetXmlTemplateDocument("T", is_url), Error);
  EXPECT_FALSE(is_url);
}

TEST_P(TemplateTest, AutomationReturnsTheUrlFlag) {
  automation::ClassRegistry registry;
  automation::RegisterSupportClasses(registry);
  std::vector<Variant> insert = {Variant(kType), Variant("http://u"), Variant("<a/>"),
                                 Variant("s.xsl")};
  const int32_t id = registry.Call("Velmora.Template", "InsertTemplate", insert).ToInt32();
  std::vector<Variant> get = {Variant(kType), Variant()};
  EXPECT_EQ(registry.Call("Velmora.Template", "GetXmlTemplateDocument", get).ToText(), "http://u");
  EXPECT_EQ(get[1], Variant(true));
  std::vector<Variant> props = {Variant(kType), Variant(), Variant(), Variant(), Variant()};
  EXPECT_TRUE(registry.Call("Velmora.Template", "getTemplateProperties", props).ToBool());
  EXPECT_EQ(props[1].ToInt32(), id);
  EXPECT_EQ(props[2].ToText(), "s.xsl");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(TemplateTest);

}  // namespace
}  // namespace velmora
