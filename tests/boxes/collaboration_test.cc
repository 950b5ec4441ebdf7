#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "boxes/collaboration_rows.h"
#include "core/components.h"
#include "platform/host/configuration.h"
#include "support/expectations.h"
#include "support/temp_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

using testing::Contains;
using testing::kOddUser;
using testing::RaisedBy;

constexpr int32_t kInvalidParamValue = ErrNumber(EnumerationErrors::InvalidParamValue);

class CollaborationTest : public testing::CollaborationDbTest {};

// ---- publication statuses ----

TEST_P(CollaborationTest, DeletingKeepsTheLiveStateInItsDeletedTwin) {
  for (auto [live, deleted] : {std::pair{0, 2}, {1, 3}, {4, 7}, {5, 8}, {6, 9}}) {
    SCOPED_TRACE(live);
    const int32_t doc = Published("ORDERS", "sam", {{"rita", live}});
    collaboration_.SetPublicationStatus(doc, "rita", 2);
    EXPECT_EQ(StoredStatus(doc, "rita"), deleted);
  }
}

TEST_P(CollaborationTest, DeletingAnAlreadyDeletedPublicationStoresTheRequest) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 3}});
  collaboration_.SetPublicationStatus(doc, "rita", 2);
  EXPECT_EQ(StoredStatus(doc, "rita"), 2);
}

TEST_P(CollaborationTest, ViewingADownloadedPublicationWritesNothing) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 6}, {"otto", 0}});
  collaboration_.SetPublicationStatus(doc, "rita", 5);
  EXPECT_EQ(StoredStatus(doc, "rita"), 6);
  collaboration_.SetPublicationStatus(doc, "otto", 5);
  collaboration_.SetPublicationStatus(doc, "otto", 6);
  EXPECT_EQ(StoredStatus(doc, "otto"), 6);
  collaboration_.SetPublicationStatus(doc, "otto", 0);
  EXPECT_EQ(StoredStatus(doc, "otto"), 6);
  collaboration_.SetPublicationStatus(doc, "otto", 4);
  EXPECT_EQ(StoredStatus(doc, "otto"), 4);
  collaboration_.SetPublicationStatus(doc, "otto", 6);
  EXPECT_EQ(StoredStatus(doc, "otto"), 4);
}

TEST_P(CollaborationTest, AnErrorIdChangesOnlyTheLinkedErrorWhateverStatusIsAsked) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 5}, {"otto", 0}});
  collaboration_.SetPublicationStatus(doc, "rita", 1, 77);
  EXPECT_EQ(StoredStatus(doc, "rita"), 5);
  EXPECT_EQ(Count("SELECT PUBLICATIONERRORID FROM PUBLICATION WHERE USERID = 'rita'"), 77);
  EXPECT_TRUE(Scalar("SELECT PUBLICATIONERRORID FROM PUBLICATION WHERE USERID = 'otto'").IsNull());
}

TEST_P(CollaborationTest, StatusesOutsideTheEnumerationAreRefusedAndNothingChanges) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 5}});
  for (int32_t status : {-1, 10, 255}) {
    SCOPED_TRACE(status);
    const Error error = RaisedBy([&] { collaboration_.SetPublicationStatus(doc, "rita", status); });
    EXPECT_EQ(error.number(), kInvalidParamValue);
    EXPECT_TRUE(Contains(error.description(), "Velmora.Collaboration.SetPublicationStatus"));
  }
  EXPECT_EQ(StoredStatus(doc, "rita"), 5);
}

TEST_P(CollaborationTest, StatusOfAMissingPublicationIsMinusOneAndSettingItAddsNoRow) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 0}});
  EXPECT_EQ(collaboration_.GetPublicationStatus(doc, "nobody"), -1);
  EXPECT_EQ(collaboration_.GetPublicationStatus(doc, "Rita"), -1);
  collaboration_.SetPublicationStatus(doc, "nobody", 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION"), 1);
  EXPECT_EQ(collaboration_.GetPublicationStatus(doc, "rita"), 0);
}

