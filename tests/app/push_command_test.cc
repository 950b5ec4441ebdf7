#include "app/admin_program_test.h"

namespace velmora::app {
namespace {

class PushCommandTest : public AdminProgramTest {};

TEST_P(PushCommandTest, PushesADocumentAndReportsEverySend) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"partner", "add", "20", "Brix"});
  Ok({"user", "add", "sam", "--partner", "10", "--email", "sam@acme.example"});
  Ok({"user", "add", "rita", "--partner", "20", "--email", "rita@brix.example"});
  Ok({"doctype", "add", "ORDERS", "Orders"});
  Ok({"senderlist", "add", "ORDERS", "sam"});
  Ok({"distlist", "add", "ORDERS", "rita"});
  const std::string out = (scratch_ / "out").string();
  fs::create_directories(out);
  Ok({"sendmethod", "add", "20", "ORDERS", "--protocol", "folder", "--address", out, "--autopush",
      "yes", "--file-name", "order"});
  Ok({"sendmethod", "add", "20", "ORDERS", "--protocol", "folder", "--address",
      (scratch_ / "missing").string(), "--autopush", "yes"});
  auto db = ProgramDatabase();
  db->Execute(
      "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, XMLBODY, SHOW) VALUES "
      "('ORDERS', 1, 'sam', '<ORDER/>', 1)");
  const std::string doc =
      db->Query("SELECT MAX(DOCUMENTID) AS ID FROM DOCUMENT")->Field("ID").ToText();
  db->Execute("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (" + doc +
              ", 'rita', 0, 0)");
  db->Close();

  const Outcome pushed = RunVelmora({"--home", home_, "push", doc});
  EXPECT_EQ(pushed.exit_code, 1) << pushed.output;
  EXPECT_TRUE(testing::Contains(pushed.output, "address '" + out + "'): SENT")) << pushed.output;
  EXPECT_TRUE(testing::Contains(pushed.output, "NOT SENT: ")) << pushed.output;
  EXPECT_TRUE(testing::Contains(pushed.output, "1 sent, 1 failed")) << pushed.output;
  EXPECT_TRUE(fs::exists(out + "/order."));

  const Outcome json = RunVelmora({"--home", home_, "push", doc, "--partner", "20", "--json"});
  const Variant reply = json::Parse(json.output);
  EXPECT_EQ(Field(reply, "sent").ToInt32(), 1) << json.output;
  EXPECT_EQ(Field(reply, "sends").AsArray().Count(), 2u);
  const Outcome unknown = RunVelmora({"--home", home_, "push", "999999"});
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_TRUE(testing::Contains(unknown.output, "does not exist")) << unknown.output;
}

TEST_P(PushCommandTest, EdiNetworksAreAddedChangedListedAndRemoved) {
  Init();
  Ok({"edinetwork", "add", "VAN1", "--temp-folder", "/srv/edi", "--protocol", "ftp", "--ftp-user",
      "edi", "--ftp-password", "s3cret", "--ftp-port", "2121", "--sequence", "2"});
  Ok({"edinetwork", "set", "VAN1", "--use-semaphore", "yes", "--ftp-type", "binary"});
  const Variant listed = Json({"edinetwork", "list", "--json"});
  ASSERT_EQ(listed.AsArray().Count(), 1u);
  const Variant network = listed.AsArray().values()[0];
  EXPECT_EQ(Field(network, "tempFolder").ToText(), "/srv/edi");
  EXPECT_EQ(Field(network, "protocol").ToInt32(), 40);
  EXPECT_EQ(Field(network, "ftpTransferType").ToInt32(), 20);
  EXPECT_TRUE(Field(network, "useSemaphore").ToBool());
  EXPECT_EQ(Field(network, "ftpPassword").ToText(), "********");
  EXPECT_FALSE(testing::Contains(Ok({"edinetwork", "list"}), "s3cret"));
  auto database = ProgramDatabase();
  auto stored = database->Query("SELECT FTPPASSWORD FROM EDINETWORK");
  EXPECT_TRUE(stored->Field("FTPPASSWORD").ToText().starts_with("sealed:v1:"))
      << "the FTP password is kept sealed";
  Refused({"edinetwork", "set", "VAN1", "--ftp-password", std::string(144, 'p')}, "at most 143");
  Refused({"edinetwork", "add", "VAN1"}, "exists already");
  Refused({"edinetwork", "set", "VAN1", "--protocol", "smtp"}, "folder, ftp");
  Refused({"edinetwork", "set", "NOPE"}, "does not exist");
  Ok({"edinetwork", "remove", "VAN1"});
  Refused({"edinetwork", "remove", "VAN1"}, "does not exist");
}

// Send methods that name a network by address or by network id keep it from being removed.
TEST_P(PushCommandTest, AnEdiNetworkInUseIsNotRemoved) {
  Init();
  Ok({"partner", "add", "20", "Brix"});
  Ok({"doctype", "add", "ORDERS", "Orders"});
  Ok({"edinetwork", "add", "VAN1"});
  for (const std::vector<std::string>& naming :
       {std::vector<std::string>{"--address", "VAN1"},
        std::vector<std::string>{"--address", "elsewhere", "--network", "VAN1"}}) {
    std::vector<std::string> add{"sendmethod", "add", "20", "ORDERS", "--protocol", "edi"};
    add.insert(add.end(), naming.begin(), naming.end());
    add.push_back("--json");
    const std::string id = Field(Json(add), "id").ToText();
    Refused({"edinetwork", "remove", "VAN1"}, "send methods still use it");
    Ok({"sendmethod", "remove", id});
  }
  Ok({"edinetwork", "remove", "VAN1"});
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PushCommandTest);

}  // namespace
}  // namespace velmora::app
