#include "delivery/push_fixture.h"

#include <filesystem>
#include <fstream>

#include "core/sql_literals.h"
#include "platform/host/membership_database.h"
#include "velmora/rules/rules.h"

namespace velmora::testing {

void PushTest::SetUpDatabase() {
  SiteFolderTest::SetUpDatabase();
  if (IsSkipped() || HasFatalFailure()) {
    return;
  }
  core::Env env;
  env.transfer = transfer_;
  env_ = std::make_unique<core::ScopedEnv>(std::move(env));
  WriteSiteConfiguration();
  host::MembershipDatabase directory([this] { return Open(); });
  directory.InsertPartner({10, "Acme", "", ""});
  directory.InsertPartner({20, "Brix", "", ""});
  directory.InsertPartner({30, "Cogs", "", ""});
  for (const auto& [user, partner] :
       std::vector<std::pair<std::string, int32_t>>{{"sam", 10}, {"rita", 20}, {"rob", 30}}) {
    host::MemberRecord record;
    record.user_id = user;
    record.business_partner_id = partner;
    record.email_address = user + "@example.com";
    directory.InsertUser(record);
  }
  Exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('ORDERS', 'Orders')");
  Exec(
      "INSERT INTO SENDERLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES "
      "('ORDERS', 'sam', 10)");
  Exec(
      "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES "
      "('ORDERS', 'rita', 20)");
  Exec(
      "INSERT INTO DISTRIBUTIONLIST (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID) VALUES "
      "('ORDERS', 'rob', 30)");
  std::filesystem::create_directories(Dir("att"));
  std::filesystem::create_directories(Dir("xt"));
  SetParameter("AttachmentsFolder", Dir("att/"));
  SetParameter("ExcelTempFolder", Dir("xt/"));
}

void PushTest::WriteSiteConfiguration(const std::string& transfer) {
  std::filesystem::create_directories(Dir("share"));
  WriteFile(Home() + "/config/SiteConfiguration.xml",
            "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">svc</key>"
            "<key name=\"MemScriptCode\">code</key></section>"
            "<section name=\"SHARES\"><key name=\"\\\\files\\out\">" +
                Dir("share") + "</key></section><section name=\"TRANSFER\">" + transfer +
                "</section></configuration>");
}

TSendMethodProperties PushTest::Method(ESendMethodProtocol protocol, const std::string& address) {
  TSendMethodProperties p;
  p.bAutoPush = true;
  p.nProtocol = protocol;
  p.nFormat = ESendMethodFormat::XML;
  p.sAddress = address;
  p.sFileName = "order";
  p.sFileExtension = "xml";
  p.nSuffix = ESendMethodSuffix::DocumentID;
  p.nFileFormat = ESendMethodFileFormat::ASCII;
  p.nFTPTransferType = ESendMethodFTPTransferType::ASCII;
  p.nWriteMode = EWriteMode::Create;
  p.lPort = -1;
  p.lProxyPort = -1;
  return p;
}

TSendMethodProperties PushTest::FolderMethod(const std::string& folder) {
  return Method(ESendMethodProtocol::FilePath, folder);
}

int32_t PushTest::AddSendMethod(int32_t partner, TSendMethodProperties record, int32_t rule,
                                bool attachments, const std::string& network,
                                const std::string& merge) {
  VariantArray extension(3);
  extension.At(0) = Variant(attachments);
  extension.At(1) = Variant(network);
  extension.At(2) = Variant(merge);
  SendMethod store;
  int32_t id = store.AddSendMethodProperties3(record, extension);
  std::string type = "ORDERS";
  store.AddSendMethod2(id, partner, type, rule);
  return id;
}

int32_t PushTest::AddFlagRule(const std::string& flag) {
  Rules rules;
  std::string description = "express";
  int16_t type = static_cast<int16_t>(RuleType::SENDMETHODRULE);
  std::string assigned;
  std::string method;
  int32_t sequence = 1;
  std::string logic = "AND";
  int32_t original = -1;
  bool enabled = true;
  const int32_t rule =
      rules.AddRule(description, type, assigned, method, sequence, logic, original, enabled);
  int32_t rule_id = rule;
  int32_t field = static_cast<int32_t>(FieldType::STRINGFIELD);
  int32_t line = 1;
  int32_t kind = static_cast<int32_t>(TagAttrXsl::TAGVALUE);
  std::string pattern = "FLAG";
  int32_t condition = static_cast<int32_t>(Condition::ISEXACTLY);
  std::string value = flag;
  rules.AddRuleLine(rule_id, field, line, kind, pattern, condition, value);
  return rule;
}

int32_t PushTest::AddOrder(const std::string& flag) {
  Exec(
      "INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, XMLBODY, SHOW) VALUES ('ORDERS', "
      "1, 'sam', " +
      core::SqlText("<ORDER><FLAG>" + flag + "</FLAG><ITEM>ü</ITEM></ORDER>") + ", 1)");
  const int32_t doc = Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
  for (const char* user : {"rita", "rob"}) {
    Exec("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (" +
         std::to_string(doc) + ", '" + user + "', 0, 0)");
  }
  return doc;
}

void PushTest::AddAttachment(int32_t doc, const std::string& name, const std::string& content) {
  std::filesystem::create_directories(Dir("att/" + std::to_string(doc)));
  WriteFile(Dir("att/" + std::to_string(doc) + "/" + name), content);
  Exec("INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (" + std::to_string(doc) +
       ", " + core::SqlText(name) + ")");
}

std::vector<HistoryRow> PushTest::History(int32_t doc) {
  std::vector<HistoryRow> rows;
  auto connection = Open();
  auto recordset = connection->Query(
      "SELECT SENDMETHODID, BUSINESSPARTNERID, RULEID, STATUS, PUBLICATIONERRORID FROM "
      "SENDMETHODHISTORY WHERE DOCUMENTID = " +
      std::to_string(doc) + " ORDER BY HISTORYID");
  for (; !recordset->IsEOF(); recordset->MoveNext()) {
    rows.push_back({recordset->Field("SENDMETHODID").ToInt32(),
                    recordset->Field("BUSINESSPARTNERID").ToInt32(),
                    recordset->Field("RULEID").ToInt32(), recordset->Field("STATUS").ToInt32(),
                    recordset->Field("PUBLICATIONERRORID").ToInt32()});
  }
  return rows;
}

std::vector<ErrorRow> PushTest::Errors(int32_t doc) {
  std::vector<ErrorRow> rows;
  auto connection = Open();
  auto recordset = connection->Query(
      "SELECT PUBLICATIONERRORID, ERRORNUMBER, LABEL, SOURCE, DESCRIPTION, REPLACEMENTS, CLOSED "
      "FROM PUBLICATIONERRORS WHERE DOCUMENTID = " +
      std::to_string(doc) + " ORDER BY PUBLICATIONERRORID");
  const auto text = [&](const char* name) {
    const Variant value = recordset->Field(name);
    return value.IsNull() ? std::string() : value.ToText();
  };
  for (; !recordset->IsEOF(); recordset->MoveNext()) {
    rows.push_back({recordset->Field("PUBLICATIONERRORID").ToInt32(),
                    recordset->Field("ERRORNUMBER").ToInt32(), text("LABEL"), text("SOURCE"),
                    text("DESCRIPTION"), text("REPLACEMENTS"),
                    recordset->Field("CLOSED").ToInt32()});
  }
  return rows;
}

int32_t PushTest::Status(int32_t doc) {
  return Scalar("SELECT STATUS FROM DOCUMENT WHERE DOCUMENTID = " + std::to_string(doc)).ToInt32();
}

std::string PushTest::ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace velmora::testing