TEST_P(CollaborationTest, UserIdsWithQuotesAndNonAsciiLettersReachOnlyTheirPublication) {
  const int32_t doc = Published("ORDERS", "sam", {{kOddUser, 0}, {"O", 0}});
  collaboration_.SetPublicationStatus(doc, kOddUser, 6);
  EXPECT_EQ(collaboration_.GetPublicationStatus(doc, kOddUser), 6);
  EXPECT_EQ(StoredStatus(doc, "O"), 0);
  collaboration_.AcceptPublication(doc, kOddUser);
  EXPECT_EQ(StoredStatus(doc, kOddUser), 1);
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 3);
}

// ---- accepting ----

TEST_P(CollaborationTest, AcceptingWhenEveryOtherRecipientAcceptedAcceptsTheDocument) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 5}, {"otto", 1}, {"eve", 3}});
  collaboration_.AcceptPublication(doc, "rita");
  EXPECT_EQ(StoredStatus(doc, "rita"), 1);
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 2);
}

TEST_P(CollaborationTest, AcceptingWhileAnotherRecipientOnlyViewedIsPartial) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 0}, {"otto", 1}, {"eve", 5}});
  collaboration_.AcceptPublication(doc, "rita");
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 3);
  collaboration_.AcceptPublication(doc, "eve");
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 2);
}

TEST_P(CollaborationTest, AcceptingASoleOrDeletedDocumentFollowsTheDocumentRules) {
  const int32_t alone = Published("ORDERS", "sam", {{"rita", 0}});
  collaboration_.AcceptPublication(alone, "rita");
  EXPECT_EQ(Column(alone, "STATUS").ToInt32(), 2);
  const int32_t deleted = Published("ORDERS", "sam", {{"rita", 0}}, 4);
  collaboration_.AcceptPublication(deleted, "rita");
  EXPECT_EQ(StoredStatus(deleted, "rita"), 1);
  EXPECT_EQ(Column(deleted, "STATUS").ToInt32(), 4);
}

TEST_P(CollaborationTest, OnlyRecipientsAcceptAndOnlyTheSenderDeletesForEveryone) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 0}});
  for (const std::string& user : {std::string("mallory"), std::string("Rita")}) {
    SCOPED_TRACE(user);
    EXPECT_EQ(RaisedBy([&] { collaboration_.AcceptPublication(doc, user); }).number(),
              ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_EQ(RaisedBy([&] {
                collaboration_.deleteDocument2(doc, "", SENDERMODE::SENDERMODE, user, "");
              }).number(),
              ErrNumber(EnumerationErrors::InvalidParamValue));
  }
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 1);
  EXPECT_EQ(StoredStatus(doc, "rita"), 0);
}

// ---- deleting per mode ----

TEST_P(CollaborationTest, DeletingAsSenderDeletesTheDocument) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 1}});
  EXPECT_TRUE(collaboration_.deleteDocument2(doc, "", SENDERMODE::SENDERMODE, "sam", ""));
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 4);
  EXPECT_EQ(StoredStatus(doc, "rita"), 1);
}

TEST_P(CollaborationTest, DeletingFromTheOtherBoxesDeletesTheUsersPublicationOnly) {
  for (SENDERMODE mode :
       {SENDERMODE::RECEIVERMODE, SENDERMODE::ERRORMODE, SENDERMODE::CHANGEDOCTYPEMODE}) {
    SCOPED_TRACE(static_cast<int>(mode));
    const int32_t doc = Published("ORDERS", "sam", {{"rita", 1}, {"otto", 6}});
    EXPECT_TRUE(collaboration_.deleteDocument2(doc, "ORDERS", mode, "rita", "C:\\x"));
    EXPECT_EQ(StoredStatus(doc, "rita"), 3);
    EXPECT_EQ(StoredStatus(doc, "otto"), 6);
    EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 1);
  }
}

