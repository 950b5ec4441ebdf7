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

constexpr const char* kOrder = "<ORDER><QTY>10</QTY><CITY>Delft</CITY><MAX>9</MAX></ORDER>";

class RuleEvaluationTest : public testing::RuleTest {
 protected:
  // A string line of `rule` that holds for kOrder (or does not).
  void AddLineThatHolds(int32_t rule, bool holds) {
    AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "CITY", Condition::ISEXACTLY,
            holds ? "Delft" : "Gouda");
  }
  // A line that raises the moment it is evaluated: PARTOF on a numeric line.
  void AddLineThatRaises(int32_t rule) {
    AddLine(rule, FieldType::NUMERICFIELD, TagAttrXsl::TAGVALUE, "QTY", Condition::PARTOF, "10");
  }
  // A document type rule for every partner with one line.
  std::string OneLine(FieldType field, const std::string& pattern, Condition condition,
                      const std::string& value, const std::string& xml,
                      TagAttrXsl compare = TagAttrXsl::FIXEDTEXT) {
    Exec("DELETE FROM RULELINE");
    Exec("DELETE FROM RULEHEADER");
    const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "MATCH");
    AddLine(rule, field, TagAttrXsl::TAGVALUE, pattern, condition, value, compare);
    return TypeFor(-1, xml);
  }
};

TEST_P(RuleEvaluationTest, AndRuleStopsAtItsFirstFalseLine) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "AND-TYPE");
  AddLineThatHolds(rule, true);
  AddLineThatHolds(rule, false);
  AddLineThatRaises(rule);
  EXPECT_EQ(TypeFor(-1, kOrder), "");

  const int32_t all_true = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 2, -1, "ALL-TRUE");
  AddLineThatHolds(all_true, true);
  AddLineThatHolds(all_true, true);
  EXPECT_EQ(TypeFor(-1, kOrder), "ALL-TRUE");
}

TEST_P(RuleEvaluationTest, OrRuleMatchesAtItsFirstTrueLine) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "OR", 1, -1, "OR-TYPE");
  AddLineThatHolds(rule, false);
  AddLineThatHolds(rule, true);
  AddLineThatRaises(rule);
  EXPECT_EQ(TypeFor(-1, kOrder), "OR-TYPE");
}

TEST_P(RuleEvaluationTest, OrRuleWithoutATrueLineDoesNotMatch) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "OR", 1, -1, "OR-TYPE");
  AddLineThatHolds(rule, false);
  AddLineThatHolds(rule, false);
  EXPECT_EQ(TypeFor(-1, kOrder), "");
}

TEST_P(RuleEvaluationTest, RuleWithOtherLogicMatchesWhenAnyLineHolds) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "or", 1, -1, "ANY");
  AddLineThatHolds(rule, true);
  AddLineThatHolds(rule, false);
  EXPECT_EQ(TypeFor(-1, kOrder), "ANY");
}

TEST_P(RuleEvaluationTest, NumericLinesCompareNumbersAndStringLinesText) {
  EXPECT_EQ(OneLine(FieldType::NUMERICFIELD, "QTY", Condition::GREATERTHAN, "9", kOrder), "MATCH");
  EXPECT_EQ(OneLine(FieldType::STRINGFIELD, "QTY", Condition::GREATERTHAN, "9", kOrder), "");
  EXPECT_EQ(OneLine(FieldType::STRINGFIELD, "QTY", Condition::LOWERTHAN, "9", kOrder), "MATCH");
  EXPECT_EQ(OneLine(FieldType::NUMERICFIELD, "QTY", Condition::ISEXACTLY, "10.0", kOrder), "MATCH");
  EXPECT_EQ(OneLine(FieldType::NUMERICFIELD, "QTY", Condition::GREATERTHAN, "MAX", kOrder,
                    TagAttrXsl::TAGVALUE),
            "MATCH");
  EXPECT_EQ(OneLine(FieldType::NUMERICFIELD, "CITY", Condition::ISNOT, "9", kOrder), "");
  EXPECT_EQ(OneLine(FieldType::NUMERICFIELD, "QTY", Condition::ISNOT, "nine", kOrder), "");
}

