#include "platform/host/membership_account.h"

#include <gtest/gtest.h>

#include "support/temp_home.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

using testing::TempHome;

class MembershipAccountTest : public ::testing::Test {
 protected:
  std::string WriteSite(const std::vector<std::vector<std::string>>& keys) {
    home_.WriteConfig("SiteConfiguration.xml", keys);
    return home_.config_dir() + "/SiteConfiguration.xml";
  }

  // The description of the error Check raises, or "" when it accepts.
  static std::string Refusal(const ServiceAccount& account, const std::string& user,
                             const std::string& code) {
    try {
      account.Check(user, code, "Test.Source");
      return {};
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), kErrPermissionDenied);
      EXPECT_EQ(error.source(), "Test.Source");
      return error.description();
    }
  }

  TempHome home_;
};

TEST_F(MembershipAccountTest, AcceptsOnlyTheAccountOfTheSiteConfiguration) {
  const ServiceAccount account = ServiceAccount::FromSiteConfiguration(
      WriteSite({{"MEMBERSHIP", "MemScriptUser", "velmora-service"},
                 {"MEMBERSHIP", "MemScriptCode", "c0de-1234"}}));
  EXPECT_EQ(Refusal(account, "velmora-service", "c0de-1234"), "");
  EXPECT_NE(Refusal(account, "velmora-service", "c0de-1235"), "");
  EXPECT_NE(Refusal(account, "velmora-service", "c0de-123"), "");
  EXPECT_NE(Refusal(account, "velmora-service", ""), "");
  EXPECT_NE(Refusal(account, "Velmora-service", "c0de-1234"), "");
  EXPECT_NE(Refusal(account, "someone", "c0de-1234"), "");
}

TEST_F(MembershipAccountTest, TheDirectoryRootBelongsToTheAccountName) {
  const ServiceAccount account =
      ServiceAccount::FromSiteConfiguration(WriteSite({{"MEMBERSHIP", "MemScriptUser", "svc"},
                                                       {"MEMBERSHIP", "MemScriptCode", "k"},
                                                       {"MEMBERSHIP", "LDAPRoot", "root-7"}}));
  EXPECT_EQ(Refusal(account, "svc,root-7", "k"), "");
  EXPECT_NE(Refusal(account, "svc", "k"), "");
}

TEST_F(MembershipAccountTest, RefusalsNeverEchoTheCode) {
  const ServiceAccount account("svc", "the-real-code");
  const std::string refusal = Refusal(account, "svc", "a-wrong-code");
  EXPECT_NE(refusal.find("refused"), std::string::npos) << refusal;
  EXPECT_EQ(refusal.find("the-real-code"), std::string::npos);
  EXPECT_EQ(refusal.find("a-wrong-code"), std::string::npos);
}

TEST_F(MembershipAccountTest, AnUnconfiguredAccountRefusesEveryone) {
  const ServiceAccount account =
      ServiceAccount::FromSiteConfiguration(WriteSite({{"GLOBAL", "IISVirtId", "1"}}));
  EXPECT_NE(Refusal(account, "", "").find("names no membership service account"),
            std::string::npos);
  EXPECT_NE(Refusal(ServiceAccount("svc", ""), "svc", ""), "");
}

TEST_F(MembershipAccountTest, AMissingSiteConfigurationRaises) {
  EXPECT_THROW(ServiceAccount::FromSiteConfiguration(home_.config_dir() + "/absent.xml"), Error);
}

}  // namespace
}  // namespace velmora::host
