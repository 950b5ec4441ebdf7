#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "boxes/collaboration_rows.h"
#include "platform/host/membership_database.h"
#include "support/expectations.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

using testing::Contains;
using testing::kOddUser;
using testing::RaisedBy;
using Table = std::vector<std::vector<std::string>>;

// The SQL texts Collaboration hands to the pages, run unchanged as a page runs them, on a
// database with documents of three types: ORDERS (tags "Number" then "Date"), INVOICE (no
// tags) and DESADV; partners 10 and 20 in the membership directory.
class CollaborationQueriesTest : public testing::CollaborationDbTest {
 protected:
  void SetUpDatabase() override {
    CollaborationDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    AddType("ORDERS", "Orders");
    AddType("INVOICE", "Invoice");
    AddType("DESADV", "Advice");
    number_ = AddTag("ORDERS", "Number", 1);
    date_ = AddTag("ORDERS", "Date", 2);
    AddPartnerListEntry("ORDERS", "rita", 20);
    AddPartnerListEntry("ORDERS", kOddUser, 10);
    order_ = AddDocument(testing::DocumentRow().Type("ORDERS").Sender("sam").Status(1));
    AddPublication(order_, "rita", 0);
    AddPublication(order_, kOddUser, 5);
    AddPublication(order_, "ghost", 1);
    AddTagValue(order_, number_, "N-1");
  }

  // The membership directory that the error-box type list asks for a user's partner.
  void AddDirectory() {
    testing::WriteFile(Home() + "/config/SiteConfiguration.xml",
                       "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">"
                       "svc</key><key name=\"MemScriptCode\">c0de</key></section>"
                       "<section name=\"GLOBAL\"><key name=\"IISVirtId\">/portal</key></section>"
                       "</configuration>");
    host::MembershipDatabase directory([this] { return Open(); });
    directory.InsertPartner({10, "Acme", "", ""});
    directory.InsertPartner({20, "Bolt", "", ""});
    for (const auto& [user, partner] :
         {std::pair<std::string, int32_t>{"rita", 20}, {"sam", 10}, {kOddUser, 10}}) {
      host::MemberRecord record;
      record.user_id = user;
      record.business_partner_id = partner;
      record.email_address = user + "@example.com";
      directory.InsertUser(record);
    }
  }

