#include <gtest/gtest.h>

#include "document/document_rows.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

using testing::DocumentRow;

constexpr const char* kQuotedUser = "O'Brien Ü";

class DocumentAccessTest : public testing::DocumentDbTest {
 protected:
  // A document of type ORDERS sent by "sam" with `status`, published to anna and kQuotedUser,
  // both on the type's list.
  int32_t Published(int16_t status, std::optional<int32_t> parent = std::nullopt) {
    const int32_t doc =
        AddDocument(DocumentRow().Type("ORDERS").Status(status).Sender("sam").Parent(parent));
    AddPublication(doc, "anna");
    AddPublication(doc, kQuotedUser);
    return doc;
  }

  void SetUpDatabase() override {
    DocumentDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    AddListEntry("ORDERS", "anna");
    AddListEntry("ORDERS", kQuotedUser);
    AddListEntry("INVOICE", "ivan");
  }

  Document document_;
};

TEST_P(DocumentAccessTest, TheSenderIsComparedExactly) {
  const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Sender(kQuotedUser));
  EXPECT_TRUE(document_.UserIsSenderOfDocument(doc, kQuotedUser));
  EXPECT_FALSE(document_.UserIsSenderOfDocument(doc, "o'brien ü"));
  EXPECT_FALSE(document_.UserIsSenderOfDocument(doc, "O'Brien Ü "));
  EXPECT_FALSE(document_.UserIsSenderOfDocument(doc, "' OR ''='"));
  EXPECT_FALSE(document_.UserIsSenderOfDocument(99999, kQuotedUser));
}

TEST_P(DocumentAccessTest, RecipientsHoldALivePublicationAndStandOnTheList) {
  const int32_t doc = Published(1);
  EXPECT_TRUE(document_.UserIsRecipientOfDoc(doc, "anna"));
  EXPECT_TRUE(document_.UserIsRecipientOfDoc(doc, kQuotedUser));
  EXPECT_FALSE(document_.UserIsRecipientOfDoc(doc, "ANNA"));
  EXPECT_FALSE(document_.UserIsRecipientOfDoc(doc, "sam"));
  EXPECT_FALSE(document_.UserIsRecipientOfDoc(doc, "' OR '1'='1"));
  // A publication for a user who is on another type's list only does not count.
  AddPublication(doc, "ivan");
  EXPECT_FALSE(document_.UserIsRecipientOfDoc(doc, "ivan"));
  EXPECT_FALSE(document_.UserIsRecipientOfDoc(4711, "anna"));
}

TEST_P(DocumentAccessTest, RemovedPublicationsDoNotMakeARecipient) {
  AddListEntry("ORDERS", "rita");
  for (int16_t status = 0; status <= 9; ++status) {
    SCOPED_TRACE(status);
    const int32_t doc = AddDocument(DocumentRow().Type("ORDERS").Status(1).Sender("sam"));
    AddPublication(doc, "rita", status);
    const bool removed = status == 2 || status == 3 || status >= 7;
    EXPECT_EQ(document_.UserIsRecipientOfDoc(doc, "rita"), !removed);
  }
}

TEST_P(DocumentAccessTest, AnUntypedDocumentHasNoRecipientsAndNoVisibleChild) {
  const int32_t doc = AddDocument(DocumentRow().Status(1).Sender("sam"));
  AddPublication(doc, "anna");
  EXPECT_FALSE(document_.UserIsRecipientOfDoc(doc, "anna"));
  EXPECT_FALSE(document_.IsValidChildDoc(doc, "sam", SENDERMODE::SENDERMODE));
  EXPECT_FALSE(document_.IsValidChildDoc(doc, "anna", SENDERMODE::RECEIVERMODE));
}

TEST_P(DocumentAccessTest, ANewDocumentIsVisibleToItsSenderOnly) {
  const int32_t doc = Published(0);
  EXPECT_TRUE(document_.IsValidChildDoc(doc, "sam", SENDERMODE::SENDERMODE));
  EXPECT_FALSE(document_.IsValidChildDoc(doc, "anna", SENDERMODE::RECEIVERMODE));
  EXPECT_FALSE(document_.IsValidChildDoc(doc, kQuotedUser, SENDERMODE::RECEIVERMODE));
}

