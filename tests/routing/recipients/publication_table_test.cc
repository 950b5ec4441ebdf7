#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/class_registry.h"
#include "automation/registration.h"
#include "recipients_fixture.h"
#include "support/expectations.h"
#include "velmora/base/dictionary.h"
#include "velmora/rules/rules.h"

namespace velmora {
namespace {

using automation::ArgumentFromText;
using automation::CallAndReply;
using testing::kQuotedUser;

class PublicationTableTest : public testing::RecipientsTest {
 protected:
  // The USERID column of `recipients`, in the order read.
  static std::vector<std::string> Users(db::Recordset& recipients) {
    std::vector<std::string> users;
    for (; !recipients.IsEOF(); recipients.MoveNext()) {
      users.push_back(recipients.Field("USERID").ToText());
    }
    return users;
  }

  void AddHistory(int32_t doc, const std::string& type, int32_t partner) {
    Exec(
        "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, DOCUMENTID, "
        "DOCUMENTTYPEID) VALUES (1, " +
        std::to_string(partner) + ", -1, " + std::to_string(doc) + ", " + core::SqlText(type) +
        ")");
  }
};

TEST_P(PublicationTableTest, ToRecipientListKeepsItsLineBreakAfterTheFirstAddress) {
  const int32_t doc = Order("<ORDER/>");
  EXPECT_EQ(utility_.GetToRecipientList(doc, "ORDERS"), "");
  AddPublication(doc, "alice");
  EXPECT_EQ(utility_.GetToRecipientList(doc, "ORDERS"), "alice@example.com;\r");
  AddPublication(doc, "bob");
  AddPublication(doc, "dave");
  AddPublication(doc, "carol", 2);
  EXPECT_EQ(utility_.GetToRecipientList(doc, "ORDERS"), "alice@example.com;\r\nbob@example.com");
  AddPublication(doc, kQuotedUser, 5);
  const std::string three = utility_.GetToRecipientList(doc, "ORDERS");
  EXPECT_EQ(three.size(), std::string("alice@example.com;\r\nbob@example.com;").size() +
                              std::string(kQuotedUser).size() + 12);
  EXPECT_EQ(three.find("\r\n"), three.rfind("\r\n"));
  EXPECT_EQ(three.find(';', three.find('\n')), three.rfind(';'));
}

TEST_P(PublicationTableTest, ToRecipientListLeavesOutUsersTheDirectoryDoesNotKnow) {
  const int32_t doc = Order("<ORDER/>");
  ListUser("ghost", 10);
  AddPublication(doc, "alice");
  AddPublication(doc, "ghost");
  AddPublication(doc, "bob");
  EXPECT_EQ(utility_.GetToRecipientList(doc, "ORDERS"), "alice@example.com;\r\nbob@example.com");
  EXPECT_TRUE(Logged("Velmora.Utility.GetAUEmailAddress"));
  const int32_t ghost_only = Order("<ORDER/>");
  AddPublication(ghost_only, "ghost");
  AddPublication(ghost_only, "carol");
  EXPECT_EQ(utility_.GetToRecipientList(ghost_only, "ORDERS"), "carol@example.com;\r");
}

TEST_P(PublicationTableTest, RecipientsByUsersNarrowsToTheCollection) {
  int32_t doc = Order("<ORDER/>");
  AddPublication(doc, "alice");
  AddPublication(doc, "bob");
  AddPublication(doc, kQuotedUser);
  AddPublication(doc, "carol", 7);
  std::string type = "ORDERS";
  bool email = true;
  auto users = std::make_shared<Dictionary>();
  users->Add("first", Variant(kQuotedUser));
  users->Add("second", Variant("carol"));
  Variant selection{ObjectRef(users)};
  auto rows = utility_.GetRecipientsFromPublicationTableByUsers(doc, type, email, selection);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(Users(*rows), (std::vector<std::string>{kQuotedUser}));
  EXPECT_TRUE((rows->FieldIndex("ATTACHMENTS") >= 0));
  EXPECT_FALSE((rows->FieldIndex("EMAIL") >= 0));

  Variant everybody;
  bool no_email = false;
  rows = utility_.GetRecipientsFromPublicationTableByUsers(doc, type, no_email, everybody);
  EXPECT_EQ(Users(*rows).size(), 3u);
  EXPECT_FALSE((rows->FieldIndex("ATTACHMENTS") >= 0));

  Variant nobody{ObjectRef(std::make_shared<Dictionary>())};
  rows = utility_.GetRecipientsFromPublicationTableByUsers(doc, type, email, nobody);
  EXPECT_TRUE(rows->IsEOF());
  EXPECT_TRUE((rows->FieldIndex("USERID") >= 0));

  Variant not_a_collection("alice");
  const Error failure = testing::RaisedBy([&] {
    utility_.GetRecipientsFromPublicationTableByUsers(doc, type, email, not_a_collection);
  });
  EXPECT_TRUE(testing::Contains(failure.description(),
                                "Velmora.Utility.GetRecipientsFromPublicationTableByUsers"));
}

TEST_P(PublicationTableTest, StatusAndForwardOfAPublication) {
  int32_t doc = Order("<ORDER/>");
  AddPublication(doc, kQuotedUser, 6);
  Exec("UPDATE PUBLICATION SET FORWARD = 1");
  std::string quoted = kQuotedUser;
  std::string nobody = "nobody' OR '1'='1";
  EXPECT_EQ(utility_.GetPublicationStatus(doc, quoted), 6);
  EXPECT_EQ(utility_.GetForwardFlag(doc, quoted), 1);
  EXPECT_EQ(utility_.GetPublicationStatus(doc, nobody), -1);
  EXPECT_EQ(utility_.GetForwardFlag(doc, nobody), -1);
}

TEST_P(PublicationTableTest, StatusTextsAreTrimmedAndComparedExactly) {
  const std::vector<std::pair<std::string, PUBLICATIONSTATUS>> cases = {
      {" View ", PUBLICATIONSTATUS::PUBLICATIONVIEWED},
      {"NEW", PUBLICATIONSTATUS::PUBLICATIONNEW},
      {"accept", PUBLICATIONSTATUS::PUBLICATIONACC},
      {"REJECTED", PUBLICATIONSTATUS::PUBLICATIONREJECTED},
      {"DownLoaded", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"Download", PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED},
      {"NewDel", PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS},
      {"vIEW", PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS},
      {"DOWNLoad", PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS},
      {"", PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS},
      {"\tView", PUBLICATIONSTATUS::PUBLICATIONUNKNOWNSTATUS},
  };
  for (const auto& [input, expected] : cases) {
    std::string status = input;
    EXPECT_EQ(utility_.ConvertPublicationStatusFromStringToEnum(status), expected) << input;
  }
  std::string padded = "  Accepted  ";
  utility_.ConvertPublicationStatusFromStringToEnum(padded);
  EXPECT_EQ(padded, "Accepted");
}

TEST_P(PublicationTableTest, OnlyOpenPublicationErrorsCount) {
  const int32_t doc = Order("<ORDER/>");
  EXPECT_FALSE(utility_.CheckPublicationErrors(doc));
  AddPublicationError(doc, "ZODAR0008", 1);
  AddPublicationError(doc, "ZODAR0008", 4);
  EXPECT_FALSE(utility_.CheckPublicationErrors(doc));
  AddPublicationError(doc, "ZODAR0008", 0);
  EXPECT_TRUE(utility_.CheckPublicationErrors(doc));
}

TEST_P(PublicationTableTest, SentLogMatchesTypeAndPartnerOrTheSender) {
  const int32_t mine = AddDocument(testing::DocumentRow().Type("ORDERS").Sender("O'Neil"));
  const int32_t other = AddDocument(testing::DocumentRow().Type("ORDERS").Sender("zed"));
  AddHistory(other, "ORDERS", 10);
  EXPECT_TRUE(utility_.CheckSentLog("ORDERS", "nobody", 10));
  EXPECT_FALSE(utility_.CheckSentLog("ORDERS", "nobody", 20));
  EXPECT_FALSE(utility_.CheckSentLog("ORDERS", " O'Neil ", 20));
  AddHistory(mine, "INVOICE", 20);
  EXPECT_TRUE(utility_.CheckSentLog("ORDERS", " O'Neil ", 30));
  EXPECT_TRUE(utility_.CheckSentLog("ORDERS", " O'Neil ", 30, mine));
  EXPECT_FALSE(utility_.CheckSentLog("ORDERS", " O'Neil ", 30, other));
  EXPECT_TRUE(utility_.CheckSentLog("ORDERS", "nobody", 10, other));
  EXPECT_FALSE(utility_.CheckSentLog("ORDERS' OR '1'='1", "x' OR '1'='1", 10));
}

TEST_P(PublicationTableTest, DocumentTypeLookups) {
  Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID) VALUES ('IN''V')");
  std::string orders = "ORDERS";
  std::string quoted = "IN'V";
  std::string unknown = "ORDERS' OR '1'='1";
  EXPECT_TRUE(utility_.DocTypeFoundInTable(orders));
  EXPECT_TRUE(utility_.DocTypeFoundInTable(quoted));
  EXPECT_FALSE(utility_.DocTypeFoundInTable(unknown));
  EXPECT_EQ(utility_.GetDocumentTypeDescription(orders), "Purchase orders");
  EXPECT_EQ(utility_.GetDocumentTypeDescription(quoted), "");
  EXPECT_EQ(utility_.GetDocumentTypeDescription(unknown), "");
}

TEST_P(PublicationTableTest, DocumentTypeFromObiElementOrRule) {
  Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID) VALUES ('INVOICE')");
  Rules rules;
  std::string description = "invoices";
  int16_t rule_type = 2;
  std::string assigned = "INVOICE";
  std::string method;
  int32_t sequence = 1;
  std::string logic = "AND";
  int32_t every_partner = -1;
  bool enabled = true;
  int32_t rule = rules.AddRule(description, rule_type, assigned, method, sequence, logic,
                               every_partner, enabled);
  int32_t string_field = 1;
  int32_t tag_value = 1;
  int32_t exactly = 1;
  std::string kind = "KIND";
  std::string invoice = "inv";
  rules.AddRuleLine(rule, string_field, sequence, tag_value, kind, exactly, invoice);
  std::string unknown_type = "WIDGETS";
  rules.AddRule(description, rule_type, unknown_type, method, sequence, logic, every_partner,
                enabled);

