#include "velmora/host/referential_integrity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "velmora/base/error.h"

namespace velmora::host {
namespace {

// A participant with fixed answers that records what it was asked.
struct Calls {
  std::vector<std::string> asked;
};

class FakeParticipant : public ReferentialIntegrity {
 public:
  FakeParticipant(std::string name, Calls& calls, bool exists, bool allow, bool fail = false)
      : name_(std::move(name)), calls_(calls), exists_(exists), allow_(allow), fail_(fail) {}

  bool Exists(const Variant& origin, const VariantArray& keys,
              const VariantArray& values) override {
    calls_.asked.push_back(name_ + ".Exists(" + origin.ToText() + ", " + Pairs(keys, values) + ")");
    if (fail_) {
      throw Error(kErrPermissionDenied, name_, "cannot tell");
    }
    return exists_;
  }
  bool BeforeDelete(const Variant& origin, const VariantArray&, const VariantArray&) override {
    calls_.asked.push_back(name_ + ".BeforeDelete(" + origin.ToText() + ")");
    return allow_;
  }

 private:
  static std::string Pairs(const VariantArray& keys, const VariantArray& values) {
    std::string text;
    for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
      text += (text.empty() ? "" : ",") + keys.At(i).ToText() + "=" + values.At(i).ToText();
    }
    return text;
  }

  std::string name_;
  Calls& calls_;
  bool exists_;
  bool allow_;
  bool fail_;
};

class ReferentialIntegrityTest : public ::testing::Test {
 protected:
  void Add(const std::string& name, bool exists, bool allow, bool fail = false) {
    registry_.Register(name, [this, name, exists, allow, fail] {
      return std::make_shared<FakeParticipant>(name, calls_, exists, allow, fail);
    });
  }

  ReferentialIntegrityRegistry registry_;
  Calls calls_;
};

TEST_F(ReferentialIntegrityTest, WithoutParticipantsEveryDeleteMayGoOn) {
  EXPECT_FALSE(registry_.RefusalToDelete(kOriginUser, "USERID", Variant("alice")));
  EXPECT_TRUE(registry_.Names().empty());
}

TEST_F(ReferentialIntegrityTest, AsksEveryParticipantExistsThenBeforeDelete) {
  Add("Velmora.Pipeline", false, true);
  Add("Velmora.DistributionList", false, true);
  EXPECT_FALSE(
      registry_.RefusalToDelete(kOriginBusinessPartner, "BUSINESSPARTNERID", Variant(int32_t{12})));
  EXPECT_EQ(calls_.asked,
            (std::vector<std::string>{
                "Velmora.DistributionList.Exists(BUSINESSPARTNER, BUSINESSPARTNERID=12)",
                "Velmora.Pipeline.Exists(BUSINESSPARTNER, BUSINESSPARTNERID=12)",
                "Velmora.DistributionList.BeforeDelete(BUSINESSPARTNER)",
                "Velmora.Pipeline.BeforeDelete(BUSINESSPARTNER)"}));
}

TEST_F(ReferentialIntegrityTest, AReferenceStopsTheCheckAndNamesTheParticipant) {
  Add("A.First", false, true);
  Add("B.Referrer", true, true);
  Add("C.Never", false, true);
  const auto refusal =
      registry_.RefusalToDelete(kOriginDocumentType, "DOCUMENTTYPEID", Variant("ORDERS"));
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, "still referred to by B.Referrer");
  EXPECT_EQ(calls_.asked, (std::vector<std::string>{"A.First.Exists(DOCUMENTTYPE, "
                                                    "DOCUMENTTYPEID=ORDERS)",
                                                    "B.Referrer.Exists(DOCUMENTTYPE, "
                                                    "DOCUMENTTYPEID=ORDERS)"}));
}

TEST_F(ReferentialIntegrityTest, ABeforeDeleteAnswerOfFalseRefusesTheDelete) {
  Add("A.Allows", false, true);
  Add("B.Refuses", false, false);
  const auto refusal = registry_.RefusalToDelete(kOriginUser, "USERID", Variant("bob"));
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, "refused by B.Refuses");
}

TEST_F(ReferentialIntegrityTest, AFailingParticipantFailsTheCheckInsteadOfAllowingIt) {
  Add("A.Broken", false, true, /*fail=*/true);
  EXPECT_THROW(registry_.RefusalToDelete(kOriginUser, "USERID", Variant("bob")), Error);
}

TEST_F(ReferentialIntegrityTest, SeveralKeysTravelAsParallelArrays) {
  Add("A.Recorder", false, true);
  VariantArray keys(2);
  keys.At(0) = Variant("USERID");
  keys.At(1) = Variant("BUSINESSPARTNERID");
  VariantArray values(2);
  values.At(0) = Variant("alice");
  values.At(1) = Variant(int32_t{7});
  EXPECT_FALSE(registry_.RefusalToDelete(kOriginUserBusinessPartner, keys, values));
  ASSERT_FALSE(calls_.asked.empty());
  EXPECT_EQ(calls_.asked.front(),
            "A.Recorder.Exists(USER_BUSINESSPARTNER, USERID=alice,BUSINESSPARTNERID=7)");
}

TEST_F(ReferentialIntegrityTest, RegisteringANameAgainReplacesItAndUnregisterRemovesIt) {
  Add("A.Participant", true, true);
  Add("A.Participant", false, true);
  EXPECT_EQ(registry_.Names(), std::vector<std::string>{"A.Participant"});
  EXPECT_FALSE(registry_.RefusalToDelete(kOriginUser, "USERID", Variant("x")));
  Add("B.Referrer", true, true);
  registry_.Unregister("B.Referrer");
  EXPECT_FALSE(registry_.RefusalToDelete(kOriginUser, "USERID", Variant("x")));
}

}  // namespace
}  // namespace velmora::host