TEST_P(DocumentAccessTest, ALiveDocumentIsVisibleToSenderAndRecipients) {
  for (int16_t status : {1, 2, 3, 5}) {
    SCOPED_TRACE(status);
    const int32_t doc = Published(status);
    EXPECT_TRUE(document_.IsValidChildDoc(doc, "sam", SENDERMODE::SENDERMODE));
    EXPECT_TRUE(document_.IsValidChildDoc(doc, "anna", SENDERMODE::RECEIVERMODE));
    EXPECT_TRUE(document_.IsValidChildDoc(doc, kQuotedUser, SENDERMODE::ERRORMODE));
    EXPECT_FALSE(document_.IsValidChildDoc(doc, "stranger", SENDERMODE::RECEIVERMODE));
    EXPECT_FALSE(document_.IsValidChildDoc(doc, "SAM", SENDERMODE::SENDERMODE));
  }
}

TEST_P(DocumentAccessTest, ADeletedDocumentIsVisibleToRecipientsOnly) {
  const int32_t doc = Published(4);
  EXPECT_FALSE(document_.IsValidChildDoc(doc, "sam", SENDERMODE::SENDERMODE));
  EXPECT_TRUE(document_.IsValidChildDoc(doc, "anna", SENDERMODE::RECEIVERMODE));
  // A sender who is also a recipient still sees it.
  AddListEntry("ORDERS", "sam");
  AddPublication(doc, "sam");
  EXPECT_TRUE(document_.IsValidChildDoc(doc, "sam", SENDERMODE::SENDERMODE));
}

TEST_P(DocumentAccessTest, AParentIsValidWhenOneOfItsChildrenIs) {
  const int32_t parent = AddDocument(DocumentRow().Type("ORDERS").Status(1).Sender("pat"));
  const int32_t lonely = AddDocument(DocumentRow().Type("ORDERS").Status(1).Sender("pat"));
  Published(0, parent);
  EXPECT_TRUE(document_.IsValidParentDoc(parent, "sam", SENDERMODE::SENDERMODE));
  EXPECT_FALSE(document_.IsValidParentDoc(parent, "anna", SENDERMODE::RECEIVERMODE));
  EXPECT_FALSE(document_.IsValidParentDoc(parent, "pat", SENDERMODE::SENDERMODE));
  Published(1, parent);
  EXPECT_TRUE(document_.IsValidParentDoc(parent, "anna", SENDERMODE::RECEIVERMODE));
  EXPECT_TRUE(document_.IsValidParentDoc(parent, kQuotedUser, SENDERMODE::RECEIVERMODE));
  EXPECT_FALSE(document_.IsValidParentDoc(parent, "' OR '1'='1", SENDERMODE::RECEIVERMODE));
  EXPECT_FALSE(document_.IsValidParentDoc(lonely, "pat", SENDERMODE::SENDERMODE));
}

TEST_P(DocumentAccessTest, FailuresCarryTheMethodPath) {
  const int32_t doc = Published(1);
  Exec("DROP TABLE DISTRIBUTIONLIST");
  const auto raised =
      testing::ErrorOf([&] { document_.IsValidChildDoc(doc, "anna", SENDERMODE::RECEIVERMODE); });
  ASSERT_TRUE(raised);
  const std::string& text = raised->description();
  EXPECT_NE(text.find("METHOD: Velmora.Utility.GetRecipientsFromPublicationTable"),
            std::string::npos);
  EXPECT_NE(text.find("METHOD: Velmora.Document.UserIsRecipientOfDoc"), std::string::npos);
  EXPECT_NE(text.find("METHOD: Velmora.Document.IsValidChildDoc"), std::string::npos);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocumentAccessTest);

}  // namespace
}  // namespace velmora
