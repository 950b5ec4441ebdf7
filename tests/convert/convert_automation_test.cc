#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/call_service.h"
#include "automation/class_registry.h"
#include "core/dispatch.h"
#include "core/general.h"
#include "support/library_db_test.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

using automation::CallAndReply;

constexpr const char* kOrder =
    "<OBIOrder version=\"3.0\"><Envelope>"
    "<Sender><PartnerName>Acme</PartnerName></Sender>"
    "<Receiver><PartnerName>Bolt</PartnerName></Receiver>"
    "</Envelope></OBIOrder>";

// Velmora.Base64 and Velmora.OBI as late-bound callers reach them.
class ConvertAutomationTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    automation::RegisterAllClasses();
  }

  static Variant Call(const std::string& progid, const std::string& method,
                      std::vector<Variant>& args) {
    return automation::ClassRegistry::Global().Call(progid, method, args);
  }

  static Variant Numbers(std::vector<int32_t> values) {
    VariantArray array(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      array.At(static_cast<int32_t>(i)) = Variant(values[i]);
    }
    return Variant(std::move(array));
  }
};

TEST_P(ConvertAutomationTest, Base64EncodesAnArrayOfNumbers) {
  EXPECT_EQ(CallAndReply("Velmora.Base64", "Base64Encode", {Numbers({97, 98, 99})}).json,
            R"({"result":"YWJj","args":["YWJj"]})");
  EXPECT_EQ(
      CallAndReply("Velmora.Base64", "InsertNewlineChars", {Variant("abcde"), Variant(2)}).json,
      R"({"result":"ab\r\ncd\r\ne","args":["abcde",2]})");
}

TEST_P(ConvertAutomationTest, Base64RefusalsComeBackAsErrorReplies) {
  const automation::CallReply reply =
      CallAndReply("Velmora.Base64", "Base64Decode", {Variant("YWJjZ")});
  EXPECT_TRUE(reply.failed);
  EXPECT_NE(
      reply.json.find("\"number\":" + std::to_string(ErrNumber(EnumerationErrors::MissingInput))),
      std::string::npos)
      << reply.json;
  std::vector<Variant> args{Variant("YW\r\n Jj")};
  EXPECT_EQ(Call("Velmora.Base64", "Base64Decode", args), Variant(Bytes{'a', 'b', 'c'}));
}

TEST_P(ConvertAutomationTest, ObiObjectsTravelThroughByReferenceArguments) {
  std::vector<Variant> construct{Numbers({3, 0}), Variant(3), Variant(kOrder), Numbers({9, 8}),
                                 Variant()};
  Call("Velmora.OBI", "ConstructObiObject", construct);
  ASSERT_EQ(construct[4].kind(), Variant::Kind::kText);

  std::vector<Variant> deconstruct{construct[4], Variant(), Variant(), Variant(), Variant()};
  Call("Velmora.OBI", "DeconstructObiObject", deconstruct);
  EXPECT_EQ(deconstruct[1], Variant(Bytes{3, 0}));
  EXPECT_EQ(deconstruct[2], Variant(int32_t{3}));
  EXPECT_EQ(deconstruct[3], Variant(kOrder));
  EXPECT_EQ(deconstruct[4], Variant(Bytes{9, 8}));

  std::vector<Variant> none;
  EXPECT_EQ(Call("Velmora.OBI", "IsOBIEnabled", none), Variant(false));
}

TEST_P(ConvertAutomationTest, DocumentInfoAsksOnlyForThePassedOutputs) {
  std::vector<Variant> two{Variant::MakeNull(), Variant(kOrder)};
  EXPECT_EQ(Call("Velmora.OBI", "GetObiDocumentInfo", two), Variant(true));
  EXPECT_EQ(two.size(), 2u);

  std::vector<Variant> sender{Variant::MakeNull(), Variant(kOrder), Variant(), Variant(),
                              Variant()};
  EXPECT_EQ(Call("Velmora.OBI", "GetObiDocumentInfo", sender), Variant(true));
  EXPECT_EQ(sender[2], Variant("OBIOrder"));
  EXPECT_EQ(sender[3], Variant("Acme"));
  EXPECT_EQ(sender[4], Variant("Acme"));

  std::vector<Variant> all{Variant::MakeNull(), Variant("<ORDER/>"), Variant("T"), Variant(),
                           Variant(),           Variant(),           Variant("R")};
  EXPECT_EQ(Call("Velmora.OBI", "GetObiDocumentInfo", all), Variant(false));
  EXPECT_EQ(all[2], Variant("T"));
  EXPECT_EQ(all[6], Variant("R"));
}

TEST_P(ConvertAutomationTest, TheObiServiceIsAComponent) {
  auto obi = core::GetComponent<core::Dispatch>("Velmora.OBI");
  ASSERT_NE(obi, nullptr);
  std::vector<Variant> args{Variant(), Variant(kOrder), Variant(), Variant(),
                            Variant(), Variant(),       Variant()};
  EXPECT_EQ(obi->Invoke("GetObiDocumentInfo", args), Variant(true));
  EXPECT_EQ(args[5], Variant("Bolt"));
  EXPECT_EQ(args[6], Variant("Bolt"));
  std::vector<Variant> version{Variant(), Variant(kOrder)};
  EXPECT_EQ(obi->Invoke("GetObiDocumentVersion", version), Variant(Bytes{3, 0}));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(ConvertAutomationTest);

}  // namespace
}  // namespace velmora
