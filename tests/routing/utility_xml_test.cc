#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/registration.h"
#include "core/components.h"
#include "routing/style_sheets.h"
#include "routing/xml_files.h"
#include "routing/xml_test_fakes.h"
#include "support/capture_log.h"
#include "support/expectations.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "support/temp_home.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"
#include "velmora/routing/xml.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::RaisedBy;

constexpr const char* kOrder =
    "<ORDER><ID>  42  </ID><LINE no=\"1\"> pen </LINE><LINE no=\"2\">ink</LINE></ORDER>";

constexpr const char* kLinesToHtml =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"html\"/>"
    "<xsl:template match=\"/\"><p><xsl:value-of select=\"//LINE[2]\"/></p></xsl:template>"
    "</xsl:stylesheet>";

std::string Utf16(const std::u16string& units) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class UtilityXmlTest : public ::testing::Test {
 protected:
  void SetUp() override { order_ = XML().XmlStringToDomDocument(kOrder); }

  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = folder_ / name;
    testing::WriteFile(path, content);
    return path;
  }

  bool Check(std::string pattern, TagAttrXsl kind) {
    return utility_.CheckXslPattern(pattern, kind);
  }

  std::string Decode(std::string encoded) { return utility_.urlDecode(encoded); }

  Utility utility_;
  testing::CaptureLog log_;
  testing::TempFolder folder_;
  testing::ScopedEnvironmentVariable tmpdir_{"TMPDIR", folder_.path()};
  std::shared_ptr<xml::Document> order_;
};

// ---- Queries ----

TEST_F(UtilityXmlTest, ConstructXslPatternBuildsTheQueryOfEachKind) {
  EXPECT_EQ(utility_.ConstructXslPattern(TagAttrXsl::TAGVALUE, "ID"), "//ID");
  EXPECT_EQ(utility_.ConstructXslPattern(TagAttrXsl::ATTRVALUE, "ID"), "//@ID");
  EXPECT_EQ(utility_.ConstructXslPattern(TagAttrXsl::XSLPATTERN, "/ORDER/LINE[@no='1']"),
            "/ORDER/LINE[@no='1']");
  for (int kind : {4, 0, -1, 99}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(utility_.ConstructXslPattern(static_cast<TagAttrXsl>(kind), "ID"), "");
  }
}

TEST_F(UtilityXmlTest, CheckXslPatternAcceptsElementAndAttributeNames) {
  for (TagAttrXsl kind : {TagAttrXsl::TAGVALUE, TagAttrXsl::ATTRVALUE}) {
    for (const char* name : {"ORDER", "Order-Line_2", "_x", "A1", "-x"}) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(Check(name, kind));
    }
    for (const char* name : {"A.B", "A B", "ns:A", "1A", "12", "-5", "+5", "1e5", "@ID"}) {
      SCOPED_TRACE(name);
      EXPECT_FALSE(Check(name, kind));
    }
    for (char c : std::string(" ?.,><'\";:|][}{=+)(*&^%$#@`~!\\/")) {
      SCOPED_TRACE(std::string(1, c));
      EXPECT_FALSE(Check(std::string("A") + c + "B", kind));
    }
  }
}

TEST_F(UtilityXmlTest, CheckXslPatternAcceptsPathsOfNames) {
  for (const char* pattern : {"ORDER/LINE", "/ORDER/ID", "//LINE[@no='2']", "A\\B", "-x/y"}) {
    SCOPED_TRACE(pattern);
    EXPECT_TRUE(Check(pattern, TagAttrXsl::XSLPATTERN));
  }
  for (const char* pattern :
       {"/", "//", "\\", "\\\\", "A\\B/C", "//A B", "12", "1A/B", "+1.5E3", "-7", ".5"}) {
    SCOPED_TRACE(pattern);
    EXPECT_FALSE(Check(pattern, TagAttrXsl::XSLPATTERN));
  }
}