TEST_P(CollaborationTest, DeletingInUploadModeOrAnUnknownModeChangesNothing) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 0}});
  EXPECT_FALSE(collaboration_.deleteDocument2(doc, "", SENDERMODE::UPLOADMODE, "sam", ""));
  EXPECT_FALSE(collaboration_.deleteDocument2(doc, "", static_cast<SENDERMODE>(9), "rita", ""));
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 1);
  EXPECT_EQ(StoredStatus(doc, "rita"), 0);
}

TEST_P(CollaborationTest, DeletingAChildDocumentActsForTheRecipientAndTheExactSender) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 5}, {"sam", 1}});
  EXPECT_TRUE(collaboration_.deleteDocument2(doc, "", SENDERMODE::UPLOADMODE, "rita", "", true));
  EXPECT_EQ(StoredStatus(doc, "rita"), 8);
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 1);
  EXPECT_TRUE(collaboration_.deleteDocument2(doc, "", SENDERMODE::SENDERMODE, "Sam", "", true));
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 1);
  EXPECT_TRUE(collaboration_.deleteDocument2(doc, "", SENDERMODE::RECEIVERMODE, "sam", "", true));
  EXPECT_EQ(StoredStatus(doc, "sam"), 3);
  EXPECT_EQ(Column(doc, "STATUS").ToInt32(), 4);
}

// ---- publication errors ----

TEST_P(CollaborationTest, ClosingKeepsTheRemovedBitsAndLeavesClosedErrorsAlone) {
  const int32_t doc = Published("ORDERS", "sam", {});
  for (int16_t closed : {0, 2, 4, 6}) {
    SCOPED_TRACE(closed);
    const int32_t error = AddPublicationError(doc, "ZODAR1000", closed);
    collaboration_.ClosePublicationErrors(error);
    EXPECT_EQ(Closed(error), closed | 1);
  }
  const int32_t already = AddPublicationError(doc, "ZODAR1000", 3);
  const int32_t other = AddPublicationError(doc, "ZODAR1000", 0);
  collaboration_.ClosePublicationErrors(already);
  EXPECT_EQ(Closed(already), 3);
  EXPECT_EQ(Closed(other), 0);
}

TEST_P(CollaborationTest, ClosingWithADocumentIdClosesOnlyAnErrorOfThatDocument) {
  const int32_t doc = Published("ORDERS", "sam", {});
  const int32_t error = AddPublicationError(doc, "ZODAR1000", 4);
  collaboration_.ClosePublicationErrors(error, doc + 1);
  EXPECT_EQ(Closed(error), 4);
  collaboration_.ClosePublicationErrors(error, doc);
  EXPECT_EQ(Closed(error), 5);
}

TEST_P(CollaborationTest, CategoriesCloseTheirLabelsInAnyLetterCase) {
  const int32_t doc = Published("ORDERS", "sam", {});
  const int32_t cannot = AddPublicationError(doc, "ZODAR4478", 2);
  const int32_t select = AddPublicationError(doc, "ZODAR4476", 0);
  const int32_t unrelated = AddPublicationError(doc, "ZODAR1000", 0);
  collaboration_.ClosePublicationErrorsForOneCategory(doc, "selectRECIPIENTS");
  EXPECT_EQ(Closed(cannot), 2);
  EXPECT_EQ(Closed(select), 1);
  collaboration_.ClosePublicationErrorsForOneCategory(doc, "CANNOTPUBLISH");
  EXPECT_EQ(Closed(cannot), 3);
  EXPECT_EQ(Closed(unrelated), 0);
}

TEST_P(CollaborationTest, AnUnknownCategoryIsRefusedWithTheCategoryAsPassed) {
  const int32_t doc = Published("ORDERS", "sam", {});
  const int32_t error = AddPublicationError(doc, "ZODAR0008", 0);
  const Error refused =
      RaisedBy([&] { collaboration_.ClosePublicationErrorsForOneCategory(doc, "Other'Cat"); });
  EXPECT_EQ(refused.number(), kInvalidParamValue);
  EXPECT_TRUE(Contains(refused.description(), "Not supported Category : Other'Cat"));
  EXPECT_EQ(Closed(error), 0);
}

