#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/labels.h"
#include "notify/mail_fixture.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

class UtilityEmailTest : public testing::MailTest {};

TEST_P(UtilityEmailTest, SenderIsCheckedBeforeReceiver) {
  const std::vector<std::tuple<std::string, std::string, EnumerationErrors, std::string>> cases{
      {"", "", EnumerationErrors::MissingEmailSenderError, "The Sender is missing."},
      {"", "b@example.com", EnumerationErrors::MissingEmailSenderError, "The Sender is missing."},
      {"a@example.com", "", EnumerationErrors::MissingEmailReceiverError,
       "The Receiver is missing."},
  };
  for (const auto& [from, to, number, text] : cases) {
    SCOPED_TRACE(from + "|" + to);
    const auto error = testing::ErrorOf([&] { utility_.SendEmail(from, to, "s", "b", "", ""); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ErrNumber(number));
    EXPECT_EQ(error->source(), "Utility");
    EXPECT_NE(error->description().find(text), std::string::npos);
  }
  const auto injected = testing::ErrorOf([&] {
    utility_.SendEmail("a@example.com", "b@example.com", "Hi\r\nBcc: c@example.com", "b", "", "");
  });
  ASSERT_TRUE(injected);
  EXPECT_EQ(injected->number(), mail::kErrMailInvalid);
  EXPECT_TRUE(mail_->Sent().empty());
}

TEST_P(UtilityEmailTest, AttachedFilesGoUnderTheirPlainNames) {
  testing::TempFolder folder;
  testing::WriteFile(folder / "7.xml", "<a/>");
  const auto missing = testing::ErrorOf([&] {
    utility_.SendEmail("a@example.com", "b@example.com", "s", "b", folder / "gone.html", "");
  });
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->number(), kErrFileNotFound);
  utility_.SendEmail("a@example.com", "b@example.com", "s", "b", "", folder / "7.xml");
  ASSERT_EQ(mail_->Sent().size(), 1u);
  ASSERT_EQ(mail_->Sent()[0].attachments.size(), 1u);
  EXPECT_EQ(mail_->Sent()[0].attachments[0].name, "7.xml");
  EXPECT_EQ(mail_->Sent()[0].attachments[0].content, "<a/>");
}

TEST_P(UtilityEmailTest, LinksKeepOneSeparatorAndEncodeBlanks) {
  // SiteLink, SiteLinkStartingPoint, getPagePath, getVelmoraPath
  const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases{
      {"http://h/portal", "doc.asp/", "http://h/portal/", "doc.asp"},
      {"http://h/", "doc\\\\", "http://h/", "doc\\"},
      {"http://h//", "doc", "http://h//", "doc"},
  };
  for (const auto& [site, start, page, path] : cases) {
    SCOPED_TRACE(site + " " + start);
    SetParameter("SiteLink", site);
    SetParameter("SiteLinkStartingPoint", start);
    EXPECT_EQ(utility_.getPagePath().ToText(), page);
    EXPECT_EQ(utility_.getVelmoraPath(), path);
  }
  EXPECT_EQ(utility_.getDocumentHyperlinkBySenderMode(5, " ORDER IN ", 1),
            "http://h//doc?DocID=5&DocTypeID=ORDER%20IN&SenderMode=1");
}

TEST_P(UtilityEmailTest, RecipientSubjectHeadBecomesTheSendersInMode0) {
  const std::string head = core::GetLabel("ZODAR1712");
  const std::string sender_subject =
      core::GetLabel("ZODAR5530") + ", " + core::GetLabel("ZODAR1907") + " 'Purchase orders'";
  EXPECT_EQ(utility_.GetSubject("1033", head, "ORDERS", 0), sender_subject);
  EXPECT_EQ(utility_.GetSubject("1033", "", "ORDERS", 0), sender_subject);
  EXPECT_EQ(utility_.GetSubject("1033", head, "ORDERS", 1), head);
  EXPECT_EQ(utility_.GetSubject("1033", "Mine", "ORDERS", 0), "Mine");
}

