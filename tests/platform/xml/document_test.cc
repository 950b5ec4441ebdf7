#include "velmora/xml/document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/xml/fake_fetcher.h"
#include "support/expectations.h"
#include "support/loopback_http_server.h"
#include "support/temp_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/variant.h"

namespace velmora::xml {
namespace {

using velmora::testing::RaisedBy;
using velmora::testing::ReadFile;
using velmora::testing::TempFolder;
using velmora::testing::WriteFile;

constexpr int kTagNameMismatch = 76;  // the parser's number for a wrong end tag
constexpr int kDocumentEmpty = 4;

std::string BillionLaughs(bool in_attribute) {
  std::string doc = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  std::string previous = "lol";
  for (int level = 1; level <= 9; ++level) {
    std::string name = "lol" + std::to_string(level);
    doc += "<!ENTITY " + name + " \"";
    for (int i = 0; i < 10; ++i) {
      doc += "&" + previous + ";";
    }
    doc += "\">";
    previous = name;
  }
  doc += "]>";
  doc += in_attribute ? "<lolz a=\"&lol9;\"/>" : "<lolz>&lol9;</lolz>";
  return doc;
}

class DocumentTest : public ::testing::Test {
 protected:
  TempFolder dir_;
  Document doc_;
};

TEST_F(DocumentTest, NewDocumentIsEmpty) {
  EXPECT_FALSE(doc_.DocumentElement().has_value());
  EXPECT_EQ(doc_.Xml(), "");
  EXPECT_EQ(doc_.Text(), "");
  EXPECT_FALSE(doc_.parse_error().failed());
  EXPECT_EQ(doc_.TypeName(), "DOMDocument");
}

TEST_F(DocumentTest, LoadsTextAndExposesTheDocumentElement) {
  ASSERT_TRUE(doc_.LoadXml("<ORDER id=\"7\"><LINE>a</LINE><LINE>b</LINE></ORDER>"));
  ASSERT_TRUE(doc_.DocumentElement().has_value());
  EXPECT_EQ(doc_.DocumentElement()->Name(), "ORDER");
  EXPECT_EQ(doc_.Text(), "ab");
  EXPECT_EQ(doc_.parse_error().code, 0);
  EXPECT_FALSE(doc_.has_xml_declaration());
}

TEST_F(DocumentTest, ParseErrorCarriesCodeReasonLineColumnAndSourceLine) {
  EXPECT_FALSE(doc_.LoadXml("<a>\n  <b>text</c>\n</a>"));
  const ParseError& error = doc_.parse_error();
  EXPECT_EQ(error.failure, ParseFailure::kMalformed);
  EXPECT_EQ(error.code, kXmlParseErrorBase + kTagNameMismatch);
  EXPECT_NE(error.reason.find("mismatch"), std::string::npos) << error.reason;
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.column, 14);  // just after the wrong end tag
  EXPECT_EQ(error.source_text, "  <b>text</c>");
  EXPECT_EQ(error.url, "");
  EXPECT_TRUE(error.failed());
  EXPECT_FALSE(error.file_not_found());
}

TEST_F(DocumentTest, EmptyOrBlankTextIsAParseError) {
  for (std::string text : {"", "   "}) {
    SCOPED_TRACE("[" + text + "]");
    EXPECT_FALSE(doc_.LoadXml(text));
    EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
    EXPECT_EQ(doc_.parse_error().code, kXmlParseErrorBase + kDocumentEmpty);
    EXPECT_FALSE(doc_.parse_error().reason.empty());
  }
}

TEST_F(DocumentTest, FailedLoadLeavesAnEmptyDocumentAndSuccessClearsTheError) {
  ASSERT_TRUE(doc_.LoadXml("<a><b/></a>"));
  EXPECT_FALSE(doc_.LoadXml("<a><b></a>"));
  EXPECT_FALSE(doc_.DocumentElement().has_value());
  EXPECT_EQ(doc_.Xml(), "");
  EXPECT_TRUE(doc_.LoadXml("<c/>"));
  EXPECT_FALSE(doc_.parse_error().failed());
  EXPECT_EQ(doc_.parse_error().reason, "");
  EXPECT_EQ(doc_.Xml(), "<c/>");
}

TEST_F(DocumentTest, MissingFileIsReportedDistinctlyFromAMalformedFile) {
  std::string missing = dir_.File("absent.xml");
  EXPECT_FALSE(doc_.LoadFile(missing));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileNotFound);
  EXPECT_TRUE(doc_.parse_error().file_not_found());
  EXPECT_EQ(doc_.parse_error().code, kErrFileNotFound);
  EXPECT_EQ(doc_.parse_error().url, missing);

