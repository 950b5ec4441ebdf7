#include "velmora/support/pipeline.h"

#include <gtest/gtest.h>

#include "automation/registration.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"
#include "velmora/host/referential_integrity.h"

namespace velmora {
namespace {

VariantArray Values(std::initializer_list<Variant> values, int32_t lower = 0) {
  VariantArray array(values.size(), lower);
  int32_t i = lower;
  for (const Variant& value : values) {
    array.At(i++) = value;
  }
  return array;
}

class PipelineTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    Exec(
        "INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, RULEID) "
        "VALUES (1, 12, 'O''Neil ü', -1)");
  }
  Pipeline pipeline_;
};

TEST_P(PipelineTest, APartnerIsReferencedExactlyWhenItHasSendMethods) {
  for (const char* origin : {"BUSINESSPARTNER", "businesspartner", "BusinessPartner"}) {
    SCOPED_TRACE(origin);
    EXPECT_TRUE(pipeline_.Exists(Variant(origin), Values({Variant("BUSINESSPARTNERID")}),
                                 Values({Variant(int32_t{12})})));
    EXPECT_FALSE(pipeline_.Exists(Variant(origin), Values({Variant("BUSINESSPARTNERID")}),
                                  Values({Variant("13")})));
  }
}

TEST_P(PipelineTest, TheLastMatchingKeyDecides) {
  const VariantArray keys =
      Values({Variant("BUSINESSPARTNERID"), Variant("OTHER"), Variant("BUSINESSPARTNERID")}, 1);
  EXPECT_FALSE(pipeline_.Exists(Variant("BUSINESSPARTNER"), keys,
                                Values({Variant(12), Variant(12), Variant(13)}, 1)));
  EXPECT_TRUE(pipeline_.Exists(Variant("BUSINESSPARTNER"), keys,
                               Values({Variant(13), Variant(13), Variant(12)}, 1)));
}

TEST_P(PipelineTest, DocumentTypesAreMatchedAsText) {
  const VariantArray keys = Values({Variant("DOCUMENTTYPEID")});
  EXPECT_TRUE(pipeline_.Exists(Variant("documenttype"), keys, Values({Variant("O'Neil ü")})));
  EXPECT_FALSE(pipeline_.Exists(Variant("DOCUMENTTYPE"), keys, Values({Variant("x' OR '1'='1")})));
}

TEST_P(PipelineTest, OtherOriginsAndMissingKeysAnswerTrueWithoutQuerying) {
  Exec("DROP TABLE SENDMETHOD");
  EXPECT_TRUE(
      pipeline_.Exists(Variant("USER"), Values({Variant("USERID")}), Values({Variant("bob")})));
  EXPECT_TRUE(pipeline_.Exists(Variant("DOCUMENTTYPE"), Values({Variant("BUSINESSPARTNERID")}),
                               Values({Variant(12)})));
  EXPECT_TRUE(pipeline_.Exists(Variant("DOCUMENTTYPE"), VariantArray(), VariantArray()));
  // Key names compare exactly.
  EXPECT_TRUE(pipeline_.Exists(Variant("BUSINESSPARTNER"), Values({Variant("businesspartnerid")}),
                               Values({Variant(12)})));
  EXPECT_TRUE(pipeline_.BeforeDelete(
      Variant("BUSINESSPARTNER"), Values({Variant("BUSINESSPARTNERID")}), Values({Variant(12)})));
}

TEST_P(PipelineTest, FailuresCarryBothMarkersAndTheStatement) {
  Exec("DROP TABLE SENDMETHOD");
  try {
    pipeline_.Exists(Variant("BUSINESSPARTNER"), Values({Variant("BUSINESSPARTNERID")}),
                     Values({Variant(12)}));
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    const std::string& d = error.description();
    const std::string check =
        " / Velmora.Pipeline.CheckExistenceUsingSQL(SELECT BUSINESSPARTNERID FROM SENDMETHOD "
        "WHERE BUSINESSPARTNERID = 12)";
    const std::string exists = " / Velmora.Pipeline.IReferentialIntegrity_Exists()";
    ASSERT_NE(d.find(check), std::string::npos) << d;
    EXPECT_EQ(d.find(exists), d.size() - exists.size());
    EXPECT_LT(d.find(check), d.find(exists));
  }
}

TEST_P(PipelineTest, AValueThatIsNotANumberFailsWithTheExistsMarker) {
  try {
    pipeline_.Exists(Variant("BUSINESSPARTNER"), Values({Variant("BUSINESSPARTNERID")}),
                     Values({Variant("12 OR 1=1")}));
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kErrTypeMismatch);
    EXPECT_NE(error.description().find("IReferentialIntegrity_Exists()"), std::string::npos);
  }
}

TEST_P(PipelineTest, RegistersAsAParticipantOfTheHostsDeletes) {
  automation::ClassRegistry registry;
  automation::RegisterSupportClasses(registry);
  auto& participants = host::ReferentialIntegrityRegistry::Global();
  const auto refusal =
      participants.RefusalToDelete("BUSINESSPARTNER", "BUSINESSPARTNERID", Variant(int32_t{12}));
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(*refusal, "still referred to by Velmora.Pipeline");
  std::vector<Variant> args = {Variant("BUSINESSPARTNER"),
                               Variant(Values({Variant("BUSINESSPARTNERID")})),
                               Variant(Values({Variant(int32_t{99})}))};
  EXPECT_FALSE(registry.Call("Velmora.Pipeline", "Exists", args).ToBool());
  participants.Unregister("Velmora.Pipeline");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PipelineTest);

}  // namespace
}  // namespace velmora