TEST_P(RuleEvaluationTest, ComparisonsOneToSixKeepCaseAndOccurrenceTestsIgnoreIt) {
  const std::string xml = "<A><N>Delft</N></A>";
  const auto line = [&](Condition condition, const std::string& value) {
    return OneLine(FieldType::STRINGFIELD, "N", condition, value, xml) == "MATCH";
  };
  EXPECT_TRUE(line(Condition::ISEXACTLY, "Delft"));
  EXPECT_FALSE(line(Condition::ISEXACTLY, "delft"));
  EXPECT_TRUE(line(Condition::ISNOT, "delft"));
  EXPECT_TRUE(line(Condition::GREATEREQUAL, "Delft"));
  EXPECT_TRUE(line(Condition::LOWEREQUAL, "Delft"));
  EXPECT_TRUE(line(Condition::LOWERTHAN, "delft"));
  EXPECT_TRUE(line(Condition::GREATERTHAN, "Dam"));
  EXPECT_TRUE(line(Condition::PARTOF, "Den Haag, DELFT, Gouda"));
  EXPECT_FALSE(line(Condition::NOTPARTOF, "Den Haag, DELFT, Gouda"));
  EXPECT_TRUE(line(Condition::NOTPARTOF, "Gouda"));
  EXPECT_TRUE(line(Condition::CONTAINS, "ELF"));
  EXPECT_FALSE(line(Condition::NOTCONTAINS, "ELF"));
  EXPECT_TRUE(line(Condition::NOTCONTAINS, "x"));
}

TEST_P(RuleEvaluationTest, AbsentOrBlankDocumentValueNeverHolds) {
  for (const char* xml : {"<A><OTHER>1</OTHER></A>", "<A><N>   </N></A>", "<A><N/></A>"}) {
    for (int condition = 1; condition <= 10; ++condition) {
      SCOPED_TRACE(std::string(xml) + " condition " + std::to_string(condition));
      EXPECT_EQ(OneLine(FieldType::STRINGFIELD, "N", static_cast<Condition>(condition), "x", xml),
                "");
    }
    for (int condition = 1; condition <= 6; ++condition) {
      SCOPED_TRACE(std::string(xml) + " condition " + std::to_string(condition));
      EXPECT_EQ(OneLine(FieldType::NUMERICFIELD, "N", static_cast<Condition>(condition), "1", xml),
                "");
      EXPECT_EQ(
          OneLine(FieldType::DATEFIELD, "N", static_cast<Condition>(condition), "2003-01-31", xml),
          "");
    }
  }
}

TEST_P(RuleEvaluationTest, DateLinesReadTheDocumentInTheSendersLocale) {
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "AND");
  AddLine(rule, FieldType::DATEFIELD, TagAttrXsl::TAGVALUE, "DELIVERY", Condition::GREATERTHAN,
          "2003-01-31");
  Link(rule, 12, "ORDERS", 5);
  // The first of February 2003 as a Dutch and a British user write it.
  EXPECT_EQ(
      SendMethodRuleFor(AddDocument("<O><DELIVERY>1-2-2003</DELIVERY></O>", "jan"), 12, "ORDERS"),
      rule);
  EXPECT_EQ(SendMethodRuleFor(AddDocument("<O><DELIVERY>01/02/2003</DELIVERY></O>", "kate"), 12,
                              "ORDERS"),
            rule);
  // The same text is the second of January for a user in the United States.
  EXPECT_EQ(
      SendMethodRuleFor(AddDocument("<O><DELIVERY>01/02/2003</DELIVERY></O>", "sam"), 12, "ORDERS"),
      -1);
  // A text that is no date in the locale never holds.
  EXPECT_EQ(SendMethodRuleFor(AddDocument("<O><DELIVERY>31/02/2003</DELIVERY></O>", "kate"), 12,
                              "ORDERS"),
            -1);
}

TEST_P(RuleEvaluationTest, StoredDocumentsGetTheirDocumentTypeInTheSendersLocale) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, 12, "LATE");
  AddLine(rule, FieldType::DATEFIELD, TagAttrXsl::TAGVALUE, "D", Condition::GREATERTHAN,
          "2003-01-31");
  int32_t partner = 12;
  int32_t dutch = AddDocument("<A><D>1-2-2003</D></A>", "jan");
  EXPECT_EQ(rules_.ExecuteDocumentTypeRuleSet(dutch, partner), "LATE");
  int32_t american = AddDocument("<A><D>1/2/2003</D></A>", "sam");
  EXPECT_EQ(rules_.ExecuteDocumentTypeRuleSet(american, partner), "");
  // A document given with a stored id is not used: the stored one is tested.
  EXPECT_EQ(rules_.ExecuteDocumentTypeRuleSet(dutch, partner, Load("<A><D>2000-01-01</D></A>")),
            "LATE");
}

