#include "platform/xml/stylesheet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/xml/fake_fetcher.h"
#include "platform/xml/fetcher.h"
#include "support/expectations.h"
#include "support/loopback_http_server.h"
#include "support/temp_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/xml/document.h"

namespace velmora::xml {
namespace {

using testing::FakeFetcher;
using velmora::testing::LoopbackHttpServer;
using velmora::testing::RaisedBy;
using velmora::testing::TempFolder;
using velmora::testing::WriteFile;

const int32_t kXslParseError = ErrNumber(EnumerationErrors::XSLParseError);
const int32_t kCannotLoadFile = ErrNumber(EnumerationErrors::CannotLoadFile);

std::string Xsl(const std::string& body, const std::string& extra_namespaces = "") {
  return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"" +
         extra_namespaces + ">" + body + "</xsl:stylesheet>";
}

const std::string kCopyName =
    Xsl("<xsl:template match=\"/\"><out><xsl:value-of select=\"/doc/name\"/></out>"
        "</xsl:template>");

class StylesheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        source_.LoadXml("<doc><name>\xC3\xA9t\xC3\xA9 &amp; co</name><n>1</n><n>2</n></doc>"));
  }

  TempFolder dir_;
  Document source_;
};

TEST_F(StylesheetTest, TransformsWithAStylesheetFromText) {
  auto style = Stylesheet::FromText(kCopyName);
  EXPECT_EQ(style->Transform(source_),
            "<?xml version=\"1.0\"?>\n<out>\xC3\xA9t\xC3\xA9 &amp; co</out>\n");
  EXPECT_EQ(style->location(), "");
}

TEST_F(StylesheetTest, TransformsWithAStylesheetFromAFile) {
  std::string path = dir_.File("style.xsl");
  WriteFile(path, kCopyName);
  auto style = Stylesheet::FromFile(path);
  EXPECT_EQ(style->location(), path);
  EXPECT_EQ(style->Transform(source_),
            "<?xml version=\"1.0\"?>\n<out>\xC3\xA9t\xC3\xA9 &amp; co</out>\n");
}

TEST_F(StylesheetTest, HonoursOutputSettings) {
  auto text = Stylesheet::FromText(
      Xsl("<xsl:output method=\"text\"/><xsl:template match=\"/\">"
          "<xsl:for-each select=\"//n\"><xsl:value-of select=\".\"/>;</xsl:for-each>"
          "</xsl:template>"));
  EXPECT_EQ(text->Transform(source_), "1;2;");

  auto bare = Stylesheet::FromText(
      Xsl("<xsl:output omit-xml-declaration=\"yes\"/><xsl:template match=\"/\"><a><b/></a>"
          "</xsl:template>"));
  EXPECT_EQ(bare->Transform(source_), "<a><b/></a>\n");

  auto indented =
      Stylesheet::FromText(Xsl("<xsl:output indent=\"yes\" omit-xml-declaration=\"yes\"/>"
                               "<xsl:template match=\"/\"><a><b/></a></xsl:template>"));
  EXPECT_EQ(indented->Transform(source_), "<a>\n  <b/>\n</a>\n");

  auto html = Stylesheet::FromText(
      Xsl("<xsl:output method=\"html\"/><xsl:template match=\"/\"><html><body><p>x</p><br/>"
          "</body></html></xsl:template>"));
  std::string page = html->Transform(source_);
  EXPECT_NE(page.find("<br>"), std::string::npos) << page;
  EXPECT_EQ(page.find("<br/>"), std::string::npos) << page;
  EXPECT_EQ(page.find("<?xml"), std::string::npos) << page;
}

