#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "automation/call_service.h"
#include "automation/registration.h"
#include "core/components.h"
#include "core/sql_literals.h"
#include "routing/document_types.h"
#include "routing/xml_test_fakes.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "support/loopback_http_server.h"
#include "support/temp_home.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/routing/utility.h"
#include "velmora/routing/xml.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::RaisedBy;

constexpr const char* kOrder = "<ORDER><LINE>pen</LINE><LINE>ink</LINE></ORDER>";
constexpr const char* kCountLines =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"text\"/>"
    "<xsl:template match=\"/\">lines: <xsl:value-of select=\"count(//LINE)\"/></xsl:template>"
    "</xsl:stylesheet>";

class UtilityXmlDbTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    folder_ = fs::path(Home()) / "xsl-test";
    fs::create_directories(folder_);
  }
  void TearDown() override {
    fs::remove_all(folder_);
    fs::remove(fs::path(Home()) / "config" / "SiteConfiguration.xml");
    LibraryDbTest::TearDown();
  }

  void AddDocumentType(const std::string& id, const std::string& html_xsl_literal) {
    Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION, HTMLATTACHMENTXSL) VALUES (" +
         core::SqlText(id) + ", 'test', " + html_xsl_literal + ")");
  }

  Utility utility_;
  fs::path folder_;
};

TEST_P(UtilityXmlDbTest, StyleSheetFoldersGetTheSeparatorOfTheirKind) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"http://xsl.example/transform", "http://xsl.example/transform/"},
      {"HTTP://xsl.example/t", "HTTP://xsl.example/t/"},
      {"https://xsl.example/t/", "https://xsl.example/t/"},
      {"D:\\xsl\\transform\\", "D:\\xsl\\transform\\"},
      {"D:\\xsl\\transform", "D:\\xsl\\transform\\"},
      {"/srv/xsl", "/srv/xsl\\"},
      {"", "\\"},
  };
  for (const auto& [stored, expected] : cases) {
    SCOPED_TRACE(stored);
    SetParameter("TransformXSLPath", stored);
    SetParameter("HTMLXSLPath", stored);
    EXPECT_EQ(utility_.GetTransformXSLPath(), expected);
    EXPECT_EQ(utility_.GetHTMLXSLPath(), expected);
  }
}

TEST_P(UtilityXmlDbTest, AMissingFolderParameterIsReportedUnderTheGetter) {
  Exec("DELETE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'TransformXSLPath'");
  const Error error = RaisedBy([&] { utility_.GetTransformXSLPath(); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingParameter));
  EXPECT_EQ(
      error.description().rfind("\r\nMETHOD: Velmora.Utility.GetTransformXSLPath caught: ", 0), 0u);
}

TEST_P(UtilityXmlDbTest, TheHtmlStyleSheetOfADocumentType) {
  SetParameter("HTMLXSLPath", "D:\\xsl\\html");
  AddDocumentType("ORDERS", "'  orders.xsl  '");
  AddDocumentType("INVOICE", "NULL");
  AddDocumentType("O'NEIL", "'oneil.xsl'");
  EXPECT_EQ(utility_.getXSL("ORDERS"), "D:\\xsl\\html\\orders.xsl");
  EXPECT_EQ(utility_.GetHtmlAttachmentXsl("ORDERS"), "  orders.xsl  ");
  EXPECT_EQ(utility_.getXSL("INVOICE"), "");
  EXPECT_EQ(utility_.GetHtmlAttachmentXsl("INVOICE"), "");
  EXPECT_EQ(utility_.getXSL("NOTHING"), "");
  EXPECT_EQ(utility_.GetHtmlAttachmentXsl("NOTHING"), "");
  EXPECT_EQ(utility_.getXSL("orders"), "");
  EXPECT_EQ(utility_.getXSL("O'NEIL"), "D:\\xsl\\html\\oneil.xsl");
  EXPECT_EQ(utility_.GetHtmlAttachmentXsl("O'NEIL"), "oneil.xsl");
}

