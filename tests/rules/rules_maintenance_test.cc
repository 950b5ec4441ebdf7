#include <gtest/gtest.h>

#include <string>

#include "core/labels.h"
#include "rules/rule_fixture.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

using testing::Contains;
using testing::RaisedBy;

constexpr const char* kQuoted = "O'Brien \"quoted\" ü";

class RuleMaintenanceTest : public testing::RuleTest {
 protected:
  std::string Column(const std::string& table, const std::string& key, int32_t id,
                     const std::string& column) {
    const Variant value = Scalar("SELECT " + column + " FROM " + table + " WHERE " + key + " = " +
                                 std::to_string(id));
    return value.IsNull() ? "<null>" : value.ToText();
  }
  std::string Rule(int32_t id, const std::string& column) {
    return Column("RULEHEADER", "RULEID", id, column);
  }
  std::string Line(int32_t id, const std::string& column) {
    return Column("RULELINE", "LINEID", id, column);
  }
};

TEST_P(RuleMaintenanceTest, RuleTypesArePublishedNumbers) {
  EXPECT_EQ(rules_.GetRuleType_SENDMETHODRULE(), 1);
  EXPECT_EQ(rules_.GetRuleType_DOCUMENTTYPERULE(), 2);
  EXPECT_EQ(rules_.GetRuleType_SENDERIDRULE(), 3);
  EXPECT_EQ(rules_.GetRuleType_RECIPIENTIDRULE(), 4);
}

TEST_P(RuleMaintenanceTest, AddRuleStoresEveryColumnWithQuotesIntact) {
  const int32_t id =
      AddRule(RuleType::DOCUMENTTYPERULE, "OR", 7, 12, kQuoted, kQuoted, true, kQuoted);
  EXPECT_GT(id, 0);
  EXPECT_EQ(Rule(id, "DESCRIPTION"), kQuoted);
  EXPECT_EQ(Rule(id, "RULETYPE"), "2");
  EXPECT_EQ(Rule(id, "ASSIGNEDID"), kQuoted);
  EXPECT_EQ(Rule(id, "METHODCALL"), kQuoted);
  EXPECT_EQ(Rule(id, "SEQUENCENUMBER"), "7");
  EXPECT_EQ(Rule(id, "RULELOGIC"), "2");
  EXPECT_EQ(Rule(id, "ORIGINALID"), "12");
  EXPECT_EQ(Rule(id, "ENABLED"), "1");
  EXPECT_EQ(rules_.GetRuleDescription(id), kQuoted);
  EXPECT_GT(AddRule(RuleType::SENDMETHODRULE, "AND"), id);
}

TEST_P(RuleMaintenanceTest, OnlyUpperCaseAndAndOrAreRuleLogic) {
  const std::pair<const char*, const char*> cases[] = {
      {"AND", "1"}, {"OR", "2"}, {"and", "0"}, {"or", "0"}, {"Or", "0"}, {" AND", "0"}, {"", "0"}};
  for (const auto& [logic, stored] : cases) {
    SCOPED_TRACE(logic);
    EXPECT_EQ(Rule(AddRule(RuleType::SENDMETHODRULE, logic), "RULELOGIC"), stored);
  }
}

TEST_P(RuleMaintenanceTest, NumbersOutsideTheEnumerationsAreStoredAsZero) {
  const int32_t rule = AddRule(static_cast<RuleType>(9), "AND", 1, -1, "", "", false);
  EXPECT_EQ(Rule(rule, "RULETYPE"), "0");
  EXPECT_EQ(Rule(rule, "ENABLED"), "0");
  const int32_t line = AddLine(rule, static_cast<FieldType>(4), static_cast<TagAttrXsl>(5), "A",
                               static_cast<Condition>(11), "v", static_cast<TagAttrXsl>(0));
  EXPECT_EQ(Line(line, "FIELDTYPE"), "0");
  EXPECT_EQ(Line(line, "TAGATTRXSL"), "0");
  EXPECT_EQ(Line(line, "CONDITION"), "0");
  EXPECT_EQ(Line(line, "COMPARETYPE"), "0");
  const int32_t valid = AddLine(rule, FieldType::DATEFIELD, TagAttrXsl::XSLPATTERN, "//A",
                                Condition::NOTCONTAINS, "v", TagAttrXsl::ATTRVALUE);
  EXPECT_EQ(Line(valid, "FIELDTYPE"), "3");
  EXPECT_EQ(Line(valid, "TAGATTRXSL"), "3");
  EXPECT_EQ(Line(valid, "CONDITION"), "10");
  EXPECT_EQ(Line(valid, "COMPARETYPE"), "2");
}