TEST_P(UtilityEmailTest, RecipientsShareOneHtmlFileAndAFailureIsLoggedPerRecipient) {
  testing::TempFolder xsl;
  testing::WriteFile(xsl / "orders.xsl",
                     "<xsl:stylesheet version=\"1.0\" "
                     "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
                     "match=\"/\"><html><b>order</b></html></xsl:template></xsl:stylesheet>");
  SetParameter("HTMLXSLPath", xsl.path());
  Exec("UPDATE DOCUMENTTYPE SET HTMLATTACHMENTXSL = 'orders.xsl' WHERE DOCUMENTTYPEID = 'ORDERS'");
  Exec("UPDATE DISTRIBUTIONLIST SET HTMLATTACHMENT = 1");
  mail_->Refuse("bob@example.com");
  const int32_t doc = Published({{"alice", 0}, {"bob", 0}, {"carol", 0}});
  utility_.SendEmailToRecipients(doc, "copies@example.com");

  EXPECT_EQ(Receivers(), (std::vector<std::string>{"alice@example.com", "carol@example.com",
                                                   "copies@example.com"}));
  const auto sent = mail_->Sent();
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_EQ(sent[i].attachments.size(), 1u);
    EXPECT_EQ(sent[i].attachments[0].name, std::to_string(doc) + ".html");
    EXPECT_EQ(sent[i].attachments[0].content, sent[0].attachments[0].content);
    EXPECT_NE(sent[i].body.find("doc%20page?DocID="), std::string::npos);
  }
  EXPECT_TRUE(sent[2].attachments.empty());
  EXPECT_EQ(sent[2].body.find("DocID="), std::string::npos);
  EXPECT_FALSE(
      std::filesystem::exists(core::TempFolderPath() + "/" + std::to_string(doc) + ".html"));
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].label, "ZODAR1817");
  EXPECT_EQ(errors[0].source, "Velmora.Utility.SendEmailToRecipients");
  EXPECT_NE(errors[0].description.find("Recipient: 'bob'"), std::string::npos);
}

TEST_P(UtilityEmailTest, HtmlAndXmlMailLinksOnlyDocumentsThatLeftStatusNew) {
  const int32_t fresh = AddDocument(testing::DocumentRow().Type("ORDERS").Status(0));
  const int32_t published = Published({});
  for (const auto& [doc, link] : {std::pair{fresh, false}, std::pair{published, true}}) {
    SCOPED_TRACE(doc);
    utility_.sendEmailByGettingHTMLAndXML("a@example.com", "b@example.com", "Body", "s",
                                          std::to_string(doc), Variant("ORDERS"), "<ORDER/>",
                                          "c@example.com", false, 0);
    const auto sent = mail_->Sent();
    const mail::Message& main = sent[sent.size() - 2];
    EXPECT_EQ(main.body.find("SenderMode=1") != std::string::npos, link) << main.body;
    ASSERT_EQ(main.attachments.size(), 1u);
    EXPECT_EQ(main.attachments[0].name, std::to_string(doc) + ".xml");
    EXPECT_EQ(sent.back().to, "c@example.com");
    EXPECT_EQ(sent.back().body, "Body");
    EXPECT_TRUE(sent.back().attachments.empty());
  }
}

TEST_P(UtilityEmailTest, AdministratorMailNeverRaises) {
  SetParameter("AdminEmailAddress", "admin@example.com");
  utility_.SendEmailToAdministrator("orders 7.xml");
  ASSERT_EQ(mail_->Sent().size(), 1u);
  EXPECT_NE(mail_->Sent()[0].body.find("'orders 7.xml'"), std::string::npos);
  mail_->FailNext(1);
  EXPECT_NO_THROW(utility_.SendEmailToAdministrator("x.xml"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UtilityEmailTest);

}  // namespace
}  // namespace velmora
