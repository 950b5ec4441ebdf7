#include "velmora/routing/xml.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "automation/call_service.h"
#include "automation/registration.h"
#include "support/capture_log.h"
#include "support/expectations.h"
#include "support/loopback_http_server.h"
#include "support/temp_home.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

using testing::LoopbackHttpServer;
using testing::RaisedBy;

constexpr const char* kOrder = "<ORDER><ID>42</ID><ITEM>pen</ITEM><ITEM>ink</ITEM></ORDER>";

constexpr const char* kItemsToHtml =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"html\"/>"
    "<xsl:template match=\"/\"><ul><xsl:for-each select=\"//ITEM\"><li><xsl:value-of "
    "select=\".\"/></li></xsl:for-each></ul></xsl:template></xsl:stylesheet>";

// A style sheet whose one template calls itself for ever.
constexpr const char* kLoopingStyleSheet =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:template match=\"/\"><xsl:call-template name=\"again\"/></xsl:template>"
    "<xsl:template name=\"again\"><x><xsl:call-template name=\"again\"/></x></xsl:template>"
    "</xsl:stylesheet>";

std::string Hex(EnumerationErrors number) { return text::Hex(ErrNumber(number)); }

class XmlTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = folder_ / name;
    testing::WriteFile(path, content);
    return path;
  }

  bool Logged(const std::string& text_part) const {
    for (const testing::LogEntry& entry : log_.entries()) {
      if (entry.text.find(text_part) != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  XML xml_;
  testing::CaptureLog log_;
  testing::TempFolder folder_;
};

TEST_F(XmlTest, EveryLoadGivesANewDocument) {
  auto first = xml_.XmlStringToDomDocument(kOrder);
  auto second = xml_.XmlStringToDomDocument(kOrder);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->Xml(), kOrder);
  first->DocumentElement()->SetAttribute("changed", "1");
  EXPECT_EQ(second->Xml(), kOrder);
}

TEST_F(XmlTest, MalformedTextRaisesXmlLoadErrorWithReasonLineAndColumnThroughBothReports) {
  const Error error = RaisedBy([&] { xml_.XmlStringToDomDocument("<a>\n  <b></a>"); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::XMLLoadError));
  EXPECT_EQ(error.source(), "Velmora.XML.LoadXmlInDomDocument");
  const std::string hex = Hex(EnumerationErrors::XMLLoadError);
  const std::string inner =
      "Unable to parse the XML document: It is not present, invalid or not well-formed\r\n"
      "Description : Opening and ending tag mismatch: b line 2 and a\r\n"
      "Line        : 2\r\n"
      "Column      : 10";
  EXPECT_EQ(error.description(),
            "\r\nMETHOD: Velmora.XML.XmlStringToDomDocument caught: "
            "\r\nMETHOD: Velmora.XML.LoadXmlInDomDocument caught: " +
                inner + "(" + hex + ").(" + hex + ").");
  EXPECT_TRUE(Logged("Velmora.XML.LoadXmlInDomDocument caught: Unable to parse"));
  EXPECT_TRUE(Logged("Velmora.XML.XmlStringToDomDocument caught: "));
}

TEST_F(XmlTest, BlankTextIsLoadedFromTheEmptyFileNameAndNamesIt) {
  const Error error = RaisedBy([&] { xml_.XmlStringToDomDocument("   "); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingXMLFile));
  EXPECT_NE(error.description().find("Unable to parse the XML document: It is not present, "
                                     "invalid or not well-formed\r\nFile/URL    : \r\n"
                                     "Description : "),
            std::string::npos)
      << error.description();
  EXPECT_NE(error.description().find("\r\nLine        : 0\r\nColumn      : 0("), std::string::npos);
}

TEST_F(XmlTest, MissingXmlFileRaisesMissingXmlFileWithTheNameAsGiven) {
  const std::string missing = folder_ / "absent.xml";
  const Error error = RaisedBy([&] { xml_.XmlFileToDomDocument(missing); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingXMLFile));
  EXPECT_NE(
      error.description().find("well-formed\r\nFile/URL    : " + missing + "\r\nDescription : "),
      std::string::npos)
      << error.description();
  EXPECT_NE(error.description().find("METHOD: Velmora.XML.XmlFileToDomDocument caught: "),
            std::string::npos);
}

TEST_F(XmlTest, MalformedXmlFileGivesItsNameLineAndColumn) {
  const std::string path = Write("bad.xml", "<?xml version=\"1.0\"?>\n<a>\n<b>&nope;</b></a>");
  const Error error = RaisedBy([&] { xml_.XmlFileToDomDocument(path); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::XMLLoadError));
  EXPECT_NE(error.description().find("well-formed\r\nFile/URL    : " + path +
                                     "\r\nDescription : Entity 'nope' not defined\r\n"
                                     "Line        : 3\r\nColumn      : 10("),
            std::string::npos)
      << error.description();
}

TEST_F(XmlTest, LoadsXmlFilesInTheirOwnEncodingAndOverHttp) {
  const std::string path =
      Write("latin.xml", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9\x80</a>");
  EXPECT_EQ(xml_.XmlFileToDomDocument(path)->Text(), "\xC3\xA9\xE2\x82\xAC");

  LoopbackHttpServer server({{"/order.xml", {200, kOrder}}});
  EXPECT_EQ(xml_.XmlFileToDomDocument(server.Url("/order.xml"))->Xml(), kOrder);
  const Error missing = RaisedBy([&] { xml_.XmlFileToDomDocument(server.Url("/none.xml")); });
  EXPECT_EQ(missing.number(), ErrNumber(EnumerationErrors::MissingXMLFile));
  EXPECT_NE(missing.description().find("File/URL    : " + server.Url("/none.xml") + "\r\n"),
            std::string::npos);
}

TEST_F(XmlTest, MissingStyleSheetRaisesCannotLoadFileWithTheMissingStyleSheetLabel) {
  const std::string missing = folder_ / "absent.xsl";
  const Error error = RaisedBy([&] { xml_.XslFileToDomDocument(missing); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
  EXPECT_EQ(error.source(), "Velmora.XML.LoadXslInDomDocument");
  // Without a database the label's code stands in, with the file name it was given.
  EXPECT_NE(
      error.description().find("LoadXslInDomDocument caught: ZODAR0052 [%FILENAME%]=" + missing),
      std::string::npos)
      << error.description();
  EXPECT_NE(error.description().find("METHOD: Velmora.XML.XslFileToDomDocument caught: "),
            std::string::npos);
}

TEST_F(XmlTest, MalformedStyleSheetRaisesXslParseErrorWithTheLayoutAndAFinalLineBreak) {
  const std::string path =
      Write("bad.xsl",
            "<xsl:stylesheet xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n<x>\n"
            "</xsl:stylesheet>");
  const Error error = RaisedBy([&] { xml_.XslFileToDomDocument(path); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::XSLParseError));
  const std::string hex = Hex(EnumerationErrors::XSLParseError);
  EXPECT_NE(error.description().find(
                "LoadXslInDomDocument caught: Unable to parse the XSL file " + path +
                ": It is not present, invalid or not well-formed. \r\n"
                "Description : Opening and ending tag mismatch: x line 2 and xsl:stylesheet\r\n"
                "Line        : 3\r\n"
                "Column      : 18\r\n(" +
                hex + ")."),
            std::string::npos)
      << error.description();
}

TEST_F(XmlTest, AppliesAStyleSheetFile) {
  const std::string style = Write("items.xsl", kItemsToHtml);
  EXPECT_EQ(xml_.ApplyXslStyleSheetToXmlString(kOrder, style),
            "<ul>\n<li>pen</li>\n<li>ink</li>\n</ul>\n");
}

TEST_F(XmlTest, AStyleSheetOfNothingReturnsTheDocumentUntransformed) {
  auto document = xml_.XmlStringToDomDocument("<?xml version=\"1.0\"?>\n" + std::string(kOrder));
  for (Variant none : {Variant(""), Variant("   "), Variant::MakeNull(), Variant()}) {
    SCOPED_TRACE(none.TypeName());
    EXPECT_EQ(xml_.ApplyXslStyleSheetToXmlDomDocument(document, none),
              "<?xml version=\"1.0\"?>\n" + std::string(kOrder));
  }
  EXPECT_EQ(xml_.ApplyXslStyleSheetToXmlString(kOrder, ""), kOrder);
}

TEST_F(XmlTest, NoDocumentRaisesNotAValidDocument) {
  std::shared_ptr<xml::Document> nothing;
  Variant style("whatever.xsl");
  const Error error = RaisedBy([&] { xml_.ApplyXslStyleSheetToXmlDomDocument(nothing, style); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingInput));
  EXPECT_EQ(error.source(), "Velmora.XML.ApplyXslStyleSheetToXmlDomDocument");
  EXPECT_EQ(error.description(),
            "\r\nMETHOD: Velmora.XML.ApplyXslStyleSheetToXmlDomDocument caught: Not a valid Xml "
            "DOM document is given(" +
                Hex(EnumerationErrors::MissingInput) + ").");
}

TEST_F(XmlTest, AStyleSheetThatDoesNotCompileNamesTheFile) {
  const std::string path =
      Write("odd.xsl",
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
            "<xsl:template match=\"/\"><xsl:value-of select=\"//LINE[\"/></xsl:template>"
            "</xsl:stylesheet>");
  const Error error = RaisedBy([&] { xml_.ApplyXslStyleSheetToXmlString(kOrder, path); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::XSLParseError));
  EXPECT_NE(error.description().find("ApplyXslStyleSheetToXmlDomDocument caught: The XML Object "
                                     "couldn't parse XSL file '" +
                                     path + "'.\r\n"),
            std::string::npos)
      << error.description();
  EXPECT_NE(error.description().find("//LINE["), std::string::npos);
  EXPECT_EQ(error.description().rfind(
                "\r\nMETHOD: Velmora.XML.ApplyXslStyleSheetToXmlString caught: ", 0),
            0u);
}

TEST_F(XmlTest, ALoopingStyleSheetFailsInsteadOfRunningForEver) {
  const std::string self_applying =
      "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
      "<xsl:template match=\"*\"><xsl:apply-templates select=\".\"/></xsl:template>"
      "</xsl:stylesheet>";
  int index = 0;
  for (const std::string& sheet : {std::string(kLoopingStyleSheet), self_applying}) {
    const std::string path = Write("loop" + std::to_string(++index) + ".xsl", sheet);
    SCOPED_TRACE(path);
    const Error error = RaisedBy([&] { xml_.ApplyXslStyleSheetToXmlString(kOrder, path); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::XSLParseError));
    EXPECT_NE(error.description().find("couldn't parse XSL file '" + path + "'."),
              std::string::npos);
  }
}

TEST_F(XmlTest, StyleSheetsWhoseNameBeginsWithHttpAreDownloaded) {
  LoopbackHttpServer server({{"/items.xsl", {200, kItemsToHtml}}});
  EXPECT_EQ(xml_.ApplyXslStyleSheetToXmlString(kOrder, server.Url("/items.xsl")),
            "<ul>\n<li>pen</li>\n<li>ink</li>\n</ul>\n");
  std::string upper = server.Url("/items.xsl");
  upper.replace(0, 4, "HTTP");
  EXPECT_EQ(xml_.XslFileToDomDocument(upper)->DocumentElement()->LocalName(), "stylesheet");
  EXPECT_EQ(server.requested_paths(), (std::vector<std::string>{"/items.xsl", "/items.xsl"}));
}

TEST_F(XmlTest, AStyleSheetMissingOnTheServerIsAMissingFile) {
  LoopbackHttpServer server({});
  const Error error = RaisedBy([&] { xml_.XslFileToDomDocument(server.Url("/gone.xsl")); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
  EXPECT_NE(error.description().find("ZODAR0052 [%FILENAME%]=" + server.Url("/gone.xsl")),
            std::string::npos);
}

TEST_F(XmlTest, AServerThatCannotBeReachedGivesTheLayoutWithTheTransportReason) {
  const std::string url =
      "http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()) + "/a.xsl";
  const Error error = RaisedBy([&] { xml_.XslFileToDomDocument(url); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
  EXPECT_NE(error.description().find("Unable to parse the XSL file " + url +
                                     ": It is not present, invalid or not well-formed. \r\n"
                                     "Description : "),
            std::string::npos)
      << error.description();
}

class XmlAutomationTest : public XmlTest {
 protected:
  void SetUp() override {
    XmlTest::SetUp();
    automation::RegisterAllClasses();
  }
};

TEST_F(XmlAutomationTest, DocumentsTravelAsTheirXmlText) {
  EXPECT_EQ(
      automation::CallAndReply("Velmora.XML", "XmlStringToDomDocument", {Variant(kOrder)}).json,
      std::string(R"({"result":")") + kOrder + R"(","args":[")" + kOrder + R"("]})");
  const std::string style = Write("items.xsl", kItemsToHtml);
  EXPECT_EQ(automation::CallAndReply("Velmora.XML", "applyxslstylesheettoxmlstring",
                                     {Variant(kOrder), Variant(style)})
                .json,
            R"({"result":"<ul>\n<li>pen</li>\n<li>ink</li>\n</ul>\n","args":[")" +
                std::string(kOrder) + R"(",")" + style + R"("]})");
}

TEST_F(XmlAutomationTest, FailuresComeBackWithNumberSourceAndDescription) {
  const automation::CallReply reply =
      automation::CallAndReply("Velmora.XML", "XmlStringToDomDocument", {Variant("<a>")});
  EXPECT_TRUE(reply.failed);
  EXPECT_NE(
      reply.json.find("\"number\":" + std::to_string(ErrNumber(EnumerationErrors::XMLLoadError))),
      std::string::npos)
      << reply.json;
  EXPECT_NE(reply.json.find(R"("source":"Velmora.XML.LoadXmlInDomDocument")"), std::string::npos);
  EXPECT_NE(reply.json.find(R"(\r\nLine        : 1\r\nColumn      : )"), std::string::npos);
}

}  // namespace
}  // namespace velmora