TEST_P(RuleMaintenanceTest, AddRuleLineStoresAFixedComparisonValue) {
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "AND");
  int32_t field = 1;
  int32_t sequence = 3;
  int32_t kind = 2;
  std::string pattern = "it's";
  int32_t condition = 6;
  std::string value = kQuoted;
  int32_t rule_arg = rule;
  const int32_t line =
      rules_.AddRuleLine(rule_arg, field, sequence, kind, pattern, condition, value);
  EXPECT_EQ(Line(line, "RULEID"), std::to_string(rule));
  EXPECT_EQ(Line(line, "SEQUENCENUMBER"), "3");
  EXPECT_EQ(Line(line, "TAGATTRXSL"), "2");
  EXPECT_EQ(Line(line, "XSLPATTERN"), "it's");
  EXPECT_EQ(Line(line, "CONDITION"), "6");
  EXPECT_EQ(Line(line, "COMPARETYPE"), "4");
  EXPECT_EQ(Line(line, "VALUE"), kQuoted);
}

TEST_P(RuleMaintenanceTest, LineOfAMissingRuleIsRefused) {
  const Error error = RaisedBy([&] {
    AddLine(987654, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "A", Condition::ISEXACTLY, "v");
  });
  EXPECT_TRUE(Contains(error.description(), "Velmora.Rules.AddRuleLineEx caught"))
      << error.description();
  EXPECT_EQ(Count("RULELINE"), 0);
}

TEST_P(RuleMaintenanceTest, UpdateRuleRewritesAnExistingRuleOnly) {
  const int32_t id = AddRule(RuleType::SENDMETHODRULE, "AND", 1, -1, "A", "", true, "first");
  int32_t id_arg = id;
  std::string description = kQuoted;
  int16_t type = 2;
  std::string assigned = kQuoted;
  std::string method = "Comp.Class.Method";
  int32_t sequence = 4;
  std::string logic = "OR";
  int32_t original = 12;
  bool enabled = false;
  rules_.UpdateRule(id_arg, description, type, assigned, method, sequence, logic, original,
                    enabled);
  EXPECT_EQ(Rule(id, "DESCRIPTION"), kQuoted);
  EXPECT_EQ(Rule(id, "RULETYPE"), "2");
  EXPECT_EQ(Rule(id, "ASSIGNEDID"), kQuoted);
  EXPECT_EQ(Rule(id, "METHODCALL"), "Comp.Class.Method");
  EXPECT_EQ(Rule(id, "SEQUENCENUMBER"), "4");
  EXPECT_EQ(Rule(id, "RULELOGIC"), "2");
  EXPECT_EQ(Rule(id, "ORIGINALID"), "12");
  EXPECT_EQ(Rule(id, "ENABLED"), "0");

  int32_t missing = id + 100;
  rules_.UpdateRule(missing, description, type, assigned, method, sequence, logic, original,
                    enabled);
  EXPECT_EQ(Count("RULEHEADER"), 1);
}

TEST_P(RuleMaintenanceTest, DeleteRuleRefusesARuleWithARealSendMethod) {
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "AND");
  AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "A", Condition::ISEXACTLY, "v");
  Link(rule, 12, "ORDERS", -1);
  Link(rule, 12, "ORDERS", 5);
  int32_t id = rule;
  EXPECT_FALSE(rules_.DeleteRule(id));
  EXPECT_EQ(Count("RULEHEADER"), 1);
  EXPECT_EQ(Count("RULELINE"), 1);
  EXPECT_EQ(Count("SENDMETHOD"), 2);
}

TEST_P(RuleMaintenanceTest, DeleteRuleRemovesTheRuleItsLinesAndPlaceholders) {
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "AND");
  const int32_t kept = AddRule(RuleType::SENDMETHODRULE, "AND");
  AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "A", Condition::ISEXACTLY, "v");
  AddLine(kept, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "A", Condition::ISEXACTLY, "v");
  Link(rule, 12, "ORDERS", -1);
  Link(rule, 13, "ORDERS", -1);
  Link(kept, 12, "ORDERS", -1);
  Link(-1, 12, "ORDERS", 5);
  int32_t id = rule;
  EXPECT_TRUE(rules_.DeleteRule(id));
  EXPECT_EQ(Count("RULEHEADER", "RULEID = " + std::to_string(rule)), 0);
  EXPECT_EQ(Count("RULELINE", "RULEID = " + std::to_string(rule)), 0);
  EXPECT_EQ(Count("SENDMETHOD", "RULEID = " + std::to_string(rule)), 0);
  EXPECT_EQ(Count("RULEHEADER"), 1);
  EXPECT_EQ(Count("RULELINE"), 1);
  EXPECT_EQ(Count("SENDMETHOD"), 2);
}