TEST_F(StylesheetTest, TransformReturnsUtf8WhateverEncodingTheStylesheetDeclares) {
  auto xml = Stylesheet::FromText(
      Xsl("<xsl:output encoding=\"ISO-8859-1\"/><xsl:template match=\"/\">"
          "<o><xsl:value-of select=\"/doc/name\"/>\xE2\x82\xAC</o></xsl:template>"));
  EXPECT_EQ(xml->Transform(source_),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<o>\xC3\xA9t\xC3\xA9 &amp; co\xE2\x82\xAC</o>\n");
  EXPECT_EQ(xml->TransformToBytes(source_),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<o>\xE9t\xE9 &amp; co&#8364;</o>\n");

  auto html = Stylesheet::FromText(
      Xsl("<xsl:output method=\"html\" encoding=\"ISO-8859-1\"/><xsl:template match=\"/\">"
          "<html><head><title>t</title></head><body><xsl:value-of select=\"/doc/name\"/>"
          "</body></html></xsl:template>"));
  std::string page = html->Transform(source_);
  EXPECT_NE(page.find("charset=UTF-8"), std::string::npos) << page;
  EXPECT_EQ(page.find("ISO-8859-1"), std::string::npos) << page;
  EXPECT_NE(page.find("\xC3\xA9t\xC3\xA9"), std::string::npos) << page;
}

TEST_F(StylesheetTest, PassesParametersAsLiteralStrings) {
  auto style = Stylesheet::FromText(
      Xsl("<xsl:output method=\"text\"/><xsl:param name=\"who\" select=\"'nobody'\"/>"
          "<xsl:param name=\"sum\"/><xsl:template match=\"/\">"
          "<xsl:value-of select=\"$who\"/>|<xsl:value-of select=\"$sum\"/></xsl:template>"));
  EXPECT_EQ(style->Transform(source_), "nobody|");
  EXPECT_EQ(style->Transform(source_, {{"who", "it's \"q\""}, {"sum", "1+1"}, {"other", "x"}}),
            "it's \"q\"|1+1");
}

TEST_F(StylesheetTest, TransformsIntoADocument) {
  auto style = Stylesheet::FromText(
      Xsl("<xsl:template match=\"/\"><list><xsl:for-each select=\"//n\"><item>"
          "<xsl:value-of select=\".\"/></item></xsl:for-each></list></xsl:template>"));
  std::unique_ptr<Document> result = style->TransformToDocument(source_);
  EXPECT_EQ(result->Xml(), "<list><item>1</item><item>2</item></list>");
  EXPECT_EQ(result->SelectNodes("//item").Count(), 2u);
}

TEST_F(StylesheetTest, StylesheetThatIsNotWellFormedRaisesXslParseError) {
  Error error = RaisedBy([] { Stylesheet::FromText("<xsl:stylesheet version=\"1.0\"\n<oops>"); });
  EXPECT_EQ(error.number(), kXslParseError);
  EXPECT_NE(error.description().find("line 2"), std::string::npos) << error.description();

  std::string path = dir_.File("broken.xsl");
  WriteFile(path, "<a>\n</b>");
  error = RaisedBy([&] { Stylesheet::FromFile(path); });
  EXPECT_EQ(error.number(), kXslParseError);
  EXPECT_NE(error.description().find(path), std::string::npos) << error.description();
}

TEST_F(StylesheetTest, CompileErrorsRaiseXslParseErrorWithTheProcessorsMessages) {
  Error missing = RaisedBy([] {
    Stylesheet::FromText(Xsl("<xsl:template match=\"/\"><xsl:value-of/></xsl:template>"));
  });
  EXPECT_EQ(missing.number(), kXslParseError);
  EXPECT_EQ(missing.description(),
            "The stylesheet text cannot be compiled:\n"
            "compilation error: element value-of\n"
            "xsl:value-of : select is missing");

  Error select = RaisedBy([] {
    Stylesheet::FromText(
        Xsl("<xsl:template match=\"/\"><xsl:value-of select=\"1 +\"/>"
            "</xsl:template>"));
  });
  EXPECT_EQ(select.number(), kXslParseError);
  EXPECT_NE(select.description().find("1 +"), std::string::npos) << select.description();

  EXPECT_EQ(RaisedBy([] { Stylesheet::FromText("<not-a-stylesheet/>"); }).number(), kXslParseError);
}

TEST_F(StylesheetTest, MissingStylesheetFileRaisesCannotLoadFile) {
  std::string path = dir_.File("absent.xsl");
  Error error = RaisedBy([&] { Stylesheet::FromFile(path); });
  EXPECT_EQ(error.number(), kCannotLoadFile);
  EXPECT_NE(error.description().find(path), std::string::npos);
}

TEST_F(StylesheetTest, RuntimeErrorsRaiseXslParseError) {
  auto stop = Stylesheet::FromText(
      Xsl("<xsl:template match=\"/\"><xsl:message terminate=\"yes\">halted here</xsl:message>"
          "</xsl:template>"));
  Error error = RaisedBy([&] { stop->Transform(source_); });
  EXPECT_EQ(error.number(), kXslParseError);
  EXPECT_NE(error.description().find("halted here"), std::string::npos) << error.description();

  auto unknown = Stylesheet::FromText(
      Xsl("<xsl:template match=\"/\"><o><xsl:value-of select=\"no-such-function()\"/></o>"
          "</xsl:template>"));
  EXPECT_EQ(RaisedBy([&] { unknown->Transform(source_); }).number(), kXslParseError);
}

TEST_F(StylesheetTest, DocumentFunctionCannotReadLocalFiles) {
  std::string secret = dir_.File("secret.xml");
  WriteFile(secret, "<s>TOPSECRET</s>");
  auto style =
      Stylesheet::FromText(Xsl("<xsl:template match=\"/\"><o><xsl:value-of select=\"document('" +
                               secret + "')\"/></o></xsl:template>"));
  Error error = RaisedBy([&] { style->Transform(source_); });
  EXPECT_EQ(error.number(), kXslParseError);
  EXPECT_EQ(error.description().find("TOPSECRET"), std::string::npos);

  std::string path = dir_.File("reader.xsl");
  WriteFile(path, Xsl("<xsl:template match=\"/\"><o><xsl:value-of select=\"document('"
                      "secret.xml')\"/></o></xsl:template>"));
  auto from_file = Stylesheet::FromFile(path);
  EXPECT_EQ(RaisedBy([&] { from_file->Transform(source_); }).number(), kXslParseError);
}

TEST_F(StylesheetTest, DocumentFunctionMayReadTheStylesheetItself) {
  std::string path = dir_.File("lookup.xsl");
  WriteFile(path, Xsl("<t:codes><t:code k=\"1\">one</t:code><t:code k=\"2\">two</t:code></t:codes>"
                      "<xsl:output method=\"text\"/><xsl:template match=\"/\">"
                      "<xsl:for-each select=\"//n\"><xsl:variable name=\"k\" select=\".\"/>"
                      "<xsl:value-of select=\"document('')//t:code[@k = $k]\"/>,</xsl:for-each>"
                      "</xsl:template>",
                      " xmlns:t=\"urn:table\" exclude-result-prefixes=\"t\""));
  EXPECT_EQ(Stylesheet::FromFile(path)->Transform(source_), "one,two,");
}

TEST_F(StylesheetTest, StylesheetCannotWriteFiles) {
  std::string target = dir_.File("written.xml");
  auto style = Stylesheet::FromText(
      Xsl("<xsl:template match=\"/\"><exsl:document href=\"" + target +
              "\"><x/></exsl:document><o/></xsl:template>",
          " xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\""));
  EXPECT_EQ(RaisedBy([&] { style->Transform(source_); }).number(), kXslParseError);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(StylesheetTest, IncludesNextToTheStylesheetFileAreAllowed) {
  WriteFile(dir_.File("xsl/parts/name.xsl"),
            Xsl("<xsl:template name=\"name\"><xsl:value-of select=\"/doc/name\"/>"
                "</xsl:template>"));
  WriteFile(dir_.File("xsl/main.xsl"),
            Xsl("<xsl:include href=\"parts/name.xsl\"/><xsl:output method=\"text\"/>"
                "<xsl:template match=\"/\">[<xsl:call-template name=\"name\"/>]</xsl:template>"));
  EXPECT_EQ(Stylesheet::FromFile(dir_.File("xsl/main.xsl"))->Transform(source_),
            "[\xC3\xA9t\xC3\xA9 & co]");

  Document loaded;
  ASSERT_TRUE(loaded.LoadFile(dir_.File("xsl/main.xsl")));
  std::string before = loaded.Xml();
  EXPECT_EQ(Stylesheet::FromDocument(loaded)->Transform(source_), "[\xC3\xA9t\xC3\xA9 & co]");
  EXPECT_EQ(loaded.Xml(), before);
}

TEST_F(StylesheetTest, IncludesOutsideTheStylesheetFolderAreRefused) {
  WriteFile(dir_.File("outside.xsl"), Xsl("<xsl:template name=\"n\">x</xsl:template>"));
  WriteFile(dir_.File("xsl/up.xsl"), Xsl("<xsl:include href=\"../outside.xsl\"/>"));
  WriteFile(dir_.File("xsl/absolute.xsl"),
            Xsl("<xsl:import href=\"" + dir_.File("outside.xsl") + "\"/>"));
  for (std::string name : {"xsl/up.xsl", "xsl/absolute.xsl"}) {
    SCOPED_TRACE(name);
    Error error = RaisedBy([&] { Stylesheet::FromFile(dir_.File(name)); });
    EXPECT_EQ(error.number(), kXslParseError);
    EXPECT_NE(error.description().find("outside.xsl"), std::string::npos) << error.description();
  }
  EXPECT_EQ(RaisedBy([&] {
              Stylesheet::FromText(Xsl("<xsl:include href=\"" + dir_.File("outside.xsl") + "\"/>"));
            }).number(),
            kXslParseError);
}

TEST_F(StylesheetTest, NetworkIncludesAreRefusedWithoutContactingTheServer) {
  LoopbackHttpServer server(
      {{"/inc.xsl", {200, Xsl("<xsl:template name=\"n\">x</xsl:template>")}}});
  std::string path = dir_.File("net.xsl");
  WriteFile(path, Xsl("<xsl:include href=\"" + server.Url("/inc.xsl") + "\"/>"));
  EXPECT_EQ(RaisedBy([&] { Stylesheet::FromFile(path); }).number(), kXslParseError);
  EXPECT_TRUE(server.requested_paths().empty());
}

TEST_F(StylesheetTest, ExternalEntitiesOfTheSourceStayUnexpandedInTransforms) {
  std::string secret = dir_.File("secret.txt");
  WriteFile(secret, "TOPSECRET");
  Document xxe;
  if (!xxe.LoadXml("<!DOCTYPE doc [<!ENTITY x SYSTEM \"file://" + secret +
                   "\">]><doc><name>&x;</name></doc>")) {
    GTEST_SKIP() << "refused at load: " << xxe.parse_error().reason;
  }
  std::string out = Stylesheet::FromText(kCopyName)->Transform(xxe);
  EXPECT_EQ(out.find("TOPSECRET"), std::string::npos) << out;
}

TEST_F(StylesheetTest, FetchesStylesheetsOverHttpFromALoopbackServer) {
  LoopbackHttpServer server(
      {{"/style.xsl", {200, kCopyName}},
       {"/moved.xsl", {302, "", "/style.xsl"}},
       {"/with-include.xsl", {200, Xsl("<xsl:include href=\"style.xsl\"/>")}}});
  CurlFetcher fetcher;
  EXPECT_EQ(Stylesheet::FromUrl(server.Url("/style.xsl"), fetcher)->Transform(source_),
            "<?xml version=\"1.0\"?>\n<out>\xC3\xA9t\xC3\xA9 &amp; co</out>\n");
  auto moved = Stylesheet::FromUrl(server.Url("/moved.xsl"), fetcher);
  EXPECT_EQ(moved->location(), server.Url("/style.xsl"));

  Error missing = RaisedBy([&] { Stylesheet::FromUrl(server.Url("/nothing.xsl"), fetcher); });
  EXPECT_EQ(missing.number(), kCannotLoadFile);
  EXPECT_NE(missing.description().find(server.Url("/nothing.xsl")), std::string::npos);
  EXPECT_NE(missing.description().find("404"), std::string::npos) << missing.description();

  size_t served = server.requested_paths().size();
  EXPECT_EQ(
      RaisedBy([&] { Stylesheet::FromUrl(server.Url("/with-include.xsl"), fetcher); }).number(),
      kXslParseError);
  EXPECT_EQ(server.requested_paths().size(), served + 1);  // the include itself was not fetched
}

TEST_F(StylesheetTest, LoadSendsHttpLocationsToTheFetcherAndOthersToTheFileSystem) {
  FakeFetcher fetcher;
  fetcher.Serve("HTTP://styles.example/a.xsl", 200, kCopyName);
  EXPECT_EQ(Stylesheet::Load("HTTP://styles.example/a.xsl", fetcher)->location(),
            "HTTP://styles.example/a.xsl");
  EXPECT_EQ(fetcher.requested(), (std::vector<std::string>{"HTTP://styles.example/a.xsl"}));

  std::string path = dir_.File("local.xsl");
  WriteFile(path, kCopyName);
  EXPECT_EQ(Stylesheet::Load(path, fetcher)->location(), path);
  EXPECT_EQ(fetcher.requested().size(), 1u);
  EXPECT_EQ(RaisedBy([&] { Stylesheet::Load("https://unknown.example/x.xsl", fetcher); }).number(),
            kCannotLoadFile);
}

TEST_F(StylesheetTest, OneStylesheetServesSeveralThreadsAtOnce) {
  auto style = Stylesheet::FromText(
      Xsl("<xsl:output method=\"text\"/><xsl:param name=\"p\"/><xsl:template match=\"/\">"
          "<xsl:value-of select=\"concat($p, ':', count(//n))\"/></xsl:template>"));
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      Document doc;
      std::string xml = "<doc>";
      for (int i = 0; i < t; ++i) {
        xml += "<n/>";
      }
      xml += "</doc>";
      if (!doc.LoadXml(xml)) {
        ++wrong;
        return;
      }
      for (int round = 0; round < 100; ++round) {
        std::string expected = std::to_string(round) + ":" + std::to_string(t);
        if (style->Transform(doc, {{"p", std::to_string(round)}}) != expected) {
          ++wrong;
        }
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(StylesheetTest, SelectionsStayInDocumentOrderAfterATransformAndATreeChange) {
  Document doc;
  ASSERT_TRUE(doc.LoadXml("<r><i>1</i><i>2</i><i>3</i></r>"));
  Stylesheet::FromText(kCopyName)->Transform(doc);
  Node root = *doc.DocumentElement();
  root.AppendChild(*root.FirstChild());  // 2 3 1
  std::string order;
  for (const Node& node : doc.SelectNodes("//i | /r/i[1]")) {
    order += node.Text();
  }
  EXPECT_EQ(order, "231");
}

TEST_F(StylesheetTest, ProcessorMessagesAreNeverPrinted) {
  ::testing::internal::CaptureStderr();
  RaisedBy([] {
    Stylesheet::FromText(Xsl("<xsl:template match=\"/\"><xsl:value-of/></xsl:template>"));
  });
  auto stop = Stylesheet::FromText(
      Xsl("<xsl:template match=\"/\"><xsl:message>note</xsl:message><o/></xsl:template>"));
  stop->Transform(source_);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace velmora::xml
