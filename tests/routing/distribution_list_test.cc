#include "velmora/routing/distribution_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "automation/registration.h"
#include "core/components.h"
#include "core/sql_literals.h"
#include "platform/host/log.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"
#include "velmora/host/referential_integrity.h"

namespace velmora {
namespace {

// A type and a user with quotes, blanks and non-ASCII letters.
constexpr const char* kOddType = "INV'ÖX \"1\"";
constexpr const char* kOddUser = "O'Conner Ü";

// The distribution list on a seeded database: type ORDERS with alice (partner 10) and a row of
// partner 0 (user "zero"), type kOddType with kOddUser (partner 20).
class DistributionListTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    AddListRow("ORDERS", "alice", 10);
    AddListRow("ORDERS", "zero", 0);
    AddListRow(kOddType, kOddUser, 20);
  }

  void AddListRow(const std::string& type, const std::string& user, int32_t partner) {
    Exec(
        "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, EMAIL) "
        "VALUES (" +
        core::SqlText(type) + ", " + core::SqlText(user) + ", " + core::SqlLong(partner) + ", 1)");
  }

  int64_t ListRows(const std::string& type) {
    return Scalar("SELECT COUNT(*) FROM DISTRIBUTIONLIST WHERE DOCUMENTTYPEID = " +
                  core::SqlText(type))
        .ToInt64();
  }

  static VariantArray Array(std::vector<Variant> items) {
    VariantArray array(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
      array.At(static_cast<int32_t>(i)) = items[i];
    }
    return array;
  }

  bool Exists(const std::string& origin, std::vector<Variant> keys, std::vector<Variant> values) {
    return list_.Exists(Variant(origin), Array(std::move(keys)), Array(std::move(values)));
  }

  DistributionList list_;
};

TEST_P(DistributionListTest, FindsUsersOnATypesList) {
  std::string orders = "ORDERS";
  std::string alice = "alice";
  std::string bob = "bob";
  EXPECT_TRUE(list_.UserFoundOnDBList(orders, alice));
  EXPECT_FALSE(list_.UserFoundOnDBList(orders, bob));
  std::string odd_type = kOddType;
  std::string odd_user = kOddUser;
  EXPECT_TRUE(list_.UserFoundOnDBList(odd_type, odd_user));
  EXPECT_FALSE(list_.UserFoundOnDBList(orders, odd_user));
  std::string quote = "alice' OR '1'='1";
  EXPECT_FALSE(list_.UserFoundOnDBList(orders, quote));
}

TEST_P(DistributionListTest, EmptyUserOrTypeIsFalseWithoutAQuery) {
  Exec("DROP TABLE DISTRIBUTIONLIST");
  std::string empty;
  std::string orders = "ORDERS";
  std::string alice = "alice";
  int32_t partner = 10;
  EXPECT_FALSE(list_.UserFoundOnDBList(orders, empty));
  EXPECT_FALSE(list_.UserFoundOnDBList(empty, alice));
  EXPECT_FALSE(list_.BPFoundOnDBList(empty, partner));
  EXPECT_FALSE(list_.AnyBPFoundOnDBList(empty));
  // With the guard passed the missing table is a raised failure.
  const Error failure = testing::RaisedBy([&] { list_.UserFoundOnDBList(orders, alice); });
  EXPECT_TRUE(testing::Contains(failure.description(),
                                "METHOD: Velmora.DistributionList.UserFoundOnDBList"));
  EXPECT_TRUE(testing::Contains(
      testing::RaisedBy([&] { list_.BPFoundOnDBList(orders, partner); }).description(),
      "METHOD: Velmora.DistributionList.BPFoundOnDBList"));
  EXPECT_TRUE(
      testing::Contains(testing::RaisedBy([&] { list_.AnyBPFoundOnDBList(orders); }).description(),
                        "METHOD: Velmora.DistributionList.AnyBPFoundOnDBList"));
  EXPECT_TRUE(
      testing::Contains(testing::RaisedBy([&] { list_.RemoveBPsFromDBList(orders); }).description(),
                        "METHOD: Velmora.DtributionList.RemoveBPsFromDBList"));
}

