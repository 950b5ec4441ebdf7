#include "velmora/notify/notification.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "automation/call_service.h"
#include "notify/mail_fixture.h"

namespace velmora {
namespace {

class NotificationTest : public testing::MailTest {
 protected:
  Notification notification_;
};

TEST_P(NotificationTest, NotifiesRecipientsThenTheSenderWithTheirPlaceholders) {
  notification_.UpdateNotificationTemplate("-1", -1, 2, "Doc [%docid%]", "See [%INBOXLINK%]", false,
                                           false);
  const int32_t doc =
      Published({{"alice", 0}, {"bob", 0}, {"carol", 0}, {testing::kQuotedUser, 2}});
  notification_.SendNotifications(doc);

  EXPECT_EQ(Receivers(), (std::vector<std::string>{"alice@example.com", "bob@example.com",
                                                   "carol@example.com", "dave@example.com"}));
  const auto sent = mail_->Sent();
  EXPECT_EQ(sent[0].subject, "Doc " + std::to_string(doc));
  EXPECT_EQ(sent[0].body, "See http://portal.example.com/doc%20page?DocID=" + std::to_string(doc) +
                              "&DocTypeID=ORDERS&SenderMode=1");
  EXPECT_EQ(sent[3].from, "dave@example.com");
  EXPECT_NE(sent[3].body.find(
                "Notified recipients: alice@example.com; bob@example.com; carol@example.com\n"),
            std::string::npos)
      << sent[3].body;
}

TEST_P(NotificationTest, ARecipientWithoutTemplateIsLoggedAndTheNextOneServed) {
  notification_.DeleteNotificationTemplate("-1", -1, 2);
  notification_.AddNotificationTemplate("ORDERS", 20, 2, "For Brix", "Body", false, false);
  const int32_t doc = Published({{"alice", 0}, {"carol", 0}});
  notification_.SendNotifications(doc);

  EXPECT_EQ(Receivers(), (std::vector<std::string>{"carol@example.com", "dave@example.com"}));
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].label, "ZODAR6082");
  EXPECT_EQ(errors[0].number, ErrNumber(EnumerationErrors::DefaultTemplateNotFound));
  EXPECT_NE(errors[0].description.find("\r\nRecipient: 'alice'"), std::string::npos);
  EXPECT_EQ(mail_->Sent()[1].body.find("alice@"), std::string::npos);

  // Sent again once a template exists: the old error is closed, a resend with id 0 closes none.
  notification_.AddNotificationTemplate("-1", -1, 2, "Any", "Body", false, false);
  const int32_t error_id =
      Scalar("SELECT MAX(PUBLICATIONERRORID) FROM PUBLICATIONERRORS").ToInt32();
  notification_.ReSendNotification(doc, "ORDERS", error_id);
  EXPECT_EQ(Receivers().back(), "alice@example.com");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE CLOSED = 1"), 1);
  notification_.ReSendNotification(doc, "ORDERS", 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE CLOSED = 1"), 1);
}

TEST_P(NotificationTest, AFailedMailIsOnePublicationErrorAndDispatchGoesOn) {
  mail_->Refuse("bob@example.com");
  const int32_t doc = Published({{"alice", 0}, {"bob", 0}, {"carol", 0}});
  notification_.SendNotifications(doc);
  EXPECT_EQ(Receivers().size(), 3u);
  const auto errors = Errors(doc);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].number, mail::kErrMailNotSent);
  auto replacements = std::make_shared<Dictionary>();
  core::GetAllReplacementsFromTable(
      replacements, "PUBLICATIONERRORS",
      Scalar("SELECT MAX(PUBLICATIONERRORID) FROM PUBLICATIONERRORS").ToInt32());
  EXPECT_EQ(replacements->Item("[%USERID%]").ToText(), "bob");
  EXPECT_EQ(replacements->Item("[%EMAILADDRESS%]").ToText(), "bob@example.com");
}

