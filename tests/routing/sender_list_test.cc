#include "velmora/routing/sender_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "automation/registration.h"
#include "core/sql_literals.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

// A type and a user with quotes, blanks and non-ASCII letters.
constexpr const char* kOddType = "INV'ÖX \"1\"";
constexpr const char* kOddUser = "O'Conner Ü";

// The sender list on a seeded database: alice sends ORDERS with notification and attachments;
// kOddUser sends kOddType with the HTML attachment only; bob sends ORDERS without any flag.
// Type ORDERS has the HTML style sheet "orders'ü.xsl".
class SenderListTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    AddSender("ORDERS", "alice", 1, 1, 0);
    AddSender(kOddType, kOddUser, 0, 0, 1);
    AddSender("ORDERS", "bob", 0, 0, 0);
    Exec(
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION, HTMLATTACHMENTXSL) VALUES "
        "('ORDERS', 'Orders', 'orders''ü.xsl')");
  }

  void AddSender(const std::string& type, const std::string& user, int notification,
                 int attachments, int html) {
    Exec(
        "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, NOTIFICATION, "
        "ATTACHMENTS, HTMLATTACHMENT) VALUES (" +
        core::SqlText(type) + ", " + core::SqlText(user) + ", 10, " + std::to_string(notification) +
        ", " + std::to_string(attachments) + ", " + std::to_string(html) + ")");
  }

  SenderList list_;
};

TEST_P(SenderListTest, AuthorisesOnlySendersOnTheTypesList) {
  std::string orders = "ORDERS";
  std::string alice = "alice";
  std::string carol = "carol";
  std::string odd_type = kOddType;
  std::string odd_user = kOddUser;
  EXPECT_TRUE(list_.CheckAuthorizationForSender(orders, alice));
  EXPECT_FALSE(list_.CheckAuthorizationForSender(orders, carol));
  EXPECT_TRUE(list_.CheckAuthorizationForSender(odd_type, odd_user));
  EXPECT_FALSE(list_.CheckAuthorizationForSender(orders, odd_user));
  std::string injection = "x' OR '1'='1";
  EXPECT_FALSE(list_.CheckAuthorizationForSender(orders, injection));
  std::string upper = "ALICE";
  EXPECT_FALSE(list_.CheckAuthorizationForSender(orders, upper));
}

TEST_P(SenderListTest, ReadsTheThreeFlags) {
  bool notification = false;
  bool attachments = false;
  bool html = true;
  EXPECT_TRUE(list_.GetNotification3("ORDERS", "alice", notification, attachments, html));
  EXPECT_TRUE(notification);
  EXPECT_TRUE(attachments);
  EXPECT_FALSE(html);
  EXPECT_FALSE(list_.GetNotification3(kOddType, kOddUser, notification, attachments, html));
  EXPECT_FALSE(notification);
  EXPECT_FALSE(attachments);
  EXPECT_TRUE(html);
}

TEST_P(SenderListTest, NoRowOrEmptyArgumentsClearTheFlags) {
  for (auto [type, user] :
       {std::pair<std::string, std::string>{"ORDERS", "carol"}, {"", "alice"}, {"ORDERS", ""}}) {
    SCOPED_TRACE(type + "/" + user);
    bool notification = true;
    bool attachments = true;
    bool html = true;
    EXPECT_FALSE(list_.GetNotification3(type, user, notification, attachments, html));
    EXPECT_FALSE(notification);
    EXPECT_FALSE(attachments);
    EXPECT_FALSE(html);
  }
}

TEST_P(SenderListTest, SingleFlagOperations) {
  std::string orders = "ORDERS";
  std::string alice = "alice";
  std::string bob = "bob";
  std::string odd_type = kOddType;
  std::string odd_user = kOddUser;
  EXPECT_TRUE(list_.GetNotification(orders, alice));
  EXPECT_FALSE(list_.GetNotification(orders, bob));
  EXPECT_TRUE(list_.GetAttachments(orders, alice));
  EXPECT_FALSE(list_.GetAttachments(odd_type, odd_user));
  EXPECT_FALSE(list_.GetDocumentAsAttachment(orders, alice));
  EXPECT_TRUE(list_.GetDocumentAsAttachment(odd_type, odd_user));
  std::string empty;
  EXPECT_FALSE(list_.GetAttachments(orders, empty));
  EXPECT_FALSE(list_.GetDocumentAsAttachment(empty, odd_user));
}

TEST_P(SenderListTest, NotificationWithTheTypesStyleSheetName) {
  bool notification = false;
  bool attachments = false;
  bool html = true;
  std::string style_sheet = "stale";
  EXPECT_EQ(list_.GetNotification2("ORDERS", "alice", notification, attachments, html, style_sheet),
            Variant(true));
  EXPECT_EQ(style_sheet, "orders'ü.xsl");
  EXPECT_TRUE(attachments);
  EXPECT_FALSE(html);
  // A type without a style sheet row gives "".
  EXPECT_EQ(
      list_.GetNotification2(kOddType, kOddUser, notification, attachments, html, style_sheet),
      Variant(false));
  EXPECT_EQ(style_sheet, "");
  EXPECT_TRUE(html);
}

TEST_P(SenderListTest, DatabaseFailuresAreReportedWithTheOperationsPath) {
  Exec("DROP TABLE SENDERLIST");
  std::string orders = "ORDERS";
  std::string alice = "alice";
  EXPECT_TRUE(testing::Contains(
      testing::RaisedBy([&] { list_.CheckAuthorizationForSender(orders, alice); }).description(),
      "METHOD: Velmora.SenderList.CheckAuthorizationForSender caught:"));
  const Error chained = testing::RaisedBy([&] { list_.GetNotification(orders, alice); });
  EXPECT_TRUE(testing::Contains(chained.description(),
                                "METHOD: Velmora.SenderList.GetNotification caught:"));
  EXPECT_TRUE(testing::Contains(chained.description(),
                                "METHOD: Velmora.SenderList.GetNotification3 caught:"));
  EXPECT_TRUE(testing::Contains(
      testing::RaisedBy([&] { list_.GetAttachments(orders, alice); }).description(),
      "METHOD: Velmora.SenderList.GetAttachments caught:"));
  EXPECT_TRUE(testing::Contains(
      testing::RaisedBy([&] { list_.GetDocumentAsAttachment(orders, alice); }).description(),
      "METHOD: Velmora.SenderList.GetDocumentAsAttachment caught:"));
}

TEST_P(SenderListTest, WritesOutputsBackThroughTheAutomationLayer) {
  automation::RegisterAllClasses();
  auto& registry = automation::ClassRegistry::Global();
  std::vector<Variant> args{Variant("ORDERS"), Variant("alice"), Variant(),
                            Variant(),         Variant(),        Variant()};
  EXPECT_EQ(registry.Call("Velmora.SenderList", "GetNotification2", args), Variant(true));
  EXPECT_EQ(args[2], Variant(true));
  EXPECT_EQ(args[3], Variant(true));
  EXPECT_EQ(args[4], Variant(false));
  EXPECT_EQ(args[5], Variant("orders'ü.xsl"));
  std::vector<Variant> check{Variant(kOddType), Variant(kOddUser)};
  EXPECT_EQ(registry.Call("Velmora.SenderList", "CheckAuthorizationForSender", check),
            Variant(true));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(SenderListTest);

}  // namespace
}  // namespace velmora
