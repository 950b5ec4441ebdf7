#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/class_registry.h"
#include "automation/registration.h"
#include "core/components.h"
#include "support/capture_log.h"
#include "support/expectations.h"
#include "support/temp_home.h"
#include "velmora/base/error.h"
#include "velmora/delivery/method_call.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

using testing::Contains;
using testing::RaisedBy;

constexpr const char* kComponents =
    "<components>"
    "<component progid='Sample.WordCheck' library='" VELMORA_SAMPLE_PLUGIN
    "' factory='sample_create_word_check'/>"
    "<component progid='Test.LateBound' library='" VELMORA_BROKEN_PLUGIN
    "' factory='broken_late_bound_only'/>"
    "<component progid='Test.Failing' library='" VELMORA_BROKEN_PLUGIN
    "' factory='broken_failing_method_call'/>"
    "<component progid='Test.Refusing' library='" VELMORA_BROKEN_PLUGIN
    "' factory='broken_refuses_to_start'/>"
    "<component progid='Test.NoFactory' library='" VELMORA_BROKEN_PLUGIN
    "' factory='no_such_factory'/>"
    "<component progid='Test.WrongAbi' library='" VELMORA_WRONG_ABI_PLUGIN
    "' factory='wrong_abi_create'/>"
    "</components>";

// The failure text of CallMethod for `string`.
std::string NotFound(const std::string& string) {
  return "object " + string + " not found or method called with wrong number/type of arguments";
}

Variant Texts(const std::vector<std::string>& texts) {
  VariantArray array(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    array.At(static_cast<int32_t>(i)) = Variant(texts[i]);
  }
  return Variant(std::move(array));
}

// An object that is neither a plug-in interface nor callable by name.
class Opaque : public Object {
 public:
  std::string TypeName() const override { return "Opaque"; }
};

// Utility's plug-in calls in an installation whose components.xml names the sample plug-in
// and the broken test plug-ins.
class UtilityPluginsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    automation::RegisterAllClasses();
    std::filesystem::create_directories(home_.config_dir());
    testing::WriteFile(home_.config_dir() + "/components.xml", kComponents);
  }

  bool Call(std::string string, Variant& arguments) {
    return utility_.CallMethod(string, arguments);
  }
  bool Check(std::string string) { return utility_.CheckMethodCall(string); }
  // The error of a CallMethod that fails.
  Error CallFails(const std::string& string, Variant arguments = Variant("<ORDER/>")) {
    return RaisedBy([&] { Call(string, arguments); });
  }

  testing::TempHome home_;
  testing::CaptureLog log_;
  Utility utility_;
};

// ---- The method string ----

TEST_F(UtilityPluginsTest, ClassIsTheTextBeforeTheSecondDot) {
  const auto split = [&](std::string string) {
    return std::vector<std::string>{utility_.GetClass(string).ToText(),
                                    utility_.GetMethod(string).ToText()};
  };
  using Parts = std::vector<std::string>;
  EXPECT_EQ(split("comp.class"), (Parts{"comp.class", ""}));
  EXPECT_EQ(split("comp.class.method"), (Parts{"comp.class", "method"}));
  EXPECT_EQ(split("comp.class."), (Parts{"comp.class", ""}));
  EXPECT_EQ(split("comp.class.a.b"), (Parts{"comp.class", "a.b"}));
  EXPECT_EQ(split("comp"), (Parts{"comp", ""}));
  EXPECT_EQ(split(""), (Parts{"", ""}));
  EXPECT_EQ(split(".."), (Parts{".", ""}));
}

// ---- CallMethod ----

TEST_F(UtilityPluginsTest, ClassAloneCallsMethodCallThroughTheInterface) {
  Variant document("<ORDER/>");
  EXPECT_TRUE(Call("Sample.WordCheck", document));
  EXPECT_EQ(document, Variant("<ORDER/>"));
  Variant empty("");
  EXPECT_FALSE(Call("sample.wordcheck", empty));
}

