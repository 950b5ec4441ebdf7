#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "rules/rule_fixture.h"
#include "support/expectations.h"

namespace velmora {
namespace {

using testing::Contains;
using testing::RaisedBy;

// What the fake plug-in saw and what it answers.
struct PlugInLog {
  Variant answer = Variant(true);
  int calls = 0;
  std::vector<std::string> arguments;
};

// A plug-in reached late bound: method "Decide" takes the argument array and answers.
class FakePlugIn : public core::Dispatch {
 public:
  explicit FakePlugIn(std::shared_ptr<PlugInLog> log) : log_(std::move(log)) {}
  std::string TypeName() const override { return "FakePlugIn"; }
  bool HasMethod(const std::string& method) const override { return method == "Decide"; }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    if (method != "Decide") {
      throw Error(kErrUnknownMethod, "FakePlugIn", "no method " + method);
    }
    if (args.size() != 1) {
      throw Error(kErrWrongArgumentCount, "FakePlugIn", "one argument");
    }
    ++log_->calls;
    log_->arguments.clear();
    for (const Variant& value : args[0].AsArray().values()) {
      log_->arguments.push_back(value.ToText());
    }
    return log_->answer;
  }

 private:
  std::shared_ptr<PlugInLog> log_;
};

constexpr const char* kMethod = "Fake.Rules.Decide";
constexpr const char* kOrder = "<ORDER id=\"7\"><CITY>Delft</CITY><QTY>10</QTY></ORDER>";

class RulePlugInTest : public testing::RuleTest {
 protected:
  RulePlugInTest()
      : log_(std::make_shared<PlugInLog>()),
        component_("Fake.Rules", [log = log_] { return std::make_shared<FakePlugIn>(log); }) {}

  // A document type rule decided by the plug-in, with lines selecting CITY, @id, a missing
  // element and QTY.
  int32_t AddPlugInRule(const std::string& description = "decided by O'Neil") {
    const int32_t rule =
        AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "PLUGGED", kMethod, true, description);
    AddLine(rule, FieldType::NUMERICFIELD, TagAttrXsl::TAGVALUE, "CITY", Condition::PARTOF, "");
    AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::ATTRVALUE, "id", Condition::ISEXACTLY,
            "nothing");
    AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "MISSING", Condition::ISNOT, "");
    AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::XSLPATTERN, "//QTY", Condition::ISNOT, "");
    return rule;
  }

  std::shared_ptr<PlugInLog> log_;
  core::ScopedComponent component_;
};

TEST_P(RulePlugInTest, PlugInDecidesWithTheValuesOfTheLinesInOrder) {
  AddPlugInRule();
  EXPECT_EQ(TypeFor(-1, kOrder), "PLUGGED");
  EXPECT_EQ(log_->calls, 1);
  EXPECT_EQ(log_->arguments, (std::vector<std::string>{"Delft", "7", "", "10"}));
  log_->answer = Variant(false);
  EXPECT_EQ(TypeFor(-1, kOrder), "");
  EXPECT_EQ(log_->calls, 2);
}

TEST_P(RulePlugInTest, PlugInRuleWithoutLinesGetsAnEmptyArray) {
  AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "PLUGGED", kMethod);
  EXPECT_EQ(TypeFor(-1, kOrder), "PLUGGED");
  EXPECT_EQ(log_->calls, 1);
  EXPECT_TRUE(log_->arguments.empty());
}

TEST_P(RulePlugInTest, AnswerThatIsNotTrueOrFalseEndsTheRuleSet) {
  const int32_t rule = AddPlugInRule();
  AddTypeRule(-1, "LATER", "CITY", "Delft", 2);
  log_->answer = Variant("perhaps");
  const Error error = RaisedBy([&] { TypeFor(-1, kOrder); });
  const std::string& chain = error.description();
  EXPECT_TRUE(Contains(chain, "Velmora.Rules.ExecuteRule caught")) << chain;
  EXPECT_TRUE(Contains(chain,
                       "Method 'Fake.Rules.Decide' with arguments 'Delft, 7, , 10' did "
                       "not return true or false while executing rule 'decided by "
                       "O'Neil' with id = " +
                           std::to_string(rule)))
      << chain;
  EXPECT_TRUE(Contains(chain, "Velmora.Rules.ExecuteDocumentTypeRuleSet caught")) << chain;
}

TEST_P(RulePlugInTest, MissingPlugInEndsTheRuleSet) {
  const int32_t rule =
      AddRule(RuleType::DOCUMENTTYPERULE, "AND", 1, -1, "PLUGGED", "Nobody.Home.Decide");
  const Error error = RaisedBy([&] { TypeFor(-1, kOrder); });
  EXPECT_TRUE(Contains(error.description(), "with id = " + std::to_string(rule)))
      << error.description();
}

TEST_P(RulePlugInTest, SendMethodRulesCanBeDecidedByAPlugIn) {
  const int32_t rule = AddRule(RuleType::SENDMETHODRULE, "OR", 1, -1, "", kMethod);
  AddLine(rule, FieldType::STRINGFIELD, TagAttrXsl::TAGVALUE, "CITY", Condition::ISEXACTLY, "");
  Link(rule, 12, "ORDERS", 5);
  Link(rule, 12, "ORDERS", 6);
  EXPECT_EQ(SendMethodRuleFor(AddDocument(kOrder, "jan"), 12, "ORDERS"), rule);
  EXPECT_EQ(log_->calls, 1);
  EXPECT_EQ(log_->arguments, (std::vector<std::string>{"Delft"}));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RulePlugInTest);

}  // namespace
}  // namespace velmora
