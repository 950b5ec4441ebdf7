#include "document/publication_readers.h"

#include <gtest/gtest.h>

#include <set>

#include "document/document_rows.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/routing/utility.h"

namespace velmora::document {
namespace {

using testing::DocumentRow;
using testing::ErrorOf;

constexpr const char* kQuotedType = "OR'DERS – Ü";

class PublicationReadersTest : public testing::DocumentDbTest {
 protected:
  void SetUpDatabase() override {
    DocumentDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION, HTMLATTACHMENTXSL) VALUES (" +
         core::SqlText(kQuotedType) + ", 'Orders', 'orders.xsl')");
    doc_ = AddDocument(DocumentRow().Type(kQuotedType).Status(1).Sender("sam"));
    AddListEntry(kQuotedType, "anna", 1);
    AddListEntry(kQuotedType, "bob's", 0);
    AddListEntry(kQuotedType, "gone", 1);
    AddListEntry("INVOICE", "ivan", 1);
    AddPublication(doc_, "anna");
    AddPublication(doc_, "bob's", 6);
    AddPublication(doc_, "gone", 8);
    AddPublication(doc_, "ivan");
  }

  static std::vector<std::string> Columns(db::Recordset& recordset) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < recordset.FieldCount(); ++i) {
      names.push_back(text::ToUpper(recordset.FieldName(i)));
    }
    return names;
  }
  static std::set<std::string> Users(db::Recordset& recordset) {
    std::set<std::string> users;
    for (; !recordset.IsEOF(); recordset.MoveNext()) {
      users.insert(recordset.Field("USERID").ToText());
    }
    return users;
  }

  int32_t doc_ = 0;
};

TEST_P(PublicationReadersTest, RecipientsAreTheLivePublicationsOnTheTypesList) {
  auto recipients = GetRecipientsFromPublicationTable(doc_, kQuotedType, false);
  ASSERT_NE(recipients, nullptr);
  EXPECT_FALSE(recipients->IsConnected());
  EXPECT_EQ(Columns(*recipients),
            (std::vector<std::string>{"EMAIL", "HTMLATTACHMENTXSL", "USERID", "HTMLATTACHMENT"}));
  EXPECT_EQ(recipients->Field("HTMLATTACHMENTXSL").ToText(), "orders.xsl");
  EXPECT_EQ(Users(*recipients), (std::set<std::string>{"anna", "bob's"}));
}

TEST_P(PublicationReadersTest, TheMailFlagKeepsUsersWhoAskForMail) {
  auto recipients = GetRecipientsFromPublicationTable(doc_, kQuotedType, true);
  ASSERT_NE(recipients, nullptr);
  EXPECT_EQ(Columns(*recipients), (std::vector<std::string>{"EMAIL", "HTMLATTACHMENTXSL", "USERID",
                                                            "HTMLATTACHMENT", "ATTACHMENTS"}));
  EXPECT_EQ(Users(*recipients), (std::set<std::string>{"anna"}));
}

TEST_P(PublicationReadersTest, AnotherTypeOrDocumentGivesAnEmptyRecordset) {
  for (const auto& [doc, type] : {std::pair<int32_t, std::string>{doc_, "ORDERS"},
                                  {doc_, "' OR '1'='1"},
                                  {doc_ + 1, kQuotedType}}) {
    SCOPED_TRACE(type);
    auto recipients = GetRecipientsFromPublicationTable(doc, type, false);
    ASSERT_NE(recipients, nullptr);
    EXPECT_TRUE(recipients->IsEOF());
  }
}

TEST_P(PublicationReadersTest, TheUtilityMethodReadsTheSameRows) {
  int32_t doc = doc_;
  std::string type = kQuotedType;
  bool email = true;
  auto recipients = Utility().GetRecipientsFromPublicationTable(doc, type, email);
  ASSERT_NE(recipients, nullptr);
  EXPECT_EQ(Users(*recipients), (std::set<std::string>{"anna"}));
  EXPECT_EQ(type, kQuotedType);
  Exec("DROP TABLE DISTRIBUTIONLIST");
  const auto raised =
      ErrorOf([&] { Utility().GetRecipientsFromPublicationTable(doc, type, email); });
  ASSERT_TRUE(raised);
  EXPECT_EQ(
      raised->description().find("\r\nMETHOD: Velmora.Utility.GetRecipientsFromPublicationTable"),
      0u);
}

