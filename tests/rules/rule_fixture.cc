#include "rules/rule_fixture.h"

#include <gtest/gtest.h>

#include "core/sql_literals.h"
#include "platform/host/membership_database.h"
#include "support/temp_folder.h"

namespace velmora::testing {
namespace {

host::MemberRecord User(const std::string& id, int32_t language) {
  host::MemberRecord user;
  user.user_id = id;
  user.business_partner_id = 12;
  user.email_address = id + "@example.com";
  user.language_id = language;
  return user;
}

}  // namespace

void RuleTest::SetUpDatabase() {
  LibraryDbTest::SetUpDatabase();
  if (IsSkipped() || HasFatalFailure()) {
    return;
  }
  WriteFile(Home() + "/config/SiteConfiguration.xml",
            "<configuration><section name=\"MEMBERSHIP\">"
            "<key name=\"MemScriptUser\">velmora-service</key>"
            "<key name=\"MemScriptCode\">s3cret</key></section></configuration>");
  host::MembershipDatabase directory([this] { return Open(); });
  directory.InsertPartner({12, "Twelve", "", ""});
  directory.InsertUser(User("jan", 1043));
  directory.InsertUser(User("kate", 2057));
  directory.InsertUser(User("sam", 1033));
}

int32_t RuleTest::AddRule(RuleType type, const std::string& logic, int32_t sequence,
                          int32_t original, const std::string& assigned, const std::string& method,
                          bool enabled, const std::string& description) {
  std::string description_arg = description;
  int16_t type_arg = static_cast<int16_t>(type);
  std::string assigned_arg = assigned;
  std::string method_arg = method;
  std::string logic_arg = logic;
  return rules_.AddRule(description_arg, type_arg, assigned_arg, method_arg, sequence, logic_arg,
                        original, enabled);
}

int32_t RuleTest::AddLine(int32_t rule, FieldType field, TagAttrXsl kind,
                          const std::string& pattern, Condition condition, const std::string& value,
                          TagAttrXsl compare) {
  int32_t field_arg = static_cast<int32_t>(field);
  int32_t sequence = next_line_++;
  int32_t kind_arg = static_cast<int32_t>(kind);
  std::string pattern_arg = pattern;
  int32_t condition_arg = static_cast<int32_t>(condition);
  int32_t compare_arg = static_cast<int32_t>(compare);
  std::string value_arg = value;
  return rules_.AddRuleLineEx(rule, field_arg, sequence, kind_arg, pattern_arg, condition_arg,
                              compare_arg, value_arg);
}

int32_t RuleTest::AddTypeRule(int32_t original, const std::string& assigned,
                              const std::string& element, const std::string& value,
                              int32_t sequence) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "AND", sequence, original, assigned);
  AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, element, Condition::ISEXACTLY, value);
  return rule;
}

void RuleTest::Link(int32_t rule, int32_t partner, const std::string& type, int32_t send_method) {
  Exec("INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, RULEID) VALUES (" +
       std::to_string(send_method) + ", " + std::to_string(partner) + ", " + core::SqlText(type) +
       ", " + std::to_string(rule) + ")");
}

int32_t RuleTest::AddDocument(const std::string& xml, const std::string& sender) {
  Exec("INSERT INTO DOCUMENT (DOCUMENTTYPEID, STATUS, SENDER, XMLBODY) VALUES ('ORDERS', 1, " +
       core::SqlText(sender) + ", " + core::SqlText(xml) + ")");
  return Scalar("SELECT MAX(DOCUMENTID) FROM DOCUMENT").ToInt32();
}

std::string RuleTest::TypeFor(int32_t partner, const std::string& xml) {
  int32_t doc = 0;
  return rules_.ExecuteDocumentTypeRuleSet(doc, partner, Load(xml));
}

int32_t RuleTest::SendMethodRuleFor(int32_t doc, int32_t partner, const std::string& type) {
  std::string type_arg = type;
  return rules_.ExecuteSendMethodRuleSet(doc, type_arg, partner);
}

std::shared_ptr<xml::Document> RuleTest::Load(const std::string& xml) {
  auto doc = std::make_shared<xml::Document>();
  EXPECT_TRUE(doc->LoadXml(xml)) << xml;
  return doc;
}

int64_t RuleTest::Count(const std::string& table, const std::string& where) {
  return Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where).ToInt64();
}

}  // namespace velmora::testing
