#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/host/membership_database.h"
#include "platform/host/password_hash.h"
#include "support/library_db_test.h"
#include "support/temp_home.h"

// Shared by the database tests of the membership directory and the partner register.
namespace velmora::host::testing {

// A quick stand-in for the Argon2id hasher: "fake:" + password; counts the checks.
class FakePasswordHasher : public PasswordHasher {
 public:
  std::string Hash(std::string_view password) override { return "fake:" + std::string(password); }
  bool Verify(const std::string& hash, std::string_view password) override {
    ++verify_calls;
    last_verified_hash = hash;
    return hash == "fake:" + std::string(password);
  }

  std::atomic<int> verify_calls{0};
  std::string last_verified_hash;
};

// A seeded installation database with a site configuration whose service account is
// kAccount / kCode.
class DirectoryDbTest : public velmora::testing::LibraryDbTest {
 protected:
  static constexpr const char* kAccount = "velmora-service";
  static constexpr const char* kCode = "5ecret-c0de";

  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    site_file_ = Home() + "/config/MembershipSite.xml";
    velmora::testing::WriteFile(site_file_,
                                std::string("<configuration><section name=\"MEMBERSHIP\">"
                                            "<key name=\"MemScriptUser\">") +
                                    kAccount + "</key><key name=\"MemScriptCode\">" + kCode +
                                    "</key></section></configuration>");
  }

  ConnectionFactory Factory() {
    return [this] { return Open(); };
  }

  void AddPartner(int32_t id, const std::string& name, const std::string& code0 = {},
                  const std::string& code1 = {}) {
    MembershipDatabase(Factory()).InsertPartner(PartnerRecord{id, name, code0, code1});
  }

  void AddApplication(int32_t id, const std::string& name) {
    MembershipDatabase(Factory()).InsertApplication(ApplicationRecord{id, name});
  }

  void AddUser(const MemberRecord& user) { MembershipDatabase(Factory()).InsertUser(user); }

  static MemberRecord User(const std::string& id, int32_t partner,
                           const std::string& employee_number = {}) {
    MemberRecord user;
    user.user_id = id;
    user.business_partner_id = partner;
    user.employee_number = employee_number;
    user.email_address = "user@example.com";
    return user;
  }

  std::string site_file_;
};

}  // namespace velmora::host::testing