TEST_P(RuleEvaluationTest, DocumentsWithoutLocaleReadIsoDates) {
  EXPECT_EQ(OneLine(FieldType::DATEFIELD, "D", Condition::GREATERTHAN, "2003-01-31",
                    "<A><D>2003-02-01</D></A>"),
            "MATCH");
  EXPECT_EQ(OneLine(FieldType::DATEFIELD, "D", Condition::GREATERTHAN, "2003-01-31",
                    "<A><D>01/02/2003</D></A>"),
            "");
  EXPECT_EQ(OneLine(FieldType::DATEFIELD, "D", Condition::ISEXACTLY, "E",
                    "<A><D>2003-02-01</D><E>2003-02-01T10:00</E></A>", TagAttrXsl::TAGVALUE),
            "MATCH");
  EXPECT_EQ(OneLine(FieldType::DATEFIELD, "D", Condition::ISNOT, "E",
                    "<A><D>2003-02-01</D><E>soon</E></A>", TagAttrXsl::TAGVALUE),
            "");
  // A stored document whose sender the directory does not know is read in the default locale.
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, 12, "DATED");
  AddLine(rule, FieldType::DATEFIELD, TagAttrXsl::TAGVALUE, "D", Condition::ISEXACTLY,
          "2003-02-01");
  int32_t doc = AddDocument("<A><D>2003-02-01</D></A>", "stranger");
  int32_t partner = 12;
  EXPECT_EQ(rules_.ExecuteDocumentTypeRuleSet(doc, partner), "DATED");
}

TEST_P(RuleEvaluationTest, OccurrenceTestOnANumericLineRaisesThroughTheChain) {
  const int32_t rule = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "X");
  AddLineThatRaises(rule);
  const Error error = RaisedBy([&] { TypeFor(-1, kOrder); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
  EXPECT_EQ(error.source(), "Velmora.Rules.ExecuteRuleLineCondition");
  const std::string& chain = error.description();
  EXPECT_TRUE(Contains(chain, core::GetLabel("ZODAR5699"))) << chain;
  EXPECT_TRUE(Contains(chain, "Velmora.Rules.ExecuteRuleLine caught")) << chain;
  EXPECT_TRUE(Contains(
      chain, "Error comparing numeric values: '10' " + core::GetLabel("ZODAR5626") + " '10'"))
      << chain;
  EXPECT_TRUE(Contains(chain, "Velmora.Rules.ExecuteRule caught")) << chain;
  EXPECT_TRUE(Contains(chain, "Velmora.Rules.ExecuteDocumentTypeRuleSet caught")) << chain;
}

TEST_P(RuleEvaluationTest, OccurrenceTestOnADateLineRaisesToo) {
  const Error error = RaisedBy([&] {
    OneLine(FieldType::DATEFIELD, "D", Condition::CONTAINS, "2003-01-31",
            "<A><D>2003-02-01</D></A>");
  });
  EXPECT_EQ(error.source(), "Velmora.Rules.ExecuteRuleLineCondition");
  EXPECT_TRUE(Contains(error.description(), "Error comparing date values: '2003-02-01' "));
}

TEST_P(RuleEvaluationTest, PartnerWithoutOwnMatchFallsBackToTheRulesForEveryPartner) {
  AddTypeRule(12, "OWN", "CITY", "Gouda");
  AddTypeRule(13, "OTHER", "CITY", "Delft");
  AddTypeRule(-1, "ANY", "CITY", "Delft");
  EXPECT_EQ(TypeFor(12, kOrder), "ANY");
  EXPECT_EQ(TypeFor(0, kOrder), "ANY");
  EXPECT_EQ(TypeFor(12, "<ORDER><CITY>Gouda</CITY></ORDER>"), "OWN");
  EXPECT_EQ(TypeFor(-1, "<ORDER><CITY>Gouda</CITY></ORDER>"), "");
  EXPECT_EQ(TypeFor(-2, kOrder), "");
}

TEST_P(RuleEvaluationTest, DocumentTypeRulesOfOtherTypesOrDisabledAreNotEvaluated) {
  const int32_t disabled = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "OFF", "", false);
  AddLineThatHolds(disabled, true);
  const int32_t sender_rule = AddRule(RuleType::SENDERIDRULE, "AND", 1, -1, "SENDER");
  AddLineThatHolds(sender_rule, true);
  EXPECT_EQ(TypeFor(-1, kOrder), "");
}