  std::string malformed = dir_.File("bad.xml");
  WriteFile(malformed, "<a>\n<b>\n</a>\n");
  EXPECT_FALSE(doc_.LoadFile(malformed));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
  EXPECT_FALSE(doc_.parse_error().file_not_found());
  EXPECT_EQ(doc_.parse_error().code, kXmlParseErrorBase + kTagNameMismatch);
  EXPECT_EQ(doc_.parse_error().line, 3);
  EXPECT_EQ(doc_.parse_error().url, malformed);
  EXPECT_EQ(doc_.parse_error().source_text, "</a>");
}

TEST_F(DocumentTest, FolderOrFileInAMissingFolderIsNotAParseError) {
  EXPECT_FALSE(doc_.LoadFile(dir_.path()));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileUnreadable);
  EXPECT_FALSE(doc_.LoadFile(dir_.File("no/such/folder.xml")));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileNotFound);
  EXPECT_FALSE(doc_.LoadFile(""));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileNotFound);
}

TEST_F(DocumentTest, LoadsAFileAndRemembersWhereItCameFrom) {
  std::string path = dir_.File("in.xml");
  WriteFile(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>\xC3\xA9</a>\n");
  ASSERT_TRUE(doc_.LoadFile(path));
  EXPECT_EQ(doc_.url(), path);
  EXPECT_TRUE(doc_.has_xml_declaration());
  EXPECT_EQ(doc_.Text(), "\xC3\xA9");
}

TEST_F(DocumentTest, LoadsFromAUrlAndReportsMissingOrUnreachableDocuments) {
  testing::FakeFetcher fetcher;
  fetcher.Serve("http://docs.test/a.xml", 200, "<a>1</a>");
  fetcher.Serve("http://docs.test/gone.xml", 404, "gone");
  fetcher.Serve("http://docs.test/error.xml", 500, "oops");
  fetcher.Serve("http://docs.test/bad.xml", 200, "<a>\n<b></a>");
  ASSERT_TRUE(doc_.LoadUrl("http://docs.test/a.xml", fetcher));
  EXPECT_EQ(doc_.Text(), "1");
  EXPECT_EQ(doc_.url(), "http://docs.test/a.xml");

  EXPECT_FALSE(doc_.LoadUrl("http://docs.test/gone.xml", fetcher));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileNotFound);
  EXPECT_NE(doc_.parse_error().reason.find("404"), std::string::npos);
  EXPECT_EQ(doc_.parse_error().url, "http://docs.test/gone.xml");

  EXPECT_FALSE(doc_.LoadUrl("http://docs.test/error.xml", fetcher));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileUnreadable);
  EXPECT_FALSE(doc_.LoadUrl("http://unreachable.test/x.xml", fetcher));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kFileUnreadable);
  EXPECT_EQ(doc_.parse_error().code, ErrNumber(EnumerationErrors::CannotLoadFile));

  EXPECT_FALSE(doc_.LoadUrl("http://docs.test/bad.xml", fetcher));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
  EXPECT_EQ(doc_.parse_error().line, 2);
  EXPECT_EQ(doc_.parse_error().url, "http://docs.test/bad.xml");
}

TEST_F(DocumentTest, ByteOrderMarkBeforeTextIsAccepted) {
  ASSERT_TRUE(doc_.LoadXml("\xEF\xBB\xBF<a>x</a>"));
  EXPECT_EQ(doc_.Xml(), "<a>x</a>");
}