  // The rows without the column `skip` (a date whose text differs between engines).
  static Table Without(Table rows, size_t skip) {
    for (auto& row : rows) {
      row.erase(row.begin() + static_cast<std::ptrdiff_t>(skip));
    }
    return rows;
  }
  static Table Sorted(Table rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  int32_t number_ = 0;
  int32_t date_ = 0;
  int32_t order_ = 0;
};

TEST_P(CollaborationQueriesTest, RecipientDetailsListOnlyTheTagsThatHaveAValue) {
  EXPECT_EQ(Without(Rows(collaboration_.GetDocumentDetails2(1, order_, "rita")), 1),
            (Table{{"sam", "0", "0", "Orders", "N-1", "Number"}}));
  EXPECT_EQ(Without(Rows(collaboration_.GetDocumentDetails2(1, order_, kOddUser)), 1),
            (Table{{"sam", "5", "0", "Orders", "N-1", "Number"}}));
  EXPECT_TRUE(Rows(collaboration_.GetDocumentDetails2(1, order_, "sam")).empty());
  const int32_t untagged = Published("INVOICE", "sam", {{"rita", 6}});
  EXPECT_EQ(Without(Rows(collaboration_.GetDocumentDetails2(1, untagged, "rita")), 1),
            (Table{{"sam", "6", "0", "Invoice", "NULL", "NULL"}}));
  const int32_t unpublished = Published("INVOICE", "sam", {{"rita", 0}}, 0);
  EXPECT_TRUE(Rows(collaboration_.GetDocumentDetails2(1, unpublished, "rita")).empty());
}

TEST_P(CollaborationQueriesTest, SenderAndErrorDetailsListEveryConfiguredTagInSequence) {
  EXPECT_EQ(Without(Rows(collaboration_.GetDocumentDetails2(0, order_, "sam")), 0),
            (Table{{"1", "Orders", "N-1", "Number"}, {"1", "Orders", "NULL", "Date"}}));
  EXPECT_TRUE(Rows(collaboration_.GetDocumentDetails2(0, order_, "rita")).empty());
  EXPECT_EQ(
      Without(Rows(collaboration_.GetDocumentDetails2(2, order_, "anyone")), 1),
      (Table{{"sam", "1", "Orders", "N-1", "Number"}, {"sam", "1", "Orders", "NULL", "Date"}}));
  const int32_t deleted = Published("ORDERS", kOddUser, {}, 4);
  EXPECT_TRUE(Rows(collaboration_.GetDocumentDetails2(0, deleted, kOddUser)).empty());
  EXPECT_TRUE(Rows(collaboration_.GetDocumentDetails2(2, deleted, kOddUser)).empty());
  const int32_t own = Published("ORDERS", kOddUser, {}, 0);
  EXPECT_EQ(Rows(collaboration_.GetDocumentDetails2(0, own, kOddUser)).size(), 2u);
  EXPECT_EQ(collaboration_.GetDocumentDetails2(3, order_, "sam"), "");
  EXPECT_EQ(collaboration_.GetDocumentDetails2(-1, order_, "sam"), "");
}

TEST_P(CollaborationQueriesTest, AddresseeStatusesOfTheSender) {
  EXPECT_EQ(Rows(collaboration_.GetAddresseeStatusQueryStr(order_, "sam")),
            (Table{{"10", kOddUser, "5"}, {"20", "rita", "0"}}));
  EXPECT_TRUE(Rows(collaboration_.GetAddresseeStatusQueryStr(order_, "rita")).empty());
  EXPECT_EQ(Sorted(Rows(collaboration_.GetAddresseeStatusQueryStr2(order_, "sam"))),
            (Table{{kOddUser, "5"}, {"ghost", "1"}, {"rita", "0"}}));
  EXPECT_TRUE(Rows(collaboration_.GetAddresseeStatusQueryStr2(order_, "Sam")).empty());
}

TEST_P(CollaborationQueriesTest, AttachmentsOfTheDocumentWhoeverAsks) {
  AddAttachment(order_, "a.pdf");
  AddAttachment(order_, "Ü'b.txt");
  AddAttachment(order_ + 1, "other.pdf");
  const Table rows = Rows(collaboration_.GetDocumentAttachmentsQueryStr(false, order_, "x"));
  ASSERT_EQ(rows.size(), 2u);
  std::vector<std::string> names = {rows[0][0], rows[1][0]};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.pdf", "Ü'b.txt"}));
  EXPECT_EQ(collaboration_.GetDocumentAttachmentsQueryStr(true, order_, "sam"),
            collaboration_.GetDocumentAttachmentsQueryStr(false, order_, "x"));
}

TEST_P(CollaborationQueriesTest, OutBoxTypesAreThoseOfTheSendersDocumentsNotDeleted) {
  Published("DESADV", "sam", {}, 0);
  Published("DESADV", "sam", {}, 5);
  Published("INVOICE", "sam", {}, 4);
  Published("INVOICE", "Sam", {}, 1);
  EXPECT_EQ(Rows(collaboration_.GetDocumentTypeListQueryStr2(0, "sam")),
            (Table{{"Advice", "DESADV", "DESADV.gif", "Advice ext"},
                   {"Orders", "ORDERS", "ORDERS.gif", "Orders ext"}}));
  EXPECT_TRUE(Rows(collaboration_.GetDocumentTypeListQueryStr2(0, kOddUser)).empty());
}

TEST_P(CollaborationQueriesTest, InboxTypesAreThoseOfCurrentShownPublications) {
  Published("ORDERS", "sam", {{"rita", 1}});
  Published("INVOICE", "sam", {{"rita", 6}});
  for (int16_t removed : {2, 3, 7, 8, 9}) {
    Published("DESADV", "sam", {{"rita", removed}});
  }
  const int32_t hidden = Published("DESADV", "sam", {{"rita", 0}});
  Exec("UPDATE DOCUMENT SET SHOW = 0 WHERE DOCUMENTID = " + std::to_string(hidden));
  Published("DESADV", "sam", {{"rita", 0}}, 0);
  EXPECT_EQ(Rows(collaboration_.GetDocumentTypeListQueryStr2(1, "rita")),
            (Table{{"Invoice", "INVOICE", "INVOICE.gif", "Invoice ext"},
                   {"Orders", "ORDERS", "ORDERS.gif", "Orders ext"}}));
  EXPECT_EQ(Rows(collaboration_.GetDocumentTypeListQueryStr2(1, kOddUser)),
            (Table{{"Orders", "ORDERS", "ORDERS.gif", "Orders ext"}}));
}

TEST_P(CollaborationQueriesTest, ErrorBoxTypesFollowTheSenderAndRecipientBits) {
  AddDirectory();
  const int32_t for_rita = AddPublicationError(order_, "ZODAR1000", 0);
  AddHistory(order_, 20, for_rita);
  const int32_t hidden_from_sender = Published("INVOICE", "rita", {}, 1);
  AddPublicationError(hidden_from_sender, "ZODAR1000", 2);
  const int32_t closed_for_sender = Published("DESADV", "rita", {}, 1);
  AddPublicationError(closed_for_sender, "ZODAR1000", 5);
  EXPECT_EQ(Sorted(Rows(collaboration_.GetDocumentTypeListQueryStr2(2, "rita"))),
            (Table{{"Advice", "DESADV", "DESADV.gif", "Advice ext"},
                   {"Orders", "ORDERS", "ORDERS.gif", "Orders ext"}}));
  EXPECT_EQ(Rows(collaboration_.GetDocumentTypeListQueryStr2(2, "sam")),
            (Table{{"Orders", "ORDERS", "ORDERS.gif", "Orders ext"}}));
  // kOddUser is a recipient, but the failed delivery was meant for partner 20, not 10.
  EXPECT_TRUE(Rows(collaboration_.GetDocumentTypeListQueryStr2(2, kOddUser)).empty());
  Exec("UPDATE PUBLICATIONERRORS SET CLOSED = 4 WHERE PUBLICATIONERRORID = " +
       std::to_string(for_rita));
  EXPECT_EQ(Rows(collaboration_.GetDocumentTypeListQueryStr2(2, "rita")),
            (Table{{"Advice", "DESADV", "DESADV.gif", "Advice ext"}}));
}

TEST_P(CollaborationQueriesTest, ErrorBoxTypesOfAnUnknownUserAreReportedAndOtherModesAreEmpty) {
  AddDirectory();
  const Error error = RaisedBy([&] { collaboration_.GetDocumentTypeListQueryStr2(2, "nobody"); });
  EXPECT_TRUE(Contains(error.description(), "Collaboration.GetDocumentTypeListQueryStr2"));
  EXPECT_EQ(collaboration_.GetDocumentTypeListQueryStr2(3, "rita"), "");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(CollaborationQueriesTest);

}  // namespace
}  // namespace velmora
