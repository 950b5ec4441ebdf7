// `velmora publish` end to end on a fresh installation: partners, users and lists made with
// `velmora admin`, documents published from files.
#include <string>
#include <vector>

#include "app/admin_program_test.h"
#include "support/loopback_http_server.h"
#include "support/temp_folder.h"

namespace velmora::app {
namespace {

using testing::Contains;

class PublishCommandTest : public AdminProgramTest {
 protected:
  void SetUpDatabase() override {
    AdminProgramTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    Init();
    attachments_ = (scratch_ / "attachments").string();
    fs::create_directories(attachments_);
    Ok({"param", "set", "AttachmentsFolder", attachments_});
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"partner", "add", "10", "Acme"},
             {"partner", "add", "20", "Brix"},
             {"user", "add", "sam", "--partner", "10", "--email", "sam@acme.test"},
             {"user", "add", "rita", "--partner", "20", "--email", "rita@brix.test"},
             {"doctype", "add", "ORDERS", "Purchase orders"},
             {"senderlist", "add", "ORDERS", "sam"},
             {"distlist", "add", "ORDERS", "rita", "--email"}}) {
      Ok(command);
    }
  }

  Outcome Publish(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--home", home_, "publish"});
    return RunVelmora(arguments);
  }

  std::string File(const std::string& name, const std::string& content) {
    const std::string path = (scratch_ / name).string();
    testing::WriteFile(path, content);
    return path;
  }

  std::string attachments_;
};

TEST_P(PublishCommandTest, PrintsTheNewDocumentWithItsRecipientsAndAttachments) {
  const std::string order = File("order.xml",
                                 "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER>"
                                 "<RECEIVER>rita</RECEIVER></ORDER>");
  const Outcome outcome = Publish({order, "--attach", File("terms.txt", "terms"), "--json"});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
  const Variant result = json::Parse(outcome.output);
  EXPECT_EQ(Field(result, "documentType").ToText(), "ORDERS");
  EXPECT_EQ(Field(result, "sender").ToText(), "sam");
  EXPECT_EQ(Field(result, "status").ToInt32(), 1);
  const Variant recipient_list = Field(result, "recipients");
  const VariantArray& recipients = recipient_list.AsArray();
  ASSERT_EQ(recipients.Count(), 1u);
  EXPECT_EQ(Field(recipients.At(0), "user").ToText(), "rita");
  for (const char* key : {"deliveries", "mails", "errors"}) {
    EXPECT_TRUE(Field(result, key).IsArray()) << key;
  }
  const std::string id = Field(result, "documentId").ToText();
  EXPECT_TRUE(fs::exists(attachments_ + "/" + id + "/terms.txt"));
  const Outcome plain = Publish({order});
  EXPECT_EQ(plain.exit_code, 0) << plain.output;
  EXPECT_TRUE(Contains(plain.output, "(ORDERS) from sam, status 1\nRecipients: \n  user=rita"))
      << plain.output;
}

TEST_P(PublishCommandTest, AFailurePrintsTheLocalisedMessageAndExitsOne) {
  const std::string order =
      File("order.xml", "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>rita</SENDER></ORDER>");
  const Outcome outcome = Publish({order});
  EXPECT_EQ(outcome.exit_code, 1) << outcome.output;
  EXPECT_TRUE(Contains(outcome.output,
                       "velmora publish: User 'rita' is not authorised to publish documents of "
                       "type 'Purchase orders'.\n"))
      << outcome.output;
  const Outcome async = Publish({order, "--async", "--json"});
  ASSERT_EQ(async.exit_code, 0) << async.output;
  EXPECT_EQ(Field(json::Parse(async.output), "pickupFile").AsArray().Count(), 1u) << async.output;
}

// A partner's system and the mail relay that are down (nothing listens on their ports) cost
// the delivery and the mails, never the document: it stays with one publication error for
// each failure, shown by the command.
TEST_P(PublishCommandTest, PeersDownLeaveTheDocumentWithItsErrors) {
  const std::string site = home_ + "/config/SiteConfiguration.xml";
  std::string configuration = testing::ReadFile(site);
  const size_t service = configuration.find("pickup:");
  ASSERT_NE(service, std::string::npos) << configuration;
  configuration.replace(service, configuration.find('<', service) - service,
                        "smtp://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()));
  testing::WriteFile(site, configuration);
  Ok({"sendmethod", "add", "20", "ORDERS", "--protocol", "http", "--address",
      "http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()) + "/in", "--autopush",
      "yes"});
  const Outcome outcome =
      Publish({File("order.xml",
                    "<ORDER><DOCTYPE-ID>ORDERS</DOCTYPE-ID><SENDER>sam</SENDER><RECEIVER>rita"
                    "</RECEIVER><B2BSHOW>1</B2BSHOW></ORDER>")});
  EXPECT_EQ(outcome.exit_code, 0) << outcome.output;
  for (const char* shown : {"Could not connect to the web server", "could not be sent through"}) {
    EXPECT_TRUE(Contains(outcome.output, shown)) << outcome.output;
  }
  auto database = ProgramDatabase();
  auto document = database->Query("SELECT DOCUMENTID, DOCUMENTTYPEID FROM DOCUMENT");
  ASSERT_FALSE(document->IsEOF()) << "the document is kept: " << outcome.output;
  EXPECT_EQ(document->Field("DOCUMENTTYPEID").ToText(), "ORDERS");
  std::vector<std::string> labels;
  for (auto rows =
           database->Query("SELECT LABEL FROM PUBLICATIONERRORS WHERE DOCUMENTID = " +
                           document->Field("DOCUMENTID").ToText() + " ORDER BY PUBLICATIONERRORID");
       !rows->IsEOF(); rows->MoveNext()) {
    labels.push_back(rows->Field("LABEL").ToText());
  }
  // The partner's system and the recipient's mail.
  EXPECT_EQ(labels, (std::vector<std::string>{"ZODAR0883", "ZODAR6082"}));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PublishCommandTest);

}  // namespace
}  // namespace velmora::app