TEST_P(RuleMaintenanceTest, DeleteRuleOfADocumentTypeRuleAndOfNoRule) {
  const int32_t rule = AddTypeRule(12, "T", "A", "v");
  int32_t id = rule;
  EXPECT_TRUE(rules_.DeleteRule(id));
  EXPECT_EQ(Count("RULEHEADER"), 0);
  EXPECT_EQ(Count("RULELINE"), 0);
  int32_t missing = 4242;
  EXPECT_TRUE(rules_.DeleteRule(missing));
}

TEST_P(RuleMaintenanceTest, DeleteRuleLinesKeepsTheRule) {
  const int32_t rule = AddTypeRule(12, "T", "A", "v");
  const int32_t other = AddTypeRule(12, "U", "A", "v");
  int32_t id = rule;
  rules_.DeleteRuleLines(id);
  EXPECT_EQ(Count("RULELINE", "RULEID = " + std::to_string(rule)), 0);
  EXPECT_EQ(Count("RULELINE", "RULEID = " + std::to_string(other)), 1);
  EXPECT_EQ(Count("RULEHEADER"), 2);
}

TEST_P(RuleMaintenanceTest, RuleDescriptionIsEmptyForNoRuleOrNoDescription) {
  EXPECT_EQ(rules_.GetRuleDescription(777), "");
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "AND");
  Exec("UPDATE RULEHEADER SET DESCRIPTION = NULL");
  EXPECT_EQ(rules_.GetRuleDescription(rule), "");
}

TEST_P(RuleMaintenanceTest, AttachedRulesAreFoundByTypePartnerAndSendMethod) {
  EXPECT_FALSE(rules_.ExistRulesAttachedToSendMethods());
  Link(-1, 12, "ORDERS", 5);
  Link(0, 12, "ORDERS", 5);
  Link(8, 12, kQuoted, -1);
  EXPECT_FALSE(rules_.ExistRulesAttachedToSendMethods());
  Link(9, 12, kQuoted, 6);
  EXPECT_TRUE(rules_.ExistRulesAttachedToSendMethods());
  EXPECT_TRUE(rules_.ExistRulesAttachedToSendMethods(kQuoted));
  EXPECT_FALSE(rules_.ExistRulesAttachedToSendMethods("ORDERS"));
  EXPECT_TRUE(rules_.ExistRulesAttachedToSendMethods(kQuoted, 12, 6));
  EXPECT_FALSE(rules_.ExistRulesAttachedToSendMethods(kQuoted, 13));
  EXPECT_FALSE(rules_.ExistRulesAttachedToSendMethods("", 0, 5));
  EXPECT_TRUE(rules_.ExistRulesAttachedToSendMethods("", 0, 6));
}

TEST_P(RuleMaintenanceTest, DatesTravelAsYearMonthDayTexts) {
  EXPECT_EQ(rules_.DateToXSLPatternString(Variant(DateTime{2003, 2, 1, 13, 5, 0})), "2003-02-01");
  EXPECT_EQ(rules_.DateToXSLPatternString(Variant("2003-02-01 10:00")), "2003-02-01");
  EXPECT_EQ(rules_.XSLPatternStringToDate(Variant(" 2003-02-01 ")).ToDate(),
            (DateTime{2003, 2, 1, 0, 0, 0}));
  const Error error = RaisedBy([&] { rules_.DateToXSLPatternString(Variant("soon")); });
  EXPECT_TRUE(Contains(error.description(), "Velmora.Rules.DateToXSLPatternString caught"));
}

TEST_P(RuleMaintenanceTest, TextsThatAreNotYearMonthDayAreRefused) {
  for (const char* text : {"2003-9-15", "2003-09-150", "", "2003-00-15", "2003-09-00", "0000-09-15",
                           "2003-02-29", "2003-13-01", "15-09-2003", "2003-0a-15"}) {
    SCOPED_TRACE(text);
    const Error error = RaisedBy([&] { rules_.XSLPatternStringToDate(Variant(text)); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_EQ(error.source(), "Velmora.Rules.XSLPatternStringToDate");
    Dictionary replacements;
    replacements.Add("[%DATE%]", Variant(std::string(text)));
    EXPECT_TRUE(Contains(error.description(), core::GetLabel("ZODAR5698", 0, &replacements)))
        << error.description();
  }
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RuleMaintenanceTest);

}  // namespace
}  // namespace velmora