  int32_t partner = 10;
  std::string named = "<O><DOCTYPE-ID>ORDERS</DOCTYPE-ID><KIND>inv</KIND></O>";
  EXPECT_EQ(utility_.GetDocType(named, partner), "ORDERS");
  std::string ruled = "<O><DOCTYPE-ID>NOSUCH</DOCTYPE-ID><KIND>inv</KIND></O>";
  EXPECT_EQ(utility_.GetDocType(ruled, partner), "INVOICE");
  std::string unmatched = "<O><KIND>other</KIND></O>";
  EXPECT_EQ(utility_.GetDocType(unmatched, partner), "");
  std::string obi = "<OBIORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID></OBIORDER>";
  EXPECT_EQ(utility_.GetDocType(obi, partner), "OBIORDER");
  std::string not_xml = "<O>";
  EXPECT_EQ(utility_.GetDocType(not_xml, partner), "");
}

TEST_P(PublicationTableTest, CallsThroughTheAutomationLayer) {
  automation::RegisterAllClasses();
  core::ScopedComponent obi(
      "Velmora.OBI", [calls = obi_calls_] { return std::make_shared<testing::FakeObi>(calls); });
  const int32_t doc = Order("<ORDER><RECEIVER>bob</RECEIVER></ORDER>");
  const auto reply =
      CallAndReply("Velmora.Utility", "GetRecipientsAndFillPublicationTable", {Variant(doc)});
  EXPECT_EQ(reply.json, "{\"result\":1,\"args\":[" + std::to_string(doc) + "]}");
  EXPECT_EQ(
      CallAndReply("Velmora.Utility", "GetPublicationStatus", {Variant(doc), Variant("bob")}).json,
      "{\"result\":0,\"args\":[" + std::to_string(doc) + ",\"bob\"]}");
  EXPECT_EQ(CallAndReply("Velmora.Utility", "ConvertPublicationStatusFromStringToEnum",
                         {ArgumentFromText("\" view \"")})
                .json,
            R"({"result":5,"args":["view"]})");
  EXPECT_EQ(
      CallAndReply("Velmora.Utility", "FillPublicationTable", {Variant(doc), Variant("ORDERS")})
          .json,
      "{\"result\":3,\"args\":[" + std::to_string(doc) + ",\"ORDERS\"]}");
  EXPECT_EQ(
      CallAndReply("Velmora.Utility", "GetToRecipientList", {Variant(doc), Variant("NOSUCH")}).json,
      "{\"result\":\"\",\"args\":[" + std::to_string(doc) + ",\"NOSUCH\"]}");
  const auto failed = CallAndReply("Velmora.Utility", "GetRecipientsFromPublicationTableByUsers",
                                   {Variant(doc), Variant("ORDERS"), Variant(false), Variant(7)});
  EXPECT_TRUE(failed.failed);
}