TEST_F(UtilityXmlTest, CheckXslPatternTrimsTheCallersValueAndAcceptsOtherKinds) {
  std::string stored = "  ORDER  ";
  EXPECT_TRUE(utility_.CheckXslPattern(stored, TagAttrXsl::TAGVALUE));
  EXPECT_EQ(stored, "ORDER");
  stored = " / ";
  EXPECT_FALSE(utility_.CheckXslPattern(stored, TagAttrXsl::XSLPATTERN));
  EXPECT_EQ(stored, "/");
  for (int kind : {4, 0, -3}) {
    SCOPED_TRACE(kind);
    stored = "  1 2 / \\ ";
    EXPECT_TRUE(utility_.CheckXslPattern(stored, static_cast<TagAttrXsl>(kind)));
    EXPECT_EQ(stored, "1 2 / \\");
  }
}

TEST_F(UtilityXmlTest, ExecuteXSLPatternGivesTheFirstMatchWithoutOuterBlanks) {
  EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, "//ID"), "42");
  EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, "//LINE"), "pen");
  EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, "//@no"), "1");
  EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, "//LINE[@no='2']"), "ink");
  EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, "//NONE"), "");
  EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, ""), "");
  auto spaced = XML().XmlStringToDomDocument("<A>\n x \n</A>");
  EXPECT_EQ(utility_.ExecuteXSLPattern(*spaced, "/A"), "\n x \n");
}

TEST_F(UtilityXmlTest, ExecuteXSLPatternWithAWrongQueryGivesNothingAndLogsNothing) {
  for (const char* query : {"//LINE[", "//", "count(//LINE)", "   ", "LINE[$eq$ 1]"}) {
    SCOPED_TRACE(query);
    EXPECT_EQ(utility_.ExecuteXSLPattern(*order_, query), "");
    EXPECT_EQ(utility_.ExecuteXSLPatternReturnAllNodes(*order_, query), nullptr);
  }
  EXPECT_TRUE(log_.entries().empty());
}

TEST_F(UtilityXmlTest, ExecuteXSLPatternReturnAllNodesListsEveryMatchInOrder) {
  auto lines = utility_.ExecuteXSLPatternReturnAllNodes(*order_, "//LINE");
  ASSERT_NE(lines, nullptr);
  ASSERT_EQ(lines->Count(), 2u);
  EXPECT_EQ(lines->Item(0).GetAttribute("no"), "1");
  EXPECT_EQ(lines->Item(1).Text(), "ink");
  auto none = utility_.ExecuteXSLPatternReturnAllNodes(*order_, "//NONE");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Empty());
}

// ---- Text utilities ----

TEST_F(UtilityXmlTest, UrlDecodeTurnsPlusAndEscapesIntoCharacters) {
  EXPECT_EQ(Decode("a+b%20c"), "a b c");
  EXPECT_EQ(Decode("%u0041%u00e9z"), "A\xC3\xA9z");
  EXPECT_EQ(Decode("x%80y"), "x\xE2\x82\xACy");             // Windows-1252 0x80 is the euro sign
  EXPECT_EQ(Decode("%uD83D%uDE00!"), "\xF0\x9F\x98\x80!");  // a pair of code units
  EXPECT_EQ(Decode("%41+"), "A ");
  EXPECT_EQ(Decode("100%25"), "100%");
}

TEST_F(UtilityXmlTest, UrlDecodeShortensByTheLengthOfEachEscape) {
  const std::string encoded = "ab%41cd%u0042ef";
  const std::string decoded = Decode(encoded);
  EXPECT_EQ(decoded, "abAcdBef");
  EXPECT_EQ(decoded.size(), encoded.size() - 2 - 5);
}

