#include "automation/class_registry.h"

#include <gtest/gtest.h>

#include "automation/call_service.h"
#include "core/components.h"
#include "core/dispatch.h"
#include "velmora/base/dictionary.h"

namespace velmora::automation {
namespace {

// A class with the shapes public methods have: in, by-reference and optional parameters,
// values, arrays and objects.
class Sample {
 public:
  int32_t Add(int32_t a, int32_t b) { return a + b; }
  void Split(const std::string& text, std::string& o_sHead, std::string& o_sTail) {
    o_sHead = text.substr(0, 1);
    o_sTail = text.substr(1);
  }
  std::string Greet(const std::string& name, int32_t times) {
    std::string out;
    for (int32_t i = 0; i < times; ++i) {
      out += "Hello " + name + ";";
    }
    return out;
  }
  void FillThenFail(VariantArray& o_aErrors) {
    o_aErrors = VariantArray(3);
    o_aErrors.At(0) = Variant("first problem");
    throw Error(-2147220953, "Velmora.Sample.FillThenFail", "rejected");
  }
  std::shared_ptr<Dictionary> Pairs(int32_t count) {
    auto dictionary = std::make_shared<Dictionary>();
    for (int32_t i = count; i > 0; --i) {
      dictionary->Add("k" + std::to_string(i), Variant(i));
    }
    return dictionary;
  }
  Variant Grid() {
    auto rows = VariantArray::TwoDimensional(2, 3);
    for (int32_t field = 0; field < 2; ++field) {
      for (int32_t row = 0; row < 3; ++row) {
        rows.At(field, row) = Variant(field * 10 + row);
      }
    }
    return Variant(rows);
  }
  int32_t Length(Bytes data) { return static_cast<int32_t>(data.size()); }
  int32_t Width(const std::string& text, int32_t pad) {
    return static_cast<int32_t>(text.size()) + pad;
  }
};

class ClassRegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ClassRegistry::Global()
        .Add("Velmora.Sample")
        .Bind("Add", &Sample::Add, {"a", "b"})
        .Bind("Split", &Sample::Split, {"text", "o_sHead", "o_sTail"})
        .Bind("Greet", &Sample::Greet, {"name", Opt("times", Variant(1))})
        .Bind("FillThenFail", &Sample::FillThenFail, {"o_aErrors"})
        .Bind("Pairs", &Sample::Pairs, {"count"})
        .Bind("Grid", &Sample::Grid)
        .Bind("Length", &Sample::Length, {"data"})
        .Bind("Width", &Sample::Width, {Ref("text"), OptRef("pad", Variant(0))});
  }

  static int32_t NumberOf(const std::string& method, std::vector<Variant> args) {
    try {
      ClassRegistry::Global().Call("Velmora.Sample", method, args);
    } catch (const Error& raised) {
      return raised.number();
    }
    return 0;
  }
};

TEST_F(ClassRegistryTest, ConvertsArgumentsAndMatchesNamesWithoutCase) {
  std::vector<Variant> args{Variant("40"), Variant(2)};
  EXPECT_EQ(ClassRegistry::Global().Call("velmora.sample", "ADD", args).ToInt32(), 42);
}

TEST_F(ClassRegistryTest, WritesByReferenceArgumentsBack) {
  std::vector<Variant> args{Variant("xyz"), Variant(), Variant()};
  ClassRegistry::Global().Call("Velmora.Sample", "Split", args);
  EXPECT_EQ(args[0].ToText(), "xyz");
  EXPECT_EQ(args[1].ToText(), "x");
  EXPECT_EQ(args[2].ToText(), "yz");
}

TEST_F(ClassRegistryTest, MarkedInputsAreByReferenceAndGoBackAsTheMethodReceivedThem) {
  const Method* width = ClassRegistry::Global().Find("Velmora.Sample")->Find("Width");
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(width->params[0].kind, ParamKind::kByRef);
  EXPECT_EQ(width->params[1].kind, ParamKind::kByRef);
  EXPECT_TRUE(width->params[1].optional);
  const Method* add = ClassRegistry::Global().Find("Velmora.Sample")->Find("Add");
  EXPECT_EQ(add->params[0].kind, ParamKind::kIn);

  struct Case {
    Variant text;
    Variant pad;
    int32_t width;
    Variant text_back;
    Variant pad_back;
  };
  const Case cases[] = {
      {Variant("abc"), Variant(2), 5, Variant("abc"), Variant(2)},
      // Converted on the way in, and written back in the type the method took.
      {Variant(1234), Variant("1"), 5, Variant("1234"), Variant(1)},
      // A placeholder for a by-reference argument starts from the type's default.
      {Variant::MakeNull(), Variant(), 0, Variant(""), Variant(0)},
  };
  for (const Case& c : cases) {
    std::vector<Variant> args{c.text, c.pad};
    EXPECT_EQ(ClassRegistry::Global().Call("Velmora.Sample", "Width", args).ToInt32(), c.width);
    EXPECT_EQ(args[0], c.text_back);
    EXPECT_EQ(args[1], c.pad_back);
  }
}