// The document type look-ups library code calls: a stored empty style sheet is not the same
// as none (getXSL gives the folder for the one and "" for the other).
TEST_P(UtilityXmlDbTest, DocumentTypeLookUpsTellAnEmptyStyleSheetFromNone) {
  SetParameter("HTMLXSLPath", "D:\\xsl");
  AddDocumentType("EMPTY", "''");
  AddDocumentType("NONE", "NULL");
  AddDocumentType("O'NEIL", "'oneil.xsl'");
  struct Case {
    const char* type;
    bool exists;
    std::optional<std::string> style_sheet;
    const char* xsl;
  };
  const Case cases[] = {
      {"EMPTY", true, "", "D:\\xsl\\"},
      {"NONE", true, std::nullopt, ""},
      {"O'NEIL", true, "oneil.xsl", "D:\\xsl\\oneil.xsl"},
      {"o'neil", false, std::nullopt, ""},
      {"ABSENT", false, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(routing::document_types::Exists(c.type), c.exists);
    EXPECT_EQ(routing::document_types::HtmlAttachmentXsl(c.type), c.style_sheet);
    EXPECT_EQ(routing::document_types::Description(c.type), c.exists ? "test" : "");
    EXPECT_EQ(utility_.getXSL(c.type), c.xsl);
  }
}

TEST_P(UtilityXmlDbTest, GetXslReportsTheDocumentType) {
  AddDocumentType("ORDERS", "'orders.xsl'");
  Exec("DELETE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = 'HTMLXSLPath'");
  const Error error = RaisedBy([&] { utility_.getXSL("ORDERS"); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::MissingParameter));
  EXPECT_NE(error.description().find(" Additional information: DocumentType: 'ORDERS'"),
            std::string::npos)
      << error.description();
}

TEST_P(UtilityXmlDbTest, AMissingStyleSheetRaisesCannotLoadFileWithTheLabelText) {
  const std::string missing = (folder_ / "absent.xsl").string();
  const Error error = RaisedBy([&] { XML().XslFileToDomDocument(missing); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
  EXPECT_NE(error.description().find("LoadXslInDomDocument caught: The style sheet '" + missing +
                                     "' could not be found.(80040214)."),
            std::string::npos)
      << error.description();
}

TEST_P(UtilityXmlDbTest, ALabelWithALowerCasePlaceholderStillNamesTheFile) {
  Exec("UPDATE I18NTEXT SET TEXT = 'Missing [%FileName%]!' WHERE LABEL = 'ZODAR0052'");
  const Error error = RaisedBy([&] { XML().XslFileToDomDocument("/nowhere/a.xsl"); });
  EXPECT_NE(error.description().find("caught: Missing /nowhere/a.xsl!("), std::string::npos)
      << error.description();
}

TEST_P(UtilityXmlDbTest, AFileHeldOpenIsLoggedWithBothLabels) {
  core::ScopedComponent share("D2ORiro.File",
                              [] { return std::make_shared<testing::HeldRemoteFile>(); });
  EXPECT_NO_THROW(utility_.DeleteXMLFileFromDisk("\\\\srv\\out\\held.xml"));
  bool logged = false;
  for (const testing::LogEntry& entry : log_->entries()) {
    if (entry.text.rfind("Velmora.Utility.DeleteXMLFileFromDisk caught: ", 0) == 0) {
      logged = true;
      EXPECT_NE(entry.text.find(" Additional information: The file '\\\\srv\\out\\held.xml' "
                                "could not be deleted.\r\nThe file may still be in use by "
                                "another process."),
                std::string::npos)
          << entry.text;
    }
  }
  EXPECT_TRUE(logged);
}

TEST_P(UtilityXmlDbTest, NetworkStyleSheetsAreReadFromTheMappedShare) {
  testing::WriteFile((folder_ / "count.xsl").string(), kCountLines);
  testing::WriteFile(Home() + "/config/SiteConfiguration.xml",
                     "<configuration><section name=\"SHARES\"><key name=\"\\\\xslsrv\\styles\">" +
                         folder_.string() + "</key></section></configuration>");
  testing::RunOnFreshThread([&] {
    EXPECT_EQ(utility_.transformXMLStringToHTML(kOrder, "\\\\xslsrv\\styles\\count.xsl"),
              "lines: 2");
    const Error missing = RaisedBy(
        [&] { utility_.transformXMLStringToHTML(kOrder, "\\\\xslsrv\\styles\\none.xsl"); });
    EXPECT_EQ(missing.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
    EXPECT_NE(missing.description().find(
                  "The style sheet '\\\\xslsrv\\styles\\none.xsl' could not be found."),
              std::string::npos)
        << missing.description();
    const Error unmapped =
        RaisedBy([&] { utility_.transformXMLStringToHTML(kOrder, "\\\\other\\share\\a.xsl"); });
    EXPECT_EQ(unmapped.number(), ErrNumber(EnumerationErrors::CannotLoadFile));
    EXPECT_NE(unmapped.description().find("Unable to parse the XSL file \\\\other\\share\\a.xsl"),
              std::string::npos);
  });
}

TEST_P(UtilityXmlDbTest, DocumentTypeStyleSheetsOverHttpThroughTheAutomationLayer) {
  automation::RegisterAllClasses();
  testing::LoopbackHttpServer server({{"/html/count.xsl", {200, kCountLines}}});
  SetParameter("HTMLXSLPath", server.Url("/html"));
  AddDocumentType("ORDERS", "'count.xsl'");
  const std::string style = utility_.getXSL("ORDERS");
  EXPECT_EQ(style, server.Url("/html/count.xsl"));
  EXPECT_EQ(
      automation::CallAndReply("Velmora.Utility", "transformXMLStringToHTML",
                               {Variant(kOrder), Variant(style)})
          .json,
      R"({"result":"lines: 2","args":[")" + std::string(kOrder) + R"(",")" + style + R"("]})");
  EXPECT_EQ(
      automation::CallAndReply("Velmora.Utility", "GetHtmlAttachmentXsl", {Variant("ORDERS")}).json,
      R"({"result":"count.xsl","args":["ORDERS"]})");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UtilityXmlDbTest);

}  // namespace
}  // namespace velmora