TEST_F(UtilityPluginsTest, NamedMethodIsCalledWithTheArguments) {
  Variant found = Texts({"Urgent delivery", "urgent"});
  EXPECT_TRUE(Call("Sample.WordCheck.ContainsWord", found));
  Variant missing = Texts({"Normal delivery", "urgent"});
  EXPECT_FALSE(Call("Sample.WordCheck.ContainsWord", missing));
}

TEST_F(UtilityPluginsTest, ComponentWithoutTheInterfaceIsCalledLateBound) {
  Variant argument("text");
  EXPECT_TRUE(Call("Test.LateBound", argument));
  EXPECT_EQ(argument, Variant("seen: text"));  // by reference
  Variant answer(int32_t{0});
  EXPECT_FALSE(Call("Test.LateBound.Answer", answer));
}

TEST_F(UtilityPluginsTest, LibrarysOwnInterfaceClassAnswersFalse) {
  Variant document("<ORDER/>");
  EXPECT_FALSE(Call("Velmora.IMethodCall", document));
}

TEST_F(UtilityPluginsTest, FailureNamesTheMethodString) {
  const Error missing = CallFails("Missing.Component");
  EXPECT_EQ(missing.number(), kErrCannotCreateObject);
  EXPECT_TRUE(Contains(missing.description(), "Velmora.Utility.CallMethod"));
  EXPECT_TRUE(Contains(missing.description(), NotFound("Missing.Component")));

  const Error method = CallFails("Sample.WordCheck.NoSuchMethod");
  EXPECT_EQ(method.number(), kErrUnknownMethod);
  EXPECT_TRUE(Contains(method.description(), NotFound("Sample.WordCheck.NoSuchMethod")));

  // An argument the named method cannot take.
  const Error argument = CallFails("Sample.WordCheck.ContainsWord", Variant("no array"));
  EXPECT_EQ(argument.number(), kErrTypeMismatch);

  // Neither the interface nor the late-bound member.
  const Error no_member = CallFails("Velmora.IMethodCall24");
  EXPECT_EQ(no_member.number(), kErrUnknownMethod);
  EXPECT_TRUE(Contains(no_member.description(), NotFound("Velmora.IMethodCall24")));
}

TEST_F(UtilityPluginsTest, PluginErrorsKeepTheirNumber) {
  const Error failing = CallFails("Test.Failing");
  EXPECT_EQ(failing.number(), 4321);
  EXPECT_TRUE(Contains(failing.description(), "cannot take this document"));
  EXPECT_TRUE(Contains(failing.description(), NotFound("Test.Failing")));
  EXPECT_EQ(CallFails("Test.Refusing").number(), 1234);
  EXPECT_EQ(CallFails("Test.NoFactory").number(), kErrCannotCreateObject);
  EXPECT_EQ(CallFails("Test.WrongAbi").number(), kErrCannotCreateObject);
}

TEST_F(UtilityPluginsTest, ObjectThatCannotBeCalledFails) {
  core::ScopedComponent opaque("Test.Opaque", [] { return std::make_shared<Opaque>(); });
  const Error error = CallFails("Test.Opaque");
  EXPECT_EQ(error.number(), kErrUnknownMethod);
  EXPECT_TRUE(Contains(error.description(), NotFound("Test.Opaque")));
}

TEST_F(UtilityPluginsTest, FailureIsLogged) {
  CallFails("Missing.Component");
  const auto entries = log_.entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_TRUE(Contains(entries.back().text, "Velmora.Utility.CallMethod"));
}

// ---- CheckMethodCall ----

TEST_F(UtilityPluginsTest, CheckAnswersWhetherTheComponentCanBeCreated) {
  EXPECT_TRUE(Check("Sample.WordCheck"));
  EXPECT_TRUE(Check("Sample.WordCheck.NoSuchMethod"));  // nothing is called
  EXPECT_TRUE(Check("Velmora.IMethodCall"));
  EXPECT_FALSE(Check("Missing.Component"));
  EXPECT_FALSE(Check("Test.Refusing"));
  EXPECT_FALSE(Check("Test.WrongAbi"));
  EXPECT_FALSE(Check(""));
}

// ---- Through the automation layer ----