TEST_F(DocumentTest, ParseErrorsAreNeverPrinted) {
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(doc_.LoadXml("<a><b></a>"));
  EXPECT_FALSE(doc_.LoadXml("<a:b/>"));
  EXPECT_FALSE(doc_.LoadXml(BillionLaughs(false)));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(DocumentTest, UndeclaredNamespacePrefixIsAParseError) {
  EXPECT_FALSE(doc_.LoadXml("<a:b/>"));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
  EXPECT_NE(doc_.parse_error().reason.find("a"), std::string::npos);
  EXPECT_TRUE(doc_.LoadXml("<a:b xmlns:a=\"urn:x\"/>"));
}

TEST_F(DocumentTest, TextIsReadAsUtf8WhateverItsDeclarationSays) {
  ASSERT_TRUE(
      doc_.LoadXml("<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xC3\xA9\xE2\x82\xAC</a>"));
  EXPECT_EQ(doc_.Text(), "\xC3\xA9\xE2\x82\xAC");
  EXPECT_FALSE(doc_.LoadXml("<a>\xE9</a>"));  // not UTF-8
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
}

TEST_F(DocumentTest, BuiltReplacementsDocumentSerialisesExactly) {
  Node reps = doc_.CreateElement("REPS");
  doc_.AsNode().AppendChild(reps);
  Node rep = doc_.CreateElement("REP");
  rep.AppendChild(doc_.CreateTextNode("12"));
  Node name = doc_.CreateAttribute("name");
  name.SetText("[%DOCID%]");
  rep.SetAttributeNode(name);
  doc_.DocumentElement()->AppendChild(rep);
  EXPECT_EQ(doc_.Xml(), "<REPS><REP name=\"[%DOCID%]\">12</REP></REPS>");
  EXPECT_EQ(doc_.AsNode().Xml(), doc_.Xml());
}

TEST_F(DocumentTest, DeclarationIsWrittenOnlyWhenTheInputHadOne) {
  ASSERT_TRUE(doc_.LoadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a/>"));
  EXPECT_EQ(doc_.Xml(), "<?xml version=\"1.0\"?>\n<a/>");
  ASSERT_TRUE(doc_.LoadXml("<?xml version='1.0' standalone='yes'?><a/>"));
  EXPECT_EQ(doc_.Xml(), "<?xml version=\"1.0\" standalone=\"yes\"?>\n<a/>");
  ASSERT_TRUE(doc_.LoadXml("<a/>"));
  EXPECT_EQ(doc_.Xml(), "<a/>");
}

TEST_F(DocumentTest, WhitespaceIsKeptAndNoneIsAdded) {
  ASSERT_TRUE(doc_.LoadXml("<a>\n  <b></b>\n  <c x=\"1\"/>\r\n</a>"));
  EXPECT_EQ(doc_.Xml(), "<a>\n  <b/>\n  <c x=\"1\"/>\n</a>");
}

TEST_F(DocumentTest, TopLevelNodesAreSeparatedByOneLineFeed) {
  ASSERT_TRUE(doc_.LoadXml("<?xml version='1.0'?><!--c--><?pi x?><r><![CDATA[<&>]]></r><!--d-->"));
  EXPECT_EQ(doc_.Xml(),
            "<?xml version=\"1.0\"?>\n<!--c-->\n<?pi x?>\n<r><![CDATA[<&>]]></r>\n<!--d-->");
  EXPECT_EQ(doc_.Text(), "<&>");
}

TEST_F(DocumentTest, TextAndAttributeValuesAreEscapedAndRoundTrip) {
  const std::string value = "a & b < c > d \"q\" 'a' \xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD";
  Node root = doc_.CreateElement("t");
  doc_.SetDocumentElement(root);
  root.SetAttribute("v", value);
  root.AppendChild(doc_.CreateTextNode(value));
  EXPECT_EQ(doc_.Xml(),
            "<t v=\"a &amp; b &lt; c &gt; d &quot;q&quot; 'a' \xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\">"
            "a &amp; b &lt; c &gt; d \"q\" 'a' \xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD</t>");

  Document again;
  ASSERT_TRUE(again.LoadXml(doc_.Xml()));
  EXPECT_EQ(again.Text(), value);
  EXPECT_EQ(again.DocumentElement()->GetAttribute("v"), value);
}

TEST_F(DocumentTest, LineBreaksAndTabsInAttributeValuesSurviveARoundTrip) {
  Node root = doc_.CreateElement("t");
  doc_.SetDocumentElement(root);
  root.SetAttribute("v", "a\tb\nc\rd");
  Document again;
  ASSERT_TRUE(again.LoadXml(doc_.Xml()));
  EXPECT_EQ(again.DocumentElement()->GetAttribute("v"), "a\tb\nc\rd");
}

TEST_F(DocumentTest, ExternalEntityIsNotExpanded) {
  std::string secret = dir_.File("secret.txt");
  WriteFile(secret, "TOPSECRET");
  std::string xml = "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]><r>[&x;]</r>";
  if (doc_.LoadXml(xml)) {
    EXPECT_EQ(doc_.Text().find("TOPSECRET"), std::string::npos);
    EXPECT_EQ(doc_.Xml().find("TOPSECRET"), std::string::npos);
    for (const Node& node : doc_.SelectNodes("//r | //r/node()")) {
      EXPECT_EQ(node.Text().find("TOPSECRET"), std::string::npos);
    }
  }
  std::string file = dir_.File("xxe.xml");
  WriteFile(file, xml);
  if (doc_.LoadFile(file)) {
    EXPECT_EQ(doc_.Text().find("TOPSECRET"), std::string::npos);
  }
}

TEST_F(DocumentTest, ExternalDtdIsNeitherLoadedNorFetched) {
  std::string dtd = dir_.File("defaults.dtd");
  WriteFile(dtd, "<!ATTLIST r added CDATA \"from-dtd\">");
  ASSERT_TRUE(doc_.LoadXml("<!DOCTYPE r SYSTEM \"file://" + dtd + "\"><r/>"));
  EXPECT_FALSE(doc_.DocumentElement()->GetAttribute("added").has_value());

  velmora::testing::LoopbackHttpServer server(
      {{"/x.dtd", {200, "<!ATTLIST r added CDATA \"net\">"}}});
  ASSERT_TRUE(doc_.LoadXml("<!DOCTYPE r SYSTEM \"" + server.Url("/x.dtd") + "\"><r/>"));
  EXPECT_FALSE(doc_.DocumentElement()->GetAttribute("added").has_value());
  EXPECT_TRUE(server.requested_paths().empty());
}

TEST_F(DocumentTest, BillionLaughsIsRefusedQuickly) {
  for (bool in_attribute : {false, true}) {
    SCOPED_TRACE(in_attribute);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(doc_.LoadXml(BillionLaughs(in_attribute)));
    EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST_F(DocumentTest, QuadraticEntityExpansionIsRefused) {
  std::string xml = "<!DOCTYPE r [<!ENTITY e \"" + std::string(100000, 'a') + "\">]><r>";
  for (int i = 0; i < 1000; ++i) {
    xml += "&e;";
  }
  xml += "</r>";
  EXPECT_FALSE(doc_.LoadXml(xml));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
  EXPECT_NE(doc_.parse_error().reason.find("expand"), std::string::npos)
      << doc_.parse_error().reason;
}

TEST_F(DocumentTest, SmallInternalEntitiesStillWork) {
  ASSERT_TRUE(
      doc_.LoadXml("<!DOCTYPE r [<!ENTITY co \"ACME &amp; Sons\"><!ENTITY two \"&co;/&co;\">]>"
                   "<r a=\"&co;\">&two;</r>"));
  EXPECT_EQ(doc_.Text(), "ACME & Sons/ACME & Sons");
  EXPECT_EQ(doc_.DocumentElement()->GetAttribute("a"), "ACME & Sons");
}

TEST_F(DocumentTest, LargeDocumentsLoad) {
  std::string many = "<BATCH>";
  many.reserve(32u * 1024u * 1024u);
  while (many.size() < 30u * 1024u * 1024u) {
    many += "<ITEM no=\"1\"><NAME>some item name</NAME><QTY>12</QTY></ITEM>\n";
  }
  many += "</BATCH>";
  ASSERT_TRUE(doc_.LoadXml(many)) << doc_.parse_error().reason;
  EXPECT_EQ(doc_.SelectSingleNode("/BATCH/ITEM[last()]/QTY")->Text(), "12");

  std::string big_text = "<DATA>" + std::string(12u * 1024u * 1024u, 'x') + "</DATA>";
  ASSERT_TRUE(doc_.LoadXml(big_text)) << doc_.parse_error().reason;
  EXPECT_EQ(doc_.Text().size(), 12u * 1024u * 1024u);

  std::string deep;
  for (int i = 0; i < 400; ++i) {
    deep += "<d>";
  }
  for (int i = 0; i < 400; ++i) {
    deep += "</d>";
  }
  EXPECT_TRUE(doc_.LoadXml(deep)) << doc_.parse_error().reason;
}

TEST_F(DocumentTest, LimitFreeRetryStillRefusesEntityDeclarations) {
  std::string xml =
      "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;" + std::string(11u * 1024u * 1024u, 'y') + "</r>";
  EXPECT_FALSE(doc_.LoadXml(xml));
  EXPECT_EQ(doc_.parse_error().failure, ParseFailure::kMalformed);
}

TEST_F(DocumentTest, SavesUtf16WithByteOrderMarkAndLoadsItBack) {
  const std::string text = "\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\xF0\x9F\x98\x80";
  ASSERT_TRUE(doc_.LoadXml("<r a=\"" + text + "\">" + text + "</r>"));
  std::string path = dir_.File("u16.xml");
  doc_.SaveFile(path, "UTF-16");
  std::string bytes = ReadFile(path);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE<\0", 4));
  std::string declaration;
  for (size_t i = 2; i + 1 < bytes.size() && bytes[i] != '\n'; i += 2) {
    declaration += bytes[i];
  }
  EXPECT_EQ(declaration, "<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
  EXPECT_NE(bytes.find(std::string("\x3D\xD8\x00\xDE", 4)), std::string::npos);  // U+1F600

  Document loaded;
  ASSERT_TRUE(loaded.LoadFile(path)) << loaded.parse_error().reason;
  EXPECT_EQ(loaded.Text(), text);
  EXPECT_EQ(loaded.DocumentElement()->GetAttribute("a"), text);
  EXPECT_EQ(loaded.Xml(), "<?xml version=\"1.0\"?>\n<r a=\"" + text + "\">" + text + "</r>");
}

TEST_F(DocumentTest, SavesWindows1252WithReferencesForOtherCharactersAndLoadsItBack) {
  const std::string text = "\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD";  // e-acute, euro, U+4E2D
  ASSERT_TRUE(doc_.LoadXml("<r a=\"" + text + "\">" + text + "</r>"));
  std::string path = dir_.File("cp.xml");
  doc_.SaveFile(path, "windows-1252");
  EXPECT_EQ(ReadFile(path),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
            "<r a=\"\xE9\x80&#20013;\">\xE9\x80&#20013;</r>\n");
  Document loaded;
  ASSERT_TRUE(loaded.LoadFile(path)) << loaded.parse_error().reason;
  EXPECT_EQ(loaded.Text(), text);
  EXPECT_EQ(loaded.DocumentElement()->GetAttribute("a"), text);
}

TEST_F(DocumentTest, SavesUtf8WithADeclarationAndNoByteOrderMark) {
  ASSERT_TRUE(doc_.LoadXml("<r>\xC3\xA9</r>"));
  std::string path = dir_.File("u8.xml");
  doc_.SaveFile(path, "utf-8");
  EXPECT_EQ(ReadFile(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\xC3\xA9</r>\n");
  EXPECT_EQ(doc_.Serialize("UTF-8"), ReadFile(path));
}

TEST_F(DocumentTest, SaveFileFailuresRaise) {
  ASSERT_TRUE(doc_.LoadXml("<r/>"));
  EXPECT_EQ(RaisedBy([&] { doc_.SaveFile(dir_.File("x.xml"), "EBCDIC"); }).number(),
            kErrInvalidProcedureCall);
  EXPECT_EQ(RaisedBy([&] { doc_.SaveFile(dir_.File("missing/x.xml")); }).number(),
            kErrPathNotFound);
}

TEST_F(DocumentTest, CanBeHeldByAVariant) {
  auto shared = std::make_shared<Document>();
  ASSERT_TRUE(shared->LoadXml("<a>1</a>"));
  Variant value{ObjectRef(shared)};
  std::shared_ptr<Document> back = value.As<Document>();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Text(), "1");
}

TEST_F(DocumentTest, IndependentDocumentsWorkOnSeveralThreadsWithTheirOwnErrors) {
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int round = 0; round < 200; ++round) {
        Document doc;
        std::string lines(static_cast<size_t>(t), '\n');
        if (doc.LoadXml("<a>" + lines + "</b>") || doc.parse_error().line != t + 1) {
          ++failures[t];
        }
        Node root = doc.CreateElement("R" + std::to_string(t));
        doc.SetDocumentElement(root);
        root.SetAttribute("n", std::to_string(round));
        if (doc.Xml() != "<R" + std::to_string(t) + " n=\"" + std::to_string(round) + "\"/>" ||
            doc.SelectNodes("//@n").Count() != 1) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(failures[t], 0) << "thread " << t;
  }
}

}  // namespace
}  // namespace velmora::xml