TEST_P(PublicationReadersTest, CannotPublishClosesItsLabelsInAnyLetterCase) {
  const int32_t open = AddPublicationError(doc_, "ZODAR4480");
  const int32_t select_only = AddPublicationError(doc_, "ZODAR4476", 4);
  const int32_t unrelated = AddPublicationError(doc_, "ZODAR1812");
  ClosePublicationErrorsForOneCategory(doc_, "cAnNoTpUbLiSh");
  const auto closed = [&](int32_t id) {
    return Count("SELECT CLOSED FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                 std::to_string(id));
  };
  EXPECT_EQ(closed(open), 1);
  EXPECT_EQ(closed(select_only), 5);
  EXPECT_EQ(closed(unrelated), 0);
}

TEST_P(PublicationReadersTest, SelectRecipientsClosesTwoLabels) {
  const int32_t unresolved = AddPublicationError(doc_, "ZODAR0008", 2);
  const int32_t code = AddPublicationError(doc_, "ZODAR4476");
  const int32_t number = AddPublicationError(doc_, "ZODAR4475");
  ClosePublicationErrorsForOneCategory(doc_, "SelectRecipients");
  const auto closed = [&](int32_t id) {
    return Count("SELECT CLOSED FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                 std::to_string(id));
  };
  EXPECT_EQ(closed(unresolved), 3);
  EXPECT_EQ(closed(code), 1);
  EXPECT_EQ(closed(number), 0);
}

TEST_P(PublicationReadersTest, OtherCategoriesAreRefused) {
  const int32_t open = AddPublicationError(doc_, "ZODAR0008");
  for (const char* category : {"", "Cannot Publish", "x' OR '1'='1", "Größe"}) {
    SCOPED_TRACE(category);
    const auto raised = ErrorOf([&] { ClosePublicationErrorsForOneCategory(doc_, category); });
    ASSERT_TRUE(raised);
    EXPECT_EQ(raised->number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_EQ(raised->source(), "Velmora.Collaboration.ClosePublicationErrorsForOneCategory");
    EXPECT_NE(raised->description().find(std::string("Not supported Category : ") + category),
              std::string::npos);
  }
  EXPECT_EQ(Count("SELECT CLOSED FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = " +
                  std::to_string(open)),
            0);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PublicationReadersTest);

// The published texts of the recipient queries, as the mail and notification code and the
// portals' own logs know them.
TEST(PublicationRecipientsSqlTest, KeepsThePublishedTexts) {
  const std::string from =
      "FROM PUBLICATION INNER JOIN DISTRIBUTIONLIST ON PUBLICATION.USERID = "
      "DISTRIBUTIONLIST.USERID LEFT OUTER JOIN DOCUMENTTYPE ON DOCUMENTTYPE.DOCUMENTTYPEID = "
      "DISTRIBUTIONLIST.DOCUMENTTYPEID WHERE (PUBLICATION.DOCUMENTID = 7) AND "
      "(DISTRIBUTIONLIST.DOCUMENTTYPEID = 'OR''DERS') ";
  const std::string live = "AND (PUBLICATION.STATUS NOT IN (2,3,7,8,9) )";
  const std::string mail = "AND (DISTRIBUTIONLIST.EMAIL = 1) ";
  const std::string list = "PUBLICATION.USERID, DISTRIBUTIONLIST.HTMLATTACHMENT ";
  const std::string with_attachments =
      "PUBLICATION.USERID, DISTRIBUTIONLIST.HTMLATTACHMENT, DISTRIBUTIONLIST.ATTACHMENTS ";
  struct Case {
    bool email, email_column, trailing_blank;
    std::string expected;
  };
  const Case cases[] = {
      {false, true, false, "SELECT EMAIL, HTMLATTACHMENTXSL, " + list + from + live},
      {true, true, false,
       "SELECT EMAIL, HTMLATTACHMENTXSL, " + with_attachments + from + mail + live},
      {false, false, true, "SELECT HTMLATTACHMENTXSL, " + list + from + live + " "},
      {true, false, true,
       "SELECT HTMLATTACHMENTXSL, " + with_attachments + from + mail + live + " "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PublicationRecipientsSql(7, "OR'DERS", c.email, c.email_column, c.trailing_blank),
              c.expected);
  }
}

}  // namespace
}  // namespace velmora::document