TEST_P(DistributionListTest, FindsPartnersButNeverPartnerZero) {
  std::string orders = "ORDERS";
  int32_t acme = 10;
  int32_t other = 20;
  int32_t zero = 0;
  EXPECT_TRUE(list_.BPFoundOnDBList(orders, acme));
  EXPECT_FALSE(list_.BPFoundOnDBList(orders, other));
  // A row of partner 0 exists, yet partner 0 is never looked up.
  EXPECT_FALSE(list_.BPFoundOnDBList(orders, zero));
  std::string odd_type = kOddType;
  EXPECT_TRUE(list_.BPFoundOnDBList(odd_type, other));
}

TEST_P(DistributionListTest, AnyPartnerOnAList) {
  std::string orders = "ORDERS";
  std::string odd_type = kOddType;
  std::string none = "NONE'Ä";
  EXPECT_TRUE(list_.AnyBPFoundOnDBList(orders));
  EXPECT_TRUE(list_.AnyBPFoundOnDBList(odd_type));
  EXPECT_FALSE(list_.AnyBPFoundOnDBList(none));
}

TEST_P(DistributionListTest, RemovesOnlyTheTypesList) {
  std::string injection = "X') OR ('1'='1";
  list_.RemoveBPsFromDBList(injection);
  EXPECT_EQ(ListRows("ORDERS"), 2);
  std::string odd_type = kOddType;
  list_.RemoveBPsFromDBList(odd_type);
  EXPECT_EQ(ListRows(kOddType), 0);
  EXPECT_EQ(ListRows("ORDERS"), 2);
}

TEST_P(DistributionListTest, PartnerIsReferredToByEachTable) {
  const std::vector<std::string> references = {
      "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) "
      "VALUES ('T', 'u', 30)",
      "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES ('T', 'u', 30)",
      "INSERT INTO RECEIVEMETHOD (BUSINESSPARTNERID, DOCUMENTTYPEID) VALUES (30, 'T')",
      "INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID) "
      "VALUES (1, 30, 'T')",
      "INSERT INTO RULEHEADER (RULETYPE, ORIGINALID) VALUES (2, 30)",
      "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, DOCUMENTID) "
      "VALUES (1, 30, -1, 1)",
      "INSERT INTO NOTIFICATIONTEMPLATE (DOCUMENTTYPEID, BUSINESSPARTNERID, MODE) "
      "VALUES ('T', 30, 1)",
      "INSERT INTO NOTIFICATIONEMAIL (BUSINESSPARTNERID, DOCUMENTID, MODE) VALUES (30, 1, 1)",
  };
  const std::vector<std::string> tables = {
      "DISTRIBUTIONLIST", "SENDERLIST",        "RECEIVEMETHOD",        "SENDMETHOD",
      "RULEHEADER",       "SENDMETHODHISTORY", "NOTIFICATIONTEMPLATE", "NOTIFICATIONEMAIL"};
  for (size_t i = 0; i < references.size(); ++i) {
    SCOPED_TRACE(tables[i]);
    EXPECT_FALSE(Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant(30)}));
    Exec(references[i]);
    EXPECT_TRUE(Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant(30)}));
    Exec("DELETE FROM " + tables[i]);
  }
}

TEST_P(DistributionListTest, OnlyDocumentTypeRulesReferToAPartner) {
  Exec("INSERT INTO RULEHEADER (RULETYPE, ORIGINALID) VALUES (1, 40)");
  Exec("INSERT INTO RULEHEADER (RULETYPE, ORIGINALID) VALUES (3, 40)");
  EXPECT_FALSE(Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant(40)}));
  Exec("INSERT INTO RULEHEADER (RULETYPE, ORIGINALID) VALUES (2, 40)");
  EXPECT_TRUE(Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant("40")}));
}

TEST_P(DistributionListTest, PartnerChecksEveryPartnerKey) {
  EXPECT_TRUE(Exists("BUSINESSPARTNER",
                     {Variant("BUSINESSPARTNERID"), Variant("BUSINESSPARTNERID")},
                     {Variant(99), Variant(10)}));
  EXPECT_FALSE(Exists("BUSINESSPARTNER", {Variant("NAME"), Variant("BUSINESSPARTNERID")},
                      {Variant(10), Variant(99)}));
}