TEST_P(RuleEvaluationTest, FirstMatchingRuleBySequenceWins) {
  AddTypeRule(-1, "SECOND", "CITY", "Delft", 2);
  AddTypeRule(-1, "FIRST", "CITY", "Delft", 1);
  AddTypeRule(-1, "ZERO", "CITY", "Gouda", 0);
  EXPECT_EQ(TypeFor(-1, kOrder), "FIRST");
}

TEST_P(RuleEvaluationTest, RulesWithTheSameSequenceAreEvaluatedWhole) {
  const int32_t first = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "FIRST");
  const int32_t second = AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "SECOND");
  next_line_ = 1;
  AddLineThatHolds(first, true);
  next_line_ = 1;
  AddLineThatHolds(second, true);
  AddLineThatHolds(first, false);
  AddLineThatHolds(second, true);
  EXPECT_EQ(TypeFor(-1, kOrder), "SECOND");
}

TEST_P(RuleEvaluationTest, SendMethodRuleSetReturnsTheFirstMatchingRuleOrMinusOne) {
  const int32_t late = AddRule(RuleType::SENDMETHODRULE, "AND", 5);
  AddLineThatHolds(late, true);
  const int32_t early = AddRule(RuleType::SENDMETHODRULE, "AND", 2);
  AddLineThatHolds(early, true);
  const int32_t failing = AddRule(RuleType::SENDMETHODRULE, "AND", 1);
  AddLineThatHolds(failing, false);
  const int32_t other_partner = AddRule(RuleType::SENDMETHODRULE, "AND", 0);
  AddLineThatHolds(other_partner, true);
  for (int32_t rule : {late, early, failing}) {
    Link(rule, 12, "ORDERS", 5);
    Link(rule, 12, "ORDERS", 6);
  }
  Link(other_partner, 13, "ORDERS", 5);
  Link(-1, 12, "ORDERS", 7);
  const int32_t doc = AddDocument(kOrder, "jan");
  EXPECT_EQ(SendMethodRuleFor(doc, 12, "ORDERS"), early);
  EXPECT_EQ(SendMethodRuleFor(doc, 12, "INVOICE"), -1);
  EXPECT_EQ(SendMethodRuleFor(doc, 14, "ORDERS"), -1);
  Exec("UPDATE RULEHEADER SET ENABLED = 0 WHERE RULEID IN (" + std::to_string(early) + ", " +
       std::to_string(late) + ")");
  EXPECT_EQ(SendMethodRuleFor(doc, 12, "ORDERS"), -1);
}

TEST_P(RuleEvaluationTest, SendMethodRuleSetOfADocumentWithoutKnownSenderRaises) {
  const int32_t doc = AddDocument(kOrder, "stranger");
  const Error error = RaisedBy([&] { SendMethodRuleFor(doc, 12, "ORDERS"); });
  EXPECT_TRUE(Contains(error.description(), "Velmora.Rules.ExecuteSendMethodRuleSet caught"))
      << error.description();
}

TEST_P(RuleEvaluationTest, QuotedValuesAndTypesAreMatchedLiterally) {
  const std::string type = "O'Rourke \"Ordre\"";
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "AND");
  AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::XSLPATTERN, "//NAME", Condition::ISEXACTLY,
          "D'Arcy \"Jr\"");
  Link(rule, 12, type, 5);
  EXPECT_EQ(SendMethodRuleFor(AddDocument("<A><NAME>D'Arcy \"Jr\"</NAME></A>", "jan"), 12, type),
            rule);
  EXPECT_EQ(SendMethodRuleFor(AddDocument("<A><NAME>D'Arcy</NAME></A>", "jan"), 12, type), -1);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RuleEvaluationTest);

}  // namespace
}  // namespace velmora