TEST_P(NotificationTest, AHiddenDocumentNotifiesNobody) {
  const int32_t doc = AddDocument(testing::DocumentRow().Type("ORDERS").Sender("dave").Show(0));
  AddPublication(doc, "alice");
  notification_.SendNotifications(doc);
  EXPECT_TRUE(mail_->Sent().empty());
}

TEST_P(NotificationTest, CanAddTemplateCountsTheFreeModes) {
  notification_.AddNotificationTemplate("ORDERS", 10, 1, "s", "b", false, false);
  EXPECT_EQ(notification_.CanAddNotificationTemplate("ORDERS", 10), 2);
  notification_.AddNotificationTemplate("ORDERS", 10, 2, "s", "b", false, false);
  EXPECT_EQ(notification_.CanAddNotificationTemplate("ORDERS", 10), 0);
  EXPECT_EQ(notification_.CanAddNotificationTemplate("ORDERS", 20), 3);
  EXPECT_EQ(notification_.CanAddNotificationTemplate("-1", -2), 0);
  EXPECT_EQ(notification_.CanAddNotificationTemplate("ORDERS", -2), 2);
  const auto error = testing::ErrorOf(
      [&] { notification_.AddNotificationTemplate("NOPE", 10, 1, "s", "b", false, false); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number(), ErrNumber(EnumerationErrors::MissingDocumentTypeID));
}

TEST_P(NotificationTest, PlaceholdersAreCheckedPerPlaceModeAndPartner) {
  // subject?, template?, partner, mode, text, valid, codes
  const std::vector<std::tuple<bool, bool, int32_t, uint8_t, std::string, bool, std::string>> cases{
      {false, true, -1, 1, "[%TOLIST%]", true, ""},
      {false, true, -1, 2, "[%ToList%] [%DOCID%]", false, "'[%TOLIST%]'"},
      {false, true, -2, 2, "[%INBOXLINK%]", false, "'[%INBOXLINK%]'"},
      {false, true, 10, 2, "[%inboxlink%]", true, ""},
      {true, true, 10, 2, "[%DOCID%] [%DOCTYPE%]", true, ""},
      {true, true, 10, 1, "[%OUTBOXLINK%]", false, "'[%OUTBOXLINK%]'"},
      {true, false, 0, 0, "[%DOCID%]", false, "'[%DOCID%]'"},
      {false, false, 0, 0, "[%INBOXLINK%] [%doctype%]", false, "'[%INBOXLINK%]', '[%DOCTYPE%]'"},
  };
  for (const auto& [subject, is_template, partner, mode, text, valid, codes] : cases) {
    SCOPED_TRACE(text);
    std::string invalid = "stale";
    const bool answer =
        is_template ? (subject ? notification_.IsValidSubjectForNotificationTemplate(
                                     "ORDERS", partner, mode, text, invalid)
                               : notification_.IsValidBodyForNotificationTemplate(
                                     "ORDERS", partner, mode, text, invalid))
                    : (subject ? notification_.IsValidSubjectForNotificationEmail(text, invalid)
                               : notification_.IsValidBodyForNotificationEmail(text, invalid));
    EXPECT_EQ(answer, valid);
    EXPECT_EQ(invalid, codes);
  }
  EXPECT_FALSE(notification_.IsDefaultNotificationTemplate("-1", 7, 2));
  EXPECT_TRUE(notification_.IsDefaultNotificationTemplate("-1", -2, 1));
}

TEST_P(NotificationTest, ReachableThroughTheAutomationLayer) {
  const auto reply = automation::CallAndReply(
      "Velmora.Notification", "IsValidBodyForNotificationEmail", {Variant("[%DOCID%]"), Variant()});
  EXPECT_FALSE(reply.failed);
  EXPECT_EQ(reply.json, R"({"result":false,"args":["[%DOCID%]","'[%DOCID%]'"]})");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(NotificationTest);

}  // namespace
}  // namespace velmora