TEST_P(DistributionListTest, MissingExpectedKeyRefusesTheDelete) {
  EXPECT_TRUE(Exists("BUSINESSPARTNER", {Variant("PARTNERID")}, {Variant(99)}));
  EXPECT_TRUE(Exists("USER", {Variant("userid")}, {Variant("nobody")}));
  EXPECT_TRUE(Exists("DOCUMENTTYPE", {}, {}));
}

TEST_P(DistributionListTest, UserReferencesAndOriginCase) {
  EXPECT_TRUE(Exists("user", {Variant("USERID")}, {Variant(kOddUser)}));
  EXPECT_TRUE(Exists("User", {Variant("USERID")}, {Variant("alice")}));
  EXPECT_FALSE(Exists("USER", {Variant("USERID")}, {Variant("carol'ü")}));
  Exec("INSERT INTO PUBLICATION (DOCUMENTID, USERID) VALUES (1, 'carol''ü')");
  EXPECT_TRUE(Exists("USER", {Variant("USERID")}, {Variant("carol'ü")}));
  Exec("DELETE FROM PUBLICATION");
  Exec(
      "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) "
      "VALUES ('T', 'carol''ü', 1)");
  EXPECT_TRUE(Exists("USER", {Variant("USERID")}, {Variant("carol'ü")}));
  Exec("DELETE FROM SENDERLIST");
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, SENDER) VALUES ('T', 'carol''ü')");
  EXPECT_TRUE(Exists("USER", {Variant("USERID")}, {Variant("carol'ü")}));
}

TEST_P(DistributionListTest, UserLinksToTypesAndPartners) {
  EXPECT_TRUE(Exists("USER_DOCUMENTTYPE", {Variant("DOCUMENTTYPEID"), Variant("USERID")},
                     {Variant(kOddType), Variant(kOddUser)}));
  EXPECT_FALSE(Exists("user_documenttype", {Variant("USERID"), Variant("DOCUMENTTYPEID")},
                      {Variant("alice"), Variant(kOddType)}));
  EXPECT_TRUE(Exists("USER_BUSINESSPARTNER", {Variant("USERID"), Variant("BUSINESSPARTNERID")},
                     {Variant("alice"), Variant(10)}));
  EXPECT_FALSE(Exists("USER_BUSINESSPARTNER", {Variant("USERID"), Variant("BUSINESSPARTNERID")},
                      {Variant("alice"), Variant(20)}));
  // The last USERID key wins.
  EXPECT_TRUE(Exists("USER_BUSINESSPARTNER",
                     {Variant("USERID"), Variant("USERID"), Variant("BUSINESSPARTNERID")},
                     {Variant("alice"), Variant(kOddUser), Variant(20)}));
}

TEST_P(DistributionListTest, DocumentTypeReferencesAndOtherOrigins) {
  EXPECT_TRUE(Exists("DOCUMENTTYPE", {Variant("DOCUMENTTYPEID")}, {Variant(kOddType)}));
  EXPECT_FALSE(Exists("DOCUMENTTYPE", {Variant("DOCUMENTTYPEID")}, {Variant("orders")}));
  EXPECT_FALSE(Exists("APPLICATION", {Variant("DOCUMENTTYPEID")}, {Variant("ORDERS")}));
  EXPECT_FALSE(Exists("", {}, {}));
}

TEST_P(DistributionListTest, BeforeDeleteAlwaysAllows) {
  for (const char* origin : {"BUSINESSPARTNER", "USER", "anything"}) {
    EXPECT_TRUE(
        list_.BeforeDelete(Variant(origin), Array({Variant("USERID")}), Array({Variant("alice")})));
  }
}