TEST_P(CollaborationTest, RemovingAnErrorHidesItFromTheBoxesOfTheUsersRoles) {
  const int32_t doc = Published("ORDERS", "sam", {{"rita", 0}, {"sam", 0}, {"gone", 2}});
  struct Case {
    const char* user;
    int16_t before;
    int16_t after;
  };
  for (const Case& c : {Case{"rita", 1, 5}, Case{"sam", 0, 6}, Case{"stranger", 1, 1},
                        Case{"gone", 0, 0}, Case{"Sam", 0, 4}}) {
    SCOPED_TRACE(c.user);
    const int32_t error = AddPublicationError(doc, "ZODAR1000", c.before);
    if (std::string(c.user) == "Sam") {
      AddListEntry("ORDERS", "Sam");
      AddPublication(doc, "Sam", 0);
    }
    collaboration_.SetPublicationErrorStatusToRemoved(doc, c.user, error);
    EXPECT_EQ(Closed(error), c.after);
  }
  collaboration_.SetPublicationErrorStatusToRemoved(doc, "sam", 999999);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID = 999999"), 0);
}

TEST_P(CollaborationTest, DeletingErrorsRemovesOnlyThoseOfTheDocument) {
  const int32_t doc = Published("ORDERS", "sam", {});
  const int32_t other = Published("ORDERS", "sam", {});
  AddPublicationError(doc, "ZODAR1000", 0);
  AddPublicationError(doc, "ZODAR1001", 7);
  AddPublicationError(other, "ZODAR1000", 0);
  collaboration_.DeletePublicationErrors(doc);
  EXPECT_EQ(
      Count("SELECT COUNT(*) FROM PUBLICATIONERRORS WHERE DOCUMENTID = " + std::to_string(doc)), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATIONERRORS"), 1);
}

// ---- counting new inbox documents ----

TEST_P(CollaborationTest, CountsOnlyNewPublicationsOfShownPublishedDocumentsOfTheType) {
  Published("ORDERS", "sam", {{kOddUser, 0}, {"rita", 0}});
  Published("ORDERS", "sam", {{kOddUser, 0}}, 5);
  Published("ORDERS", "sam", {{kOddUser, 5}});
  Published("ORDERS", "sam", {{kOddUser, 2}});
  Published("ORDERS", "sam", {{kOddUser, 0}}, 0);
  Published("INVOICE", "sam", {{kOddUser, 0}});
  const int32_t hidden = Published("ORDERS", "sam", {{kOddUser, 0}});
  Exec("UPDATE DOCUMENT SET SHOW = 0 WHERE DOCUMENTID = " + std::to_string(hidden));
  EXPECT_EQ(collaboration_.countNewDocumentsForInbox("ORDERS", kOddUser), 2);
  EXPECT_EQ(collaboration_.countNewDocumentsForInbox("ORDERS", "rita"), 1);
  EXPECT_EQ(collaboration_.countNewDocumentsForInbox("orders", kOddUser), 0);
  EXPECT_EQ(collaboration_.countNewDocumentsForInbox("ORDERS", "nobody"), 0);
}

TEST_P(CollaborationTest, TheNewDocumentsCountIsShownOnlyWhenConfiguredToOne) {
  const std::string path = Home() + "/config/R2AVidodeConfiguration.xml";
  const std::string original = testing::ReadFile(path);
  const auto with_setting = [&](const std::string& value) {
    std::string content = original;
    content.insert(content.find("</section>"),
                   "<key name=\"ShowCountNewDocuments\">" + value + "</key>");
    testing::WriteFile(path, content);
    return collaboration_.showCountOfNewDocumentsInInbox();
  };
  EXPECT_FALSE(collaboration_.showCountOfNewDocumentsInInbox());
  EXPECT_TRUE(with_setting("1"));
  EXPECT_FALSE(with_setting("0"));
  EXPECT_FALSE(with_setting("yes"));
  testing::WriteFile(path, original);
}

TEST_P(CollaborationTest, AnUnreadableConfigurationIsLoggedAndAnswersFalse) {
  class BrokenConfiguration : public host::Configuration {
   public:
    void LoadFile(const std::string& file) override {
      throw Error(kErrFileNotFound, "Tarvex.Configuration", "cannot read " + file);
    }
    Variant GetValue(const std::string&, const std::string&) override { return Variant(1); }
    std::string GetConnectionString(const std::string&) override { return ""; }
    std::vector<host::ProductInfo> GetProductInfo(const std::string&) override { return {}; }
    int32_t GetApplicationID(const std::string&) override { return 0; }
  };
  core::ScopedComponent broken("Tarvex.Configuration",
                               [] { return std::make_shared<BrokenConfiguration>(); });
  EXPECT_FALSE(collaboration_.showCountOfNewDocumentsInInbox());
  EXPECT_TRUE(Logged("Velmora.Collaboration.showCountOfNewDocumentsInInbox"));
}

// ---- the dictionary of document types ----

TEST_P(CollaborationTest, DocumentTypesComeTrimmedInTheOrderAsked) {
  AddType("ORDERS ", " Orders ");
  AddType("INVOICE", "Zinvoice");
  AddType("DESADV", "Advice");
  AddType("RECADV", "Advice");
  const auto keys = [](const std::shared_ptr<Dictionary>& types) {
    return text::Join(types->Keys(), ",");
  };
  EXPECT_EQ(
      keys(collaboration_.getAllDocumentTypes(Variant("DESCRIPTION DESC, DOCUMENTTYPEID DESC"))),
      "INVOICE,RECADV,DESADV,ORDERS");
  EXPECT_EQ(keys(collaboration_.getAllDocumentTypes(
                Variant(" iconfilename , documenttype.DocumentTypeId asc"))),
            "DESADV,INVOICE,ORDERS,RECADV");
  Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID) VALUES ('NODESC')");
  const auto types = collaboration_.getAllDocumentTypes(Variant("DOCUMENTTYPEID"));
  EXPECT_EQ(types->Item("ORDERS").ToText(), "Orders");
  EXPECT_TRUE(types->Item("NODESC").IsNull());
  for (const Variant& none : {Variant(), Variant::MakeNull(), Variant("")}) {
    EXPECT_EQ(collaboration_.getAllDocumentTypes(none)->Count(), 5u);
  }
}