TEST_F(UtilityXmlTest, UrlDecodeLeavesShortTextsAndAFinalPlusWithoutEscapesAlone) {
  EXPECT_EQ(Decode(""), "");
  EXPECT_EQ(Decode("+"), "+");
  EXPECT_EQ(Decode("%"), "%");
  EXPECT_EQ(Decode("ab+"), "ab+");
  EXPECT_EQ(Decode("a+b+"), "a b+");
  EXPECT_EQ(Decode("100%"), "100%");
}

TEST_F(UtilityXmlTest, UrlDecodeWritesTheDecodedTextBackToTheCaller) {
  std::string text = "a+b";
  EXPECT_EQ(utility_.urlDecode(text), "a b");
  EXPECT_EQ(text, "a b");
}

TEST_F(UtilityXmlTest, UrlDecodeOfABadEscapeNamesItUnderUrlCharDecode) {
  const Error error = RaisedBy([&] { Decode("a%zz1"); });
  EXPECT_EQ(error.number(), kErrTypeMismatch);
  EXPECT_EQ(error.description(),
            "\r\nMETHOD: Velmora.Utility.urlDecode caught: "
            "\r\nMETHOD: Velmora.Utility.urlCharDecode caught: Type mismatch(D). Additional "
            "information: This character '%zz' couldn't be decoded.(D).");
  const Error truncated = RaisedBy([&] { Decode("a%u12b"); });
  EXPECT_NE(truncated.description().find("This character '%u12b' couldn't be decoded."),
            std::string::npos);
  EXPECT_EQ(log_.entries().size(), 4u);  // each failure logged by both reports
}

TEST_F(UtilityXmlTest, HtmlDecodeReplacesTheFourEscapesInOrder) {
  EXPECT_EQ(utility_.HTMLDecode(Variant("a &lt;b&gt; &amp; &quot;c&quot;")), "a <b> & \"c\"");
  EXPECT_EQ(utility_.HTMLDecode(Variant("&amp;lt;")), "&lt;");
  EXPECT_EQ(utility_.HTMLDecode(Variant("&LT;x&Gt; &AMP;")), "<x> &");
  EXPECT_EQ(utility_.HTMLDecode(Variant("fish & chips &nbsp;")), "fish & chips &nbsp;");
  EXPECT_EQ(utility_.HTMLDecode(Variant(int32_t{5})), "5");
  EXPECT_EQ(RaisedBy([&] { utility_.HTMLDecode(Variant::MakeNull()); }).number(),
            kErrInvalidUseOfNull);
}

// ---- Rendering ----

TEST_F(UtilityXmlTest, TransformsWithALocalStyleSheet) {
  const std::string style = Write("lines.xsl", kLinesToHtml);
  EXPECT_EQ(utility_.transformXMLStringToHTML(kOrder, style), "<p>ink</p>\n");
  EXPECT_EQ(utility_.transformXMLToHTMLCommon(*order_, style), "<p>ink</p>\n");
}

TEST_F(UtilityXmlTest, NetworkStyleSheetsGoThroughTheNetworkXmlComponent) {
  auto fake = std::make_shared<testing::FakeNetworkXml>();
  core::ScopedComponent component("D2ORiro.XML", [&] { return fake; });
  EXPECT_EQ(utility_.transformXMLStringToHTML(kOrder, "\\\\srv\\xsl\\lines.xsl"),
            "<p>from the share</p>");
  EXPECT_EQ(utility_.transformXMLToHTMLCommon(*order_, "\\\\srv\\xsl\\lines.xsl"),
            "<p>from the share</p>");
  const std::vector<std::string> expected = {
      "ApplyXslStyleSheetToXmlString", kOrder, "\\\\srv\\xsl\\lines.xsl",
      "ApplyXslStyleSheetToXmlString", kOrder, "\\\\srv\\xsl\\lines.xsl"};
  EXPECT_EQ(fake->calls, expected);
}