TEST_P(DistributionListTest, FailedCheckIsRaisedWithItsPathAndLogged) {
  const Error bad_number = testing::RaisedBy(
      [&] { Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant("ten")}); });
  EXPECT_EQ(bad_number.number(), kErrTypeMismatch);
  EXPECT_TRUE(testing::Contains(bad_number.description(),
                                " / Velmora.DistributionList.IReferentialIntegrity_Exists()"));

  // Without a USERID key the condition is not valid SQL: both levels add their suffix and log.
  const size_t logged = log_->entries().size();
  const Error bad_sql = testing::RaisedBy(
      [&] { Exists("USER_DOCUMENTTYPE", {Variant("DOCUMENTTYPEID")}, {Variant("ORDERS")}); });
  EXPECT_NE(bad_sql.number(), 0);
  const std::string check_suffix =
      " / Velmora.DistributionList.CheckExistenceUsingSQL(SELECT USERID FROM DISTRIBUTIONLIST "
      "WHERE AND DOCUMENTTYPEID = 'ORDERS')";
  const std::string exists_suffix = " / Velmora.DistributionList.IReferentialIntegrity_Exists()";
  EXPECT_TRUE(testing::Contains(bad_sql.description(), check_suffix + exists_suffix));
  const auto entries = log_->entries();
  ASSERT_EQ(entries.size(), logged + 2);
  EXPECT_TRUE(testing::Contains(entries[logged].text, check_suffix));
  EXPECT_FALSE(testing::Contains(entries[logged].text, exists_suffix));
  EXPECT_TRUE(testing::Contains(entries[logged + 1].text, check_suffix + exists_suffix));
  EXPECT_EQ(entries[logged + 1].source, bad_sql.source());

  Exec("DROP TABLE SENDERLIST");
  const Error missing_table = testing::RaisedBy(
      [&] { Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant(77)}); });
  EXPECT_TRUE(
      testing::Contains(missing_table.description(),
                        "CheckExistenceUsingSQL(SELECT BUSINESSPARTNERID FROM SENDERLIST WHERE "
                        "BUSINESSPARTNERID = 77)"));
}

TEST_P(DistributionListTest, AFailingLogDoesNotReplaceTheCheckFailure) {
  // A log whose every write fails.
  class BrokenLog : public host::Log {
   public:
    void WriteErrorEntry(const std::string&, const std::string&, int32_t, const Variant&) override {
      throw Error(kErrPermissionDenied, "Tarvex.Log", "the log cannot be written");
    }
    void WriteNoticeEntry(const std::string&, const std::string&, int32_t,
                          const Variant&) override {
      throw Error(kErrPermissionDenied, "Tarvex.Log", "the log cannot be written");
    }
  };
  core::ScopedComponent broken("Tarvex.Log", [] { return std::make_shared<BrokenLog>(); });
  const Error failure = testing::RaisedBy(
      [&] { Exists("BUSINESSPARTNER", {Variant("BUSINESSPARTNERID")}, {Variant("ten")}); });
  EXPECT_EQ(failure.number(), kErrTypeMismatch);
  EXPECT_TRUE(testing::Contains(failure.description(),
                                " / Velmora.DistributionList.IReferentialIntegrity_Exists()"));
}

TEST_P(DistributionListTest, AnswersTheHostThroughTheAutomationLayer) {
  automation::RegisterAllClasses();
  auto& registry = automation::ClassRegistry::Global();
  std::vector<Variant> args{Variant("ORDERS"), Variant(int32_t{0})};
  EXPECT_EQ(registry.Call("Velmora.DistributionList", "BPFoundOnDBList", args), Variant(false));
  args = {Variant("ORDERS"), Variant(int32_t{10})};
  EXPECT_EQ(registry.Call("Velmora.DistributionList", "BPFoundOnDBList", args), Variant(true));
  args = {Variant("user"), Variant(Array({Variant("USERID")})), Variant(Array({Variant("bob")}))};
  EXPECT_EQ(registry.Call("Velmora.DistributionList", "Exists", args), Variant(false));

  const auto& host = host::ReferentialIntegrityRegistry::Global();
  EXPECT_EQ(host.RefusalToDelete("BUSINESSPARTNER", "BUSINESSPARTNERID", Variant(20)),
            std::optional<std::string>("still referred to by Velmora.DistributionList"));
  EXPECT_NE(host.RefusalToDelete("BUSINESSPARTNER", "BUSINESSPARTNERID", Variant(21)),
            std::optional<std::string>("still referred to by Velmora.DistributionList"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DistributionListTest);

}  // namespace
}  // namespace velmora
