#include "platform/host/partner_register.h"

#include <gtest/gtest.h>

#include "core/components.h"
#include "membership_test_util.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

using testing::DirectoryDbTest;
using velmora::testing::RaisedBy;

class PartnerRegisterTest : public DirectoryDbTest {
 protected:
  void SetUpDatabase() override {
    DirectoryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    AddPartner(10, "Acme Corp.", "ACME-C", "ACME-S");
    AddPartner(20,
               "Gl\xc3\xb6"
               "bex 'Ltd'",
               "G'X \xe2\x82\xac", "");
    AddPartner(30, "Initech", "", "SHARED");
    partners_ = NewBusinessPartner(Factory());
  }

  std::shared_ptr<BusinessPartner> partners_;
};

TEST_P(PartnerRegisterTest, GivesThePartnersName) {
  EXPECT_EQ(partners_->TypeName(), "KxCommon.BusinessPartner");
  EXPECT_EQ(partners_->GetName(10), "Acme Corp.");
  EXPECT_EQ(partners_->GetName(20),
            "Gl\xc3\xb6"
            "bex 'Ltd'");
}

TEST_P(PartnerRegisterTest, AnUnknownPartnerIdIsAnErrorNamingIt) {
  for (int32_t id : {0, -1, 11, 2147483647}) {
    SCOPED_TRACE(id);
    const Error error = RaisedBy([&] { partners_->GetName(id); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NotPresent));
    EXPECT_EQ(error.source(), "KxCommon.BusinessPartner");
    EXPECT_NE(error.description().find("business partner " + std::to_string(id)), std::string::npos)
        << error.description();
  }
}

TEST_P(PartnerRegisterTest, TranslatesCodesOfBothKindsToIdTexts) {
  EXPECT_EQ(partners_->GetIDByCode("ACME-C", 0), "10");
  EXPECT_EQ(partners_->GetIDByCode("ACME-S", 1), "10");
  EXPECT_EQ(partners_->GetIDByCode("G'X \xe2\x82\xac", 0), "20");
  EXPECT_EQ(partners_->GetIDByCode("SHARED", 1), "30");
}

TEST_P(PartnerRegisterTest, CodesThatDoNotTranslateAreErrorsNamingCodeAndKind) {
  const std::vector<std::pair<std::string, int32_t>> unknown = {
      {"ACME-C", 1}, {"ACME-S", 0},    {"acme-c", 0}, {"ACME-C ", 0},
      {"NOPE", 0},   {"' OR ''='", 1}, {"ACME%", 0},  {"G'X", 0}};
  for (const auto& [code, kind] : unknown) {
    SCOPED_TRACE(code);
    const Error error = RaisedBy([&] { partners_->GetIDByCode(code, kind); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NotPresent));
    EXPECT_NE(error.description().find("'" + code + "' of kind " + std::to_string(kind)),
              std::string::npos)
        << error.description();
  }
  EXPECT_EQ(RaisedBy([&] { partners_->GetIDByCode("ACME-C", 2); }).number(),
            kErrInvalidProcedureCall);
  EXPECT_EQ(RaisedBy([&] { partners_->GetIDByCode("", 0); }).number(), kErrInvalidProcedureCall);
  EXPECT_EQ(RaisedBy([&] { partners_->GetIDByCode("\xc3", 0); }).number(),
            ErrNumber(EnumerationErrors::NotPresent))
      << "a code that is not UTF-8 translates to nothing";
}

TEST_P(PartnerRegisterTest, IsCreatedByProgIdOnTheInstallationsDatabase) {
  auto created = std::dynamic_pointer_cast<BusinessPartner>(
      core::ComponentRegistry::Global().Create("KxCommon.BusinessPartner"));
  ASSERT_TRUE(created);
  EXPECT_EQ(created->GetName(30), "Initech");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(PartnerRegisterTest);

}  // namespace
}  // namespace velmora::host