TEST_F(UtilityXmlTest, AMissingNetworkXmlComponentIsAnObjectRequired) {
  core::ScopedComponent component("D2ORiro.XML", [] { return ObjectRef(); });
  const Error error =
      RaisedBy([&] { utility_.transformXMLStringToHTML(kOrder, "\\\\srv\\xsl\\a.xsl"); });
  EXPECT_EQ(error.number(), kErrObjectRequired);
  EXPECT_EQ(error.source(), "Velmora.Utility.transformXMLStringToHTML");
}

TEST_F(UtilityXmlTest, RenderingFailuresCarryTheUtilityPathOverTheXmlChain) {
  const std::string missing = folder_ / "absent.xsl";
  const Error error = RaisedBy([&] { utility_.transformXMLToHTMLCommon(*order_, missing); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
  EXPECT_EQ(error.description().rfind(
                "\r\nMETHOD: Velmora.Utility.transformXMLToHTMLCommon caught: \r\nMETHOD: "
                "Velmora.XML.ApplyXslStyleSheetToXmlString caught: \r\nMETHOD: "
                "Velmora.XML.ApplyXslStyleSheetToXmlDomDocument caught: \r\nMETHOD: "
                "Velmora.XML.XslFileToDomDocument caught: \r\nMETHOD: "
                "Velmora.XML.LoadXslInDomDocument caught: ",
                0),
            0u)
      << error.description();
}

// ---- Services and the facade ----

// Whether an entry of `log` names `path`.
bool LogNames(const testing::CaptureLog& log, const std::string& path) {
  for (const testing::LogEntry& entry : log.entries()) {
    if (entry.source.find(path) != std::string::npos ||
        entry.text.find(path) != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Library code calls the services: a failure they raise is unreported (no Utility path in the
// chain or the log). Through Utility the same failure keeps its number and is reported under
// the operation's published path.
TEST_F(UtilityXmlTest, ServicesRaiseUnreportedAndTheFacadeReportsUnderThePublishedPath) {
  const std::string missing = folder_ / "absent.xml";
  const std::string no_sheet = folder_ / "absent.xsl";
  std::string climbing = "../out.xml";
  std::string climbing_too = climbing;
  struct Case {
    std::string path;
    std::function<void()> service;
    std::function<void()> facade;
  };
  const Case cases[] = {
      {"Velmora.Utility.DeleteXMLFileFromDisk", [&] { routing::xml_files::Delete(missing); },
       [&] { utility_.DeleteXMLFileFromDisk(missing); }},
      {"Velmora.Utility.transformXMLStringToHTML",
       [&] { routing::style_sheets::Transform(kOrder, no_sheet, "caller"); },
       [&] { utility_.transformXMLStringToHTML(kOrder, no_sheet); }},
      {"Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode(<a/>, )",
       [&] { routing::xml_files::Write("<a/>", climbing, true); },
       [&] { utility_.WriteXMLFileToDiskAsciiOrUnicode("<a/>", climbing_too); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const Error raw = RaisedBy(c.service);
    EXPECT_EQ(raw.description().find("Velmora.Utility."), std::string::npos) << raw.description();
    EXPECT_FALSE(LogNames(log_, c.path));
    const Error reported = RaisedBy(c.facade);
    EXPECT_EQ(reported.number(), raw.number());
    EXPECT_EQ(reported.description().rfind("\r\nMETHOD: " + c.path + " caught: ", 0), 0u)
        << reported.description();
    EXPECT_TRUE(LogNames(log_, c.path));
  }
}

// ---- Temporary files ----

TEST_F(UtilityXmlTest, WriteXmlFileToDiskMakesANameInTheTemporaryFolder) {
  std::string name;
  const Variant path = utility_.WriteXMLFileToDisk("<a/>", name);
  const std::string thread = std::to_string(::gettid());
  ASSERT_EQ(name.rfind(thread + "rad", 0), 0u) << name;
  EXPECT_TRUE(text::IEndsWith(name, ".tmp"));
  EXPECT_EQ(path.ToText(), folder_.path() + "/" + name);
  EXPECT_EQ(testing::ReadFile(path.ToText()), Utf16(u"<a/>"));
  std::string second;
  utility_.WriteXMLFileToDisk("<a/>", second);
  EXPECT_NE(second, name);
}

TEST_F(UtilityXmlTest, TemporaryFileNamesMayNotClimbOutOfTheirFolder) {
  for (std::string name : {"../escaped.xml", "..\\escaped.xml", "sub/../../escaped.xml", ".."}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(utility_.WriteXMLFileToDisk("<a/>", name), Error);
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.path() + "/../escaped.xml"));
  std::string dotted = "a..b.xml";
  EXPECT_NO_THROW(utility_.WriteXMLFileToDisk("<a/>", dotted));
}

TEST_F(UtilityXmlTest, Utf16FilesCarryAByteOrderMarkAndDeclareTheirEncoding) {
  std::string name = "order.xml";
  const Variant path =
      utility_.WriteXMLFileToDiskAsciiOrUnicode("<?xml version=\"1.0\"?>\n<a>\xC3\xA9</a>", name);
  EXPECT_EQ(name, "order.xml");
  EXPECT_EQ(path.ToText(), folder_.path() + "/order.xml");
  EXPECT_EQ(testing::ReadFile(path.ToText()),
            Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<a>\u00E9</a>"));
  EXPECT_EQ(XML().XmlFileToDomDocument(path.ToText())->Text(), "\xC3\xA9");
}

TEST_F(UtilityXmlTest, SingleByteFilesAreWindows1252WithReferencesForOtherCharacters) {
  std::string name = folder_ / "ansi.xml";
  const Variant path = utility_.WriteXMLFileToDiskAsciiOrUnicode(
      "<?xml version=\"1.0\"?><a>\xC3\xA9\xE2\x82\xAC\xE3\x81\xB2</a>", name, false);
  EXPECT_EQ(path.ToText(), name);
  EXPECT_EQ(testing::ReadFile(name),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9\x80&#12402;</a>");
  EXPECT_EQ(XML().XmlFileToDomDocument(name)->Text(), "\xC3\xA9\xE2\x82\xAC\xE3\x81\xB2");

  std::string plain = "plain.txt";
  utility_.WriteXMLFileToDiskAsciiOrUnicode("\xC3\xA9 \xE3\x81\xB2", plain, false);
  EXPECT_EQ(testing::ReadFile(folder_ / "plain.txt"), "\xE9 ?");
}

// A push writes one text many times over; each write still gets the bytes of its own text and
// encoding when they change between writes.
TEST_F(UtilityXmlTest, RepeatedWritesFollowTheTextAndTheEncoding) {
  const std::string first = "<?xml version=\"1.0\"?><a>\xC3\xA9</a>";
  const std::string second = "<?xml version=\"1.0\"?><a>\xC3\xA8</a>";
  const struct {
    const std::string* text;
    bool unicode;
    std::string expected;
  } writes[] = {
      {&first, false, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9</a>"},
      {&first, false, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9</a>"},
      {&first, true, Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u00E9</a>")},
      {&second, true, Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u00E8</a>")},
      {&second, false, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE8</a>"},
  };
  int index = 0;
  for (const auto& write : writes) {
    std::string name = folder_ / ("w" + std::to_string(index++) + ".xml");
    utility_.WriteXMLFileToDiskAsciiOrUnicode(*write.text, name, write.unicode);
    EXPECT_EQ(testing::ReadFile(name), write.expected) << name;
  }
}

TEST_F(UtilityXmlTest, AFailedWriteNamesTheTextAndThePath) {
  std::string name = folder_ / "no-such-folder/x.xml";
  const Error error = RaisedBy([&] { utility_.WriteXMLFileToDisk("<a>hello</a>", name); });
  EXPECT_EQ(error.number(), kErrPathNotFound);
  EXPECT_EQ(error.description().rfind(
                "\r\nMETHOD: Velmora.Utility.WriteXMLFileToDisk caught: \r\nMETHOD: "
                "Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode(<a>hel, " +
                    name + ") caught: ",
                0),
            0u)
      << error.description();
}

TEST_F(UtilityXmlTest, DeleteXmlFileFromDiskDeletesAndIgnoresBlankNames) {
  std::string name;
  const std::string path = utility_.WriteXMLFileToDisk("<a/>", name).ToText();
  ASSERT_TRUE(fs::exists(path));
  utility_.DeleteXMLFileFromDisk(path);
  EXPECT_FALSE(fs::exists(path));
  utility_.DeleteXMLFileFromDisk("   ");
  EXPECT_TRUE(log_.entries().empty());
}

TEST_F(UtilityXmlTest, DeletingAMissingFileRaises) {
  const std::string missing = folder_ / "absent.xml";
  const Error error = RaisedBy([&] { utility_.DeleteXMLFileFromDisk(missing); });
  EXPECT_EQ(error.number(), kErrFileNotFound);
  EXPECT_EQ(
      error.description().rfind("\r\nMETHOD: Velmora.Utility.DeleteXMLFileFromDisk caught: ", 0),
      0u);
}

TEST_F(UtilityXmlTest, AFileHeldOpenIsLoggedInsteadOfRaised) {
  core::ScopedComponent share("D2ORiro.File",
                              [] { return std::make_shared<testing::HeldRemoteFile>(); });
  EXPECT_NO_THROW(utility_.DeleteXMLFileFromDisk("\\\\srv\\out\\held.xml"));
  bool logged = false;
  for (const testing::LogEntry& entry : log_.entries()) {
    if (entry.text.rfind("Velmora.Utility.DeleteXMLFileFromDisk caught: ", 0) == 0) {
      logged = true;
      EXPECT_NE(entry.text.find("(46). Additional information: ZODAR4567 "
                                "[%FILENAME%]=\\\\srv\\out\\held.xml\r\nZODAR0881"),
                std::string::npos)
          << entry.text;
    }
  }
  EXPECT_TRUE(logged);
}

// ---- Through the automation layer ----

class UtilityXmlAutomationTest : public UtilityXmlTest {
 protected:
  void SetUp() override {
    UtilityXmlTest::SetUp();
    automation::RegisterAllClasses();
  }
  static automation::CallReply Call(const std::string& method, std::vector<Variant> args) {
    return automation::CallAndReply("Velmora.Utility", method, std::move(args));
  }
};

TEST_F(UtilityXmlAutomationTest, ByReferenceResultsComeBackInTheArguments) {
  EXPECT_EQ(Call("CheckXslPattern", {Variant("  ORDER "), Variant(1)}).json,
            R"({"result":true,"args":["ORDER",1]})");
  EXPECT_EQ(Call("urlDecode", {Variant("a+b%21")}).json, R"({"result":"a b!","args":["a b!"]})");
  EXPECT_EQ(Call("ConstructXslPattern", {Variant(2), Variant("ID")}).json,
            R"({"result":"//@ID","args":[2,"ID"]})");
  EXPECT_EQ(Call("Formats", {Variant(1234.5), Variant("#,##0.00")}).json,
            R"({"result":"1,234.50","args":[1234.5,"#,##0.00"]})");
}

TEST_F(UtilityXmlAutomationTest, WriteXmlFileToDiskHandsTheGeneratedNameBack) {
  const automation::CallReply reply = Call("WriteXMLFileToDisk", {Variant("<a/>")});
  ASSERT_FALSE(reply.failed) << reply.json;
  EXPECT_NE(
      reply.json.find("\"result\":\"" + folder_.path() + "/" + std::to_string(::gettid()) + "rad"),
      std::string::npos)
      << reply.json;
}

}  // namespace
}  // namespace velmora
