#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/class_registry.h"
#include "automation/registration.h"
#include "rules/rule_fixture.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

using automation::CallAndReply;
using automation::CallReply;
using testing::Contains;

class RuleAutomationTest : public testing::RuleTest {
 protected:
  static CallReply Call(const std::string& method, std::vector<Variant> args) {
    return CallAndReply("Velmora.Rules", method, std::move(args));
  }
};

TEST_P(RuleAutomationTest, EveryPublishedMethodIsRegistered) {
  automation::RegisterAllClasses();
  const automation::ClassInfo* info = automation::ClassRegistry::Global().Find("Velmora.Rules");
  ASSERT_NE(info, nullptr);
  for (const char* method :
       {"GetRuleType_SENDMETHODRULE", "GetRuleType_DOCUMENTTYPERULE", "GetRuleType_SENDERIDRULE",
        "GetRuleType_RECIPIENTIDRULE", "ExecuteSendMethodRuleSet", "ExecuteDocumentTypeRuleSet",
        "AddRule", "UpdateRule", "DeleteRule", "AddRuleLine", "AddRuleLineEx", "DeleteRuleLines",
        "GetRuleDescription", "ExistRulesAttachedToSendMethods", "DateToXSLPatternString",
        "XSLPatternStringToDate"}) {
    EXPECT_NE(info->Find(method), nullptr) << method;
  }
  EXPECT_EQ(info->methods().size(), 16u);
}

TEST_P(RuleAutomationTest, RulesAreMaintainedAndEvaluatedByLateBoundCalls) {
  EXPECT_EQ(Call("GetRuleType_DOCUMENTTYPERULE", {}).json, R"({"result":2,"args":[]})");
  const CallReply added =
      Call("AddRule", {Variant("by 'script'"), Variant(int16_t{2}), Variant("SCRIPTED"),
                       Variant(""), Variant(1), Variant("AND"), Variant(-1), Variant(true)});
  ASSERT_FALSE(added.failed) << added.json;
  const int32_t rule = Scalar("SELECT MAX(RULEID) FROM RULEHEADER").ToInt32();
  EXPECT_TRUE(Contains(added.json, "\"result\":" + std::to_string(rule))) << added.json;
  const CallReply line = Call("AddRuleLine", {Variant(rule), Variant(1), Variant(1), Variant(1),
                                              Variant("CITY"), Variant(1), Variant("Delft")});
  ASSERT_FALSE(line.failed) << line.json;
  EXPECT_EQ(Call("GetRuleDescription", {Variant(rule)}).json,
            "{\"result\":\"by 'script'\",\"args\":[" + std::to_string(rule) + "]}");

  const CallReply evaluated =
      Call("ExecuteDocumentTypeRuleSet",
           {Variant(0), Variant(12), Variant(ObjectRef(Load("<O><CITY>Delft</CITY></O>")))});
  EXPECT_TRUE(Contains(evaluated.json, "\"result\":\"SCRIPTED\"")) << evaluated.json;
  EXPECT_EQ(Call("ExistRulesAttachedToSendMethods", {}).json, R"({"result":false,"args":[]})");
  EXPECT_EQ(Call("DeleteRule", {Variant(rule)}).json,
            "{\"result\":true,\"args\":[" + std::to_string(rule) + "]}");
}

TEST_P(RuleAutomationTest, DateFailuresComeBackAsErrorReplies) {
  EXPECT_EQ(Call("DateToXSLPatternString", {Variant("2003-02-01")}).json,
            R"({"result":"2003-02-01","args":["2003-02-01"]})");
  const CallReply refused = Call("XSLPatternStringToDate", {Variant("2003-9-15")});
  EXPECT_TRUE(refused.failed);
  EXPECT_TRUE(Contains(refused.json, "\"number\":" + std::to_string(ErrNumber(
                                                         EnumerationErrors::InvalidParamValue))))
      << refused.json;
  EXPECT_TRUE(Contains(refused.json, "2003-9-15")) << refused.json;
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RuleAutomationTest);

}  // namespace
}  // namespace velmora