TEST_P(CollaborationTest, OrdersThatAreNotColumnsOfDocumentTypeAreRefused) {
  AddType("ORDERS", "Orders");
  for (const char* order : {"DESCRIPTION; DELETE FROM DOCUMENTTYPE", "DESCRIPTION DESC LIMIT 1",
                            "1", "SENDER", "(SELECT 1)", "DESCRIPTION,", "DESCRIPTION DESCENDING",
                            "DOCUMENT.DESCRIPTION", " ", "DESCRIPTION -- x", "DESCRIPTION\tDESC"}) {
    SCOPED_TRACE(order);
    const Error refused = RaisedBy([&] { collaboration_.getAllDocumentTypes(Variant(order)); });
    EXPECT_EQ(refused.number(), kInvalidParamValue);
    EXPECT_TRUE(Contains(refused.description(), "Velmora.getAllDocumentTypes"));
    EXPECT_TRUE(Contains(refused.description(), "is refused"));
  }
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCUMENTTYPE"), 1);
}

TEST_P(CollaborationTest, TwoTypesOfTheSameTrimmedIdFailOnTheSecond) {
  AddType("ORDERS", "Orders");
  AddType("ORDERS ", "Orders again");
  const Error duplicate = RaisedBy([&] { collaboration_.getAllDocumentTypes(); });
  EXPECT_EQ(duplicate.number(), kErrKeyAlreadyExists);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(CollaborationTest);

}  // namespace
}  // namespace velmora