TEST_F(ClassRegistryTest, OptionalArgumentsTakeTheirDefaults) {
  std::vector<Variant> one{Variant("Ann")};
  EXPECT_EQ(ClassRegistry::Global().Call("Velmora.Sample", "Greet", one).ToText(), "Hello Ann;");
  EXPECT_EQ(one.size(), 1u) << "defaults must not show up as arguments the caller passed";
  std::vector<Variant> two{Variant("Bo"), Variant(2)};
  EXPECT_EQ(ClassRegistry::Global().Call("Velmora.Sample", "Greet", two).ToText(),
            "Hello Bo;Hello Bo;");
}

TEST_F(ClassRegistryTest, BadCallsRaiseNumberedErrors) {
  EXPECT_EQ(NumberOf("Add", {Variant(1)}), kErrWrongArgumentCount);
  EXPECT_EQ(NumberOf("Add", {Variant(1), Variant(2), Variant(3)}), kErrWrongArgumentCount);
  EXPECT_EQ(NumberOf("Greet", {}), kErrWrongArgumentCount);
  EXPECT_EQ(NumberOf("Nope", {}), kErrUnknownMethod);
  EXPECT_EQ(NumberOf("Add", {Variant("one"), Variant(2)}), kErrTypeMismatch);
  EXPECT_EQ(NumberOf("Add", {Variant(int64_t{1} << 40), Variant(2)}), kErrOverflow);
  std::vector<Variant> none;
  try {
    ClassRegistry::Global().Call("Velmora.Nothing", "X", none);
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), kErrCannotCreateObject);
  }
}

TEST_F(ClassRegistryTest, ConversionFailuresNameTheArgument) {
  std::vector<Variant> args{Variant(1), Variant("two")};
  try {
    ClassRegistry::Global().Call("Velmora.Sample", "Add", args);
    FAIL();
  } catch (const Error& raised) {
    EXPECT_NE(raised.description().find("Argument 2 (b)"), std::string::npos)
        << raised.description();
    EXPECT_EQ(raised.source(), "Velmora.Sample.Add");
  }
}

TEST_F(ClassRegistryTest, ClassesAreCreatableByProgIdAsDispatchObjects) {
  auto object = core::ComponentRegistry::Global().Create("Velmora.Sample");
  auto dispatch = std::dynamic_pointer_cast<core::Dispatch>(object);
  ASSERT_NE(dispatch, nullptr);
  EXPECT_TRUE(dispatch->HasMethod("greet"));
  EXPECT_FALSE(dispatch->HasMethod("Missing"));
  std::vector<Variant> args{Variant(1), Variant(1)};
  EXPECT_EQ(dispatch->Invoke("Add", args).ToInt32(), 2);
}

TEST_F(ClassRegistryTest, ReplyCarriesResultAndArgumentsAfterTheCall) {
  const CallReply reply =
      CallAndReply("Velmora.Sample", "Split", {Variant("ab"), Variant(), Variant()});
  EXPECT_FALSE(reply.failed);
  EXPECT_EQ(reply.json, R"({"result":null,"args":["ab","a","b"]})");
}

TEST_F(ClassRegistryTest, ReplyToAFailureKeepsWhatTheMethodWroteBeforeItRaised) {
  const CallReply reply = CallAndReply("Velmora.Sample", "FillThenFail", {Variant()});
  EXPECT_TRUE(reply.failed);
  EXPECT_EQ(reply.json, R"({"error":{"number":-2147220953,"source":"Velmora.Sample.FillThenFail",)"
                        R"("description":"rejected"},"args":[["first problem",null,null]]})");
}

TEST_F(ClassRegistryTest, ObjectsAndGridsMapToJson) {
  EXPECT_EQ(CallAndReply("Velmora.Sample", "Pairs", {Variant(2)}).json,
            R"({"result":{"k2":2,"k1":1},"args":[2]})");
  EXPECT_EQ(CallAndReply("Velmora.Sample", "Grid", {}).json,
            R"({"result":[[0,1,2],[10,11,12]],"args":[]})");
}

TEST_F(ClassRegistryTest, ByteArraysArriveAsIntegersOrBase64) {
  EXPECT_EQ(CallAndReply("Velmora.Sample", "Length", {ArgumentFromText("[1,2,255]")}).json,
            R"({"result":3,"args":[[1,2,255]]})");
  EXPECT_EQ(CallAndReply("Velmora.Sample", "Length", {ArgumentFromText("AAEC/w==")}).json,
            R"({"result":4,"args":["AAEC/w=="]})");
  EXPECT_TRUE(CallAndReply("Velmora.Sample", "Length", {ArgumentFromText("[1,256]")}).failed);
  EXPECT_TRUE(CallAndReply("Velmora.Sample", "Length", {ArgumentFromText("not*base64")}).failed);
}

TEST(ArgumentFromTextTest, ReadsJsonWhenItIsJsonAndTextOtherwise) {
  EXPECT_EQ(ArgumentFromText("42").kind(), Variant::Kind::kInt32);
  EXPECT_EQ(ArgumentFromText("SeNt").ToText(), "SeNt");
  EXPECT_EQ(ArgumentFromText("\" Sent \"").ToText(), " Sent ");
  EXPECT_EQ(ArgumentFromText("-1").ToInt32(), -1);
  EXPECT_EQ(ArgumentFromText("12345678901").kind(), Variant::Kind::kInt64);
  EXPECT_TRUE(ArgumentFromText("null").IsNull());
  EXPECT_EQ(ArgumentFromText("{\"a\": 1").ToText(), "{\"a\": 1");
}

}  // namespace
}  // namespace velmora::automation
