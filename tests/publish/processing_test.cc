// Document::ProcessDocument on both engines: the steps, their conditions on iInterActive, the
// two exits and what a failure leaves behind.
#include <fstream>
#include <iterator>
#include <string>

#include "core/db_utils.h"
#include "publish/publish_fixture.h"
#include "support/temp_home.h"
#include "velmora/document/document.h"

namespace velmora::testing {
namespace {

// The in/out arguments of one processing call.
struct Call {
  int32_t interactive = 0;
  std::string xml = kOrder;
  std::string original_type;
  std::string original_recipient;
  int32_t doc_id = 0;
  int32_t sender_bp = 0;
  std::string type;
  std::string sender;
  std::string default_receiver;
  int16_t status = 0;
  int32_t parent = -1;

  Variant Run() {
    return Document().ProcessDocument(interactive, xml, original_type, original_recipient, doc_id,
                                      sender_bp, type, sender, default_receiver, status, parent);
  }
};

using ProcessingTest = PublishTest;

TEST_P(ProcessingTest, PublishesAnOrderToItsDistributionListAndNotifies) {
  Call call;
  const int32_t id = call.Run().ToInt32();
  EXPECT_EQ(call.doc_id, id);
  EXPECT_EQ(call.sender_bp, 10);
  EXPECT_EQ(call.type, "ORDERS");
  EXPECT_EQ(call.sender, "sam");
  EXPECT_EQ(call.status, 1);
  EXPECT_EQ(Count("SELECT STATUS FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(id)), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION WHERE DOCUMENTID = " + std::to_string(id)), 2);
  EXPECT_EQ(notification_->documents, std::vector<int32_t>{id});
}

TEST_P(ProcessingTest, RefusedDocumentsLeaveNoRowAndCarryTheStepsMessage) {
  struct Case {
    const char* name;
    std::string xml;
    int32_t interactive;
    std::string message;
  };
  AddType("INVOICES", "Invoices");
  const std::string order_by = "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>";
  for (const Case& c : std::vector<Case>{
           {"malformed", "<ORDER><LINE></ORDER>", 0,
            "The XML document could not be loaded.\r\nDescription: "},
           {"malformed line", "<ORDER>\n<LINE></ORDER>", 0, "\r\nLine: 2\r\nColumn: "},
           {"unknown sender", order_by + "nobody</SENDER></ORDER>", 0,
            "The sender of the document could not be determined."},
           {"unknown type", "<ORDER><SENDER>sam</SENDER></ORDER>", 0,
            "The document type of the document could not be determined."},
           {"unknown type, interactive 1", "<ORDER><SENDER>sam</SENDER></ORDER>", 1,
            "The document type of the document could not be determined."},
           {"not on the sender list", order_by + "rita</SENDER></ORDER>", 0,
            "User 'rita' is not authorised to publish documents of type 'Purchase orders'."},
           {"not on the sender list, interactive",
            "<ORDER><DOCTYPE-ID>INVOICES</DOCTYPE-ID><SENDER>sam</SENDER></ORDER>", -1,
            "User 'Sender Sam' is not authorised to publish documents of type 'Invoices'."},
           {"OBI document", "<OBIORDER><SENDER>sam</SENDER></OBIORDER>", 0,
            "OBI documents are not accepted by this installation."}}) {
    SCOPED_TRACE(c.name);
    Call call;
    call.xml = c.xml;
    call.interactive = c.interactive;
    const auto error = ErrorOf([&] { call.Run(); });
    ASSERT_TRUE(RaisedProcessingError(error));
    EXPECT_TRUE(Contains(error->description(), c.message)) << error->description();
    EXPECT_EQ(call.doc_id, 0);
    EXPECT_EQ(Documents(), 0);
  }
}

TEST_P(ProcessingTest, InteractiveCallsKeepTheMessageComponentCallsChainIt) {
  const std::string refused =
      "User 'rita' is not authorised to publish documents of type "
      "'Purchase orders'.";
  for (const int32_t interactive : {0, -1}) {
    SCOPED_TRACE(interactive);
    Call call;
    call.interactive = interactive;
    call.xml = "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>rita</SENDER></ORDER>";
    const auto error = ErrorOf([&] { call.Run(); });
    ASSERT_TRUE(RaisedProcessingError(error));
    if (interactive == -1) {
      EXPECT_EQ(error->description(), refused);
    } else {
      EXPECT_TRUE(Contains(error->description(),
                           "METHOD: Velmora.Document.ProcessDocument caught: " + refused));
    }
  }
}

TEST_P(ProcessingTest, AnInteractiveCallWithAnUnknownTypeStoresTheDocumentUnrouted) {
  Call call;
  call.interactive = -1;
  call.xml = "<ORDER><SENDER>sam</SENDER><USESDISTLIST>1</USESDISTLIST></ORDER>";
  const int32_t id = call.Run().ToInt32();
  ASSERT_GT(id, 0);
  EXPECT_EQ(call.type, "");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION"), 0);
  EXPECT_TRUE(notification_->documents.empty());
}

TEST_P(ProcessingTest, AnEmptyTextWithAGivenDocumentOnlyStoresItsProperties) {
  const int32_t id = AddDocument(DocumentRow().Status(-1));
  Call call;
  call.xml = "";
  call.doc_id = id;
  call.sender_bp = 10;
  call.type = "ORDERS";
  call.sender = "sam";
  EXPECT_EQ(call.Run().ToInt32(), id);
  EXPECT_EQ(Scalar("SELECT SENDER FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(id)).ToText(),
            "sam");
  EXPECT_EQ(Count("SELECT STATUS FROM DOCUMENT"), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION"), 0);
}

TEST_P(ProcessingTest, ResolutionToNobodyKeepsTheDocumentNewWithoutNotification) {
  Call call;
  call.xml =
      "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER>"
      "<RECEIVER>stranger</RECEIVER></ORDER>";
  const int32_t id = call.Run().ToInt32();
  ASSERT_GT(id, 0);
  EXPECT_EQ(call.status, 0);
  EXPECT_EQ(Count("SELECT STATUS FROM DOCUMENT"), 0);
  EXPECT_TRUE(notification_->documents.empty());
}

TEST_P(ProcessingTest, AMissingStyleSheetRemovesTheUntypedRow) {
  Exec(
      "INSERT INTO RECEIVEMETHOD (BUSINESSPARTNERID, DOCUMENTTYPEID, XSLFILENAME) "
      "VALUES (10, 'ORDERS', 'missing.xsl')");
  Call call;
  const auto error = ErrorOf([&] { call.Run(); });
  ASSERT_TRUE(RaisedProcessingError(error));
  EXPECT_TRUE(Contains(error->description(),
                       "The document could not be transformed to the standard format"));
  EXPECT_EQ(Documents(), 0);
}

TEST_P(ProcessingTest, ANotificationFailureAfterDeliveryKeepsTheRowWithItsError) {
  notification_->fault = [] { throw Error(5, "Relay", "the mail relay is down"); };
  Call call;
  const auto error = ErrorOf([&] { call.Run(); });
  ASSERT_TRUE(RaisedProcessingError(error));
  EXPECT_TRUE(Contains(error->description(), "The notification e-mails for the document"));
  EXPECT_EQ(call.doc_id, 0);
  ASSERT_EQ(Documents(), 1);
  const int32_t kept = Count("SELECT DOCUMENTID FROM DOCUMENT");
  EXPECT_EQ(ErrorLabels(kept), std::vector<std::string>{"ZODAR1810"});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PUBLICATION"), 2);
}

TEST_P(ProcessingTest, TheDatabaseGoingAwayMidwayStillRaisesTheStepsError) {
  notification_->fault = [this] {
    WriteFile(Home() + "/config/R2AVidodeConfiguration.xml",
              "<configuration><connection application=\"Velmora\">"
              "postgresql://nobody@127.0.0.1:1/none</connection></configuration>");
    core::ForgetConnectionString();
    throw Error(5, "Relay", "the mail relay is down");
  };
  Call call;
  const auto error = ErrorOf([&] { call.Run(); });
  ASSERT_TRUE(RaisedProcessingError(error));
  EXPECT_TRUE(Contains(error->description(), "ZODAR1810")) << error->description();
  EXPECT_EQ(call.doc_id, 0);
}

TEST_P(ProcessingTest, TracesEveryStepWithItsDocumentFromLevelTwo) {
  const std::string config = Home() + "/config/R2AVidodeConfiguration.xml";
  std::ifstream in(config);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  text.replace(text.find("B2BLogging\">0"), 13, "B2BLogging\">2");
  WriteFile(config, text);
  int32_t id = 0;
  RunOnFreshThread([&] { id = Call().Run().ToInt32(); });
  const std::string after = " - Document " + std::to_string(id);
  for (const std::string& entry : std::vector<std::string>{
           std::string("LoadXmlInDom_Start - Document 0"), "getSenderBpAndName_end - Document 0",
           "createDocumentIDAndStoreXmlBody_start - Document 0",
           "createDocumentIDAndStoreXmlBody_end" + after,
           "fillPublicationTableWithRecipients_end" + after,
           "sendNotificationEmails_end" + after}) {
    EXPECT_TRUE(Logged(entry)) << entry;
  }
  EXPECT_FALSE(Logged("CopyingAttachments_start"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ProcessingTest);

}  // namespace
}  // namespace velmora::testing