// The registered Velmora.OBI class reached through the automation layer, in place of the
// fixture's fake.
class RegisteredObi : public core::Dispatch {
 public:
  std::string TypeName() const override { return "RegisteredObi"; }
  bool HasMethod(const std::string& method) const override {
    return automation::ClassRegistry::Global().Find("Velmora.OBI")->Find(method) != nullptr;
  }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    return automation::ClassRegistry::Global().Call("Velmora.OBI", method, args);
  }
};

TEST_P(PublicationTableTest, TheRegisteredObiClassNamesTheReceiverAndTheType) {
  automation::RegisterAllClasses();
  core::ScopedComponent obi("Velmora.OBI", [] { return std::make_shared<RegisteredObi>(); });
  const std::string xml =
      "<OBIORDER version=\"3.0\"><Envelope><Receiver><PartnerName>carol</PartnerName>"
      "</Receiver></Envelope><RECEIVER>alice</RECEIVER></OBIORDER>";
  const int32_t doc = Order(xml);
  EXPECT_EQ(Resolve(doc), 1);
  EXPECT_EQ(Recipients(doc), (std::vector<std::string>{"carol"}));
  std::string text = xml;
  int32_t partner = 0;
  EXPECT_EQ(utility_.GetDocType(text, partner), "OBIORDER");
  std::string plain = "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID></ORDER>";
  EXPECT_EQ(utility_.GetDocType(plain, partner), "ORDERS");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PublicationTableTest);

}  // namespace
}  // namespace velmora