TEST_F(UtilityPluginsTest, PluginCallsThroughTheAutomationLayer) {
  auto& registry = automation::ClassRegistry::Global();
  std::vector<Variant> split{Variant("comp.class.method")};
  EXPECT_EQ(registry.Call("Velmora.Utility", "GetMethod", split), Variant("method"));

  std::vector<Variant> call{Variant("Test.LateBound"), Variant("text")};
  EXPECT_EQ(registry.Call("Velmora.Utility", "CallMethod", call), Variant(true));
  EXPECT_EQ(call[1], Variant("seen: text"));

  std::vector<Variant> check{Variant("Missing.Component")};
  EXPECT_EQ(registry.Call("Velmora.Utility", "CheckMethodCall", check), Variant(false));

  const auto reply =
      automation::CallAndReply("Velmora.Utility", "CallMethod", {Variant("Missing.Component")});
  EXPECT_TRUE(reply.failed);
}

// The published by-reference parameters stay by reference for script callers: the plug-in's
// arguments (written by the call) and the method string (an input the C++ side takes as const).
TEST_F(UtilityPluginsTest, PublishedByReferenceParametersAreWrittenBack) {
  const auto reply = automation::CallAndReply("Velmora.Utility", "CallMethod",
                                              {Variant(int64_t{42}), Variant("text")});
  EXPECT_TRUE(reply.failed);
  EXPECT_NE(reply.json.find(R"("args":["42","text"])"), std::string::npos) << reply.json;

  const auto seen = automation::CallAndReply("Velmora.Utility", "CallMethod",
                                             {Variant("Test.LateBound"), Variant("text")});
  EXPECT_NE(seen.json.find(R"("args":["Test.LateBound","seen: text"])"), std::string::npos)
      << seen.json;

  const automation::Method* get_class =
      automation::ClassRegistry::Global().Find("Velmora.Utility")->Find("GetClass");
  ASSERT_NE(get_class, nullptr);
  EXPECT_EQ(get_class->params[0].kind, automation::ParamKind::kByRef);
}

TEST_F(UtilityPluginsTest, InterfaceClassesAreRegisteredWithEmptyBodies) {
  auto& registry = automation::ClassRegistry::Global();
  std::vector<Variant> document{Variant("<ORDER/>")};
  EXPECT_EQ(registry.Call("Velmora.IMethodCall", "MethodCall", document), Variant(false));
  std::vector<Variant> workbook{Variant(ObjectRef())};
  EXPECT_EQ(registry.Call("Velmora.IMethodCall", "GetExcelWorkBook", workbook), Variant(false));
  std::vector<Variant> none;
  EXPECT_TRUE(registry.Call("Velmora.IMethodCall24", "Process", none).IsEmpty());
  std::vector<Variant> attachments{Texts({"/a/1.pdf"})};
  registry.Call("Velmora.IMethodCall24", "setDocumentAttachments", attachments);
  EXPECT_EQ(attachments[0], Texts({"/a/1.pdf"}));
  for (const char* method :
       {"setBusinessPartnerID", "setDocumentID", "setDocumentXML", "setExcelWorkBook"}) {
    EXPECT_NE(registry.Find("Velmora.IMethodCall24")->Find(method), nullptr) << method;
  }
}

// ---- Created by ProgID ----

TEST_F(UtilityPluginsTest, PluginObjectAnswersForTheInterfacesItImplements) {
  auto& components = core::ComponentRegistry::Global();
  const ObjectRef sample = components.Create("Sample.WordCheck");
  EXPECT_NE(std::dynamic_pointer_cast<IMethodCall>(sample), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<IMethodCall24>(sample), nullptr);
  const ObjectRef late = components.Create("Test.LateBound");
  EXPECT_EQ(std::dynamic_pointer_cast<IMethodCall>(late), nullptr);
  EXPECT_EQ(std::dynamic_pointer_cast<IMethodCall24>(late), nullptr);
  const ObjectRef failing = components.Create("Test.Failing");
  EXPECT_NE(std::dynamic_pointer_cast<IMethodCall>(failing), nullptr);
  EXPECT_EQ(std::dynamic_pointer_cast<IMethodCall24>(failing), nullptr);
}

}  // namespace
}  // namespace velmora
