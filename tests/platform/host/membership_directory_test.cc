#include "platform/host/membership_directory.h"

#include <gtest/gtest.h>

#include "membership_test_util.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

using testing::DirectoryDbTest;
using testing::FakePasswordHasher;
using velmora::testing::RaisedBy;

// A participant that refers to the records named in `referred` ("ORIGIN:value") and records the
// questions it is asked.
class RecordingParticipant : public ReferentialIntegrity {
 public:
  RecordingParticipant(std::vector<std::string>& asked, std::vector<std::string> referred)
      : asked_(asked), referred_(std::move(referred)) {}

  bool Exists(const Variant& origin, const VariantArray& keys,
              const VariantArray& values) override {
    std::string question = origin.ToText() + ":";
    for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
      question +=
          (i == keys.LBound() ? "" : ",") + keys.At(i).ToText() + "=" + values.At(i).ToText();
    }
    asked_.push_back(question);
    for (const std::string& entry : referred_) {
      if (question.find(entry) == 0) {
        return true;
      }
    }
    return false;
  }
  bool BeforeDelete(const Variant&, const VariantArray&, const VariantArray&) override {
    return true;
  }

 private:
  std::vector<std::string>& asked_;
  std::vector<std::string> referred_;
};

class MembershipDirectoryTest : public DirectoryDbTest {
 protected:
  void SetUpDatabase() override {
    DirectoryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    directory_ = std::make_unique<MembershipDirectory>(Factory(), hasher_, participants_);
    directory_->AddPartner(PartnerRecord{10, "Acme", "ACME-C", ""});
    directory_->AddPartner(PartnerRecord{20, "Globex", "", "GLX-S"});
    directory_->AddApplication(ApplicationRecord{1, "Velmora"});
    directory_->AddApplication(ApplicationRecord{5, "Reports"});
  }

  // Makes a participant refer to the records whose question begins with one of `referred`.
  void Refer(std::vector<std::string> referred) {
    participants_.Register("Velmora.DistributionList", [this, referred] {
      return std::make_shared<RecordingParticipant>(asked_, referred);
    });
  }

  UserFields NewUserFields(int32_t partner) {
    UserFields fields;
    fields.business_partner_id = partner;
    fields.email_address = "someone@example.com";
    return fields;
  }

  std::optional<MemberRecord> Stored(const std::string& user_id) {
    return MembershipDatabase(Factory()).FindUser(user_id);
  }

  std::shared_ptr<FakePasswordHasher> hasher_ = std::make_shared<FakePasswordHasher>();
  ReferentialIntegrityRegistry participants_;
  std::vector<std::string> asked_;
  std::unique_ptr<MembershipDirectory> directory_;
};

TEST_P(MembershipDirectoryTest, AddsAndListsPartnersWithTheirCodes) {
  const std::vector<PartnerRecord> partners = directory_->ListPartners();
  ASSERT_EQ(partners.size(), 2u);
  EXPECT_EQ(partners[0].id, 10);
  EXPECT_EQ(partners[0].code0, "ACME-C");
  EXPECT_EQ(partners[0].code1, "");
  EXPECT_EQ(partners[1].name, "Globex");
  EXPECT_EQ(partners[1].code1, "GLX-S");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNER WHERE CODE1 IS NULL").ToInt32(), 1)
      << "a partner without a code stores NULL, so that several partners can lack one";
}

TEST_P(MembershipDirectoryTest, RefusesBadOrTakenPartners) {
  const std::vector<std::pair<PartnerRecord, int32_t>> bad = {
      {{10, "Again", "", ""}, ErrNumber(EnumerationErrors::AlreadyPresent)},
      {{11, "Copy", "ACME-C", ""}, ErrNumber(EnumerationErrors::AlreadyPresent)},
      {{12, "Copy", "", "GLX-S"}, ErrNumber(EnumerationErrors::AlreadyPresent)},
      {{0, "Zero", "", ""}, kErrInvalidProcedureCall},
      {{-1, "Any", "", ""}, kErrInvalidProcedureCall},
      {{13, "", "", ""}, kErrInvalidProcedureCall},
      {{14, "Tab\tName", "", ""}, kErrInvalidProcedureCall},
      {{15, std::string(256, 'n'), "", ""}, kErrInvalidProcedureCall},
      {{16, "Bad code", " X", ""}, kErrInvalidProcedureCall},
      {{17, "Bad \xff", "", ""}, kErrInvalidProcedureCall}};
  for (const auto& [partner, number] : bad) {
    SCOPED_TRACE(partner.id);
    EXPECT_EQ(RaisedBy([&] { directory_->AddPartner(partner); }).number(), number);
  }
  EXPECT_EQ(directory_->ListPartners().size(), 2u);
  EXPECT_NE(RaisedBy([&] {
              directory_->AddPartner({11, "Copy", "ACME-C", ""});
            })
                .description()
                .find("already belongs to business partner 10"),
            std::string::npos);
  directory_->AddPartner({18, "Same code, other kind", "GLX-S", "ACME-C"});
  directory_->AddPartner({19, std::string(255, 'n'), "", ""});
}

TEST_P(MembershipDirectoryTest, RemovesAPartnerOnlyWithoutUsersAndReferences) {
  directory_->AddUser("alice", NewUserFields(10));
  directory_->AddUser("bob", NewUserFields(10));
  const Error with_users = RaisedBy([&] { directory_->RemovePartner(10); });
  EXPECT_EQ(with_users.number(), ErrNumber(EnumerationErrors::ReferentialDelete));
  EXPECT_NE(with_users.description().find("the partner of 2 users (alice, bob)"), std::string::npos)
      << with_users.description();

  Refer({"BUSINESSPARTNER:BUSINESSPARTNERID=20"});
  const Error referred = RaisedBy([&] { directory_->RemovePartner(20); });
  EXPECT_EQ(referred.number(), ErrNumber(EnumerationErrors::ReferentialDelete));
  EXPECT_NE(referred.description().find("still referred to by Velmora.DistributionList"),
            std::string::npos)
      << referred.description();
  EXPECT_EQ(directory_->ListPartners().size(), 2u);

  Refer({});
  directory_->RemovePartner(20);
  EXPECT_EQ(directory_->ListPartners().size(), 1u);
  EXPECT_EQ(asked_.back(), "BUSINESSPARTNER:BUSINESSPARTNERID=20");
  EXPECT_EQ(RaisedBy([&] { directory_->RemovePartner(20); }).number(),
            ErrNumber(EnumerationErrors::NotPresent));
}

TEST_P(MembershipDirectoryTest, AddsUsersWithHashedPasswordsAndApplications) {
  UserFields fields = NewUserFields(10);
  fields.language_id = 1043;
  fields.password = "wonderland";
  fields.employee_number = "E-1";
  fields.first_name = "Alice";
  fields.last_name = "Liddell";
  fields.applications = std::vector<std::string>{"Reports", "Velmora", "Reports"};
  directory_->AddUser("alice", fields);
  const std::optional<MemberRecord> alice = Stored("alice");
  ASSERT_TRUE(alice);
  EXPECT_EQ(alice->business_partner_id, 10);
  EXPECT_EQ(alice->email_address, "someone@example.com");
  EXPECT_EQ(alice->language_id, 1043);
  EXPECT_EQ(alice->employee_number, "E-1");
  EXPECT_EQ(alice->first_name, "Alice");
  EXPECT_EQ(alice->last_name, "Liddell");
  EXPECT_EQ(alice->password_hash, "fake:wonderland") << "stored as the hasher's hash";
  EXPECT_EQ(alice->applications, (std::vector<int32_t>{1, 5}));

  directory_->AddUser("plain", NewUserFields(20));
  const std::optional<MemberRecord> plain = Stored("plain");
  EXPECT_EQ(plain->language_id, 1033);
  EXPECT_EQ(plain->password_hash, "");
  EXPECT_TRUE(plain->applications.empty());
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MEMBERUSER WHERE PASSWORDHASH IS NULL").ToInt32(), 1);
}

TEST_P(MembershipDirectoryTest, StoresRealPasswordsAsArgon2idHashes) {
  MembershipDirectory real(Factory(), std::shared_ptr<PasswordHasher>(NewSodiumPasswordHasher()),
                           participants_);
  UserFields fields = NewUserFields(10);
  fields.password = "wonderland";
  real.AddUser("alice", fields);
  const std::string stored = Scalar("SELECT PASSWORDHASH FROM MEMBERUSER").ToText();
  EXPECT_EQ(stored.rfind("$argon2id$", 0), 0u) << stored;
  EXPECT_EQ(stored.find("wonderland"), std::string::npos);
  EXPECT_TRUE(NewSodiumPasswordHasher()->Verify(stored, "wonderland"));
}

TEST_P(MembershipDirectoryTest, RefusesBadUsers) {
  directory_->AddUser("alice", NewUserFields(10));
  struct Case {
    std::string user_id;
    UserFields fields;
    int32_t number;
    std::string message;
  };
  UserFields no_partner = NewUserFields(10);
  no_partner.business_partner_id.reset();
  UserFields no_email = NewUserFields(10);
  no_email.email_address.reset();
  UserFields unknown_partner = NewUserFields(99);
  UserFields bad_email = NewUserFields(10);
  bad_email.email_address = "not an address";
  UserFields two_ats = NewUserFields(10);
  two_ats.email_address = "a@b@c";
  UserFields empty_password = NewUserFields(10);
  empty_password.password = "";
  UserFields unknown_app = NewUserFields(10);
  unknown_app.applications = std::vector<std::string>{"Velmora", "velmora"};
  UserFields zero_language = NewUserFields(10);
  zero_language.language_id = 0;
  const std::vector<Case> cases = {
      {"alice", NewUserFields(10), ErrNumber(EnumerationErrors::AlreadyPresent), "already exists"},
      {"", NewUserFields(10), kErrInvalidProcedureCall, "The user id is empty"},
      {" alice", NewUserFields(10), kErrInvalidProcedureCall, "begins or ends with a blank"},
      {"new\nline", NewUserFields(10), kErrInvalidProcedureCall, "control character"},
      {std::string(256, 'u'), NewUserFields(10), kErrInvalidProcedureCall, "longer than 255"},
      {"bob", no_partner, kErrInvalidProcedureCall, "needs a business partner"},
      {"bob", no_email, kErrInvalidProcedureCall, "needs an e-mail address"},
      {"bob", unknown_partner, ErrNumber(EnumerationErrors::NotPresent),
       "Business partner 99 does not exist"},
      {"bob", bad_email, kErrInvalidProcedureCall, "is not an e-mail address"},
      {"bob", two_ats, kErrInvalidProcedureCall, "is not an e-mail address"},
      {"bob", empty_password, kErrInvalidProcedureCall, "The password is empty"},
      {"bob", unknown_app, ErrNumber(EnumerationErrors::NotPresent),
       "Unknown application 'velmora'"},
      {"bob", zero_language, kErrInvalidProcedureCall, "language id"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Error error = RaisedBy([&] { directory_->AddUser(c.user_id, c.fields); });
    EXPECT_EQ(error.number(), c.number);
    EXPECT_EQ(error.source(), "KxMembership.Directory");
    EXPECT_NE(error.description().find(c.message), std::string::npos) << error.description();
  }
  EXPECT_EQ(directory_->ListUsers().size(), 1u);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MEMBERAPPLICATION").ToInt32(), 0);
}

TEST_P(MembershipDirectoryTest, SetChangesOnlyTheFieldsGiven) {
  UserFields fields = NewUserFields(10);
  fields.password = "old";
  fields.first_name = "Alice";
  fields.applications = std::vector<std::string>{"Velmora"};
  directory_->AddUser("alice", fields);

  UserFields change;
  change.email_address = "alice@new.example";
  change.last_name = "Liddell";
  directory_->SetUser("alice", change);
  std::optional<MemberRecord> alice = Stored("alice");
  EXPECT_EQ(alice->email_address, "alice@new.example");
  EXPECT_EQ(alice->last_name, "Liddell");
  EXPECT_EQ(alice->first_name, "Alice");
  EXPECT_EQ(alice->password_hash, "fake:old");
  EXPECT_EQ(alice->applications, std::vector<int32_t>{1});
  EXPECT_EQ(alice->business_partner_id, 10);

  UserFields more;
  more.password = "new";
  more.first_name = "";
  more.applications = std::vector<std::string>{"Reports"};
  more.language_id = 1031;
  directory_->SetUser("alice", more);
  alice = Stored("alice");
  EXPECT_EQ(alice->password_hash, "fake:new");
  EXPECT_EQ(alice->first_name, "") << "an empty text clears a name";
  EXPECT_EQ(alice->applications, std::vector<int32_t>{5});
  EXPECT_EQ(alice->language_id, 1031);

  UserFields bad;
  bad.email_address = "nope";
  bad.password = "never";
  EXPECT_THROW(directory_->SetUser("alice", bad), Error);
  EXPECT_EQ(Stored("alice")->password_hash, "fake:new") << "a refused change changes nothing";
  EXPECT_EQ(RaisedBy([&] { directory_->SetUser("ghost", change); }).number(),
            ErrNumber(EnumerationErrors::NotPresent));
}

TEST_P(MembershipDirectoryTest, MovingAUserToAnotherPartnerAsksAboutTheOldLink) {
  directory_->AddUser("alice", NewUserFields(10));
  Refer({"USER_BUSINESSPARTNER:USERID=alice,BUSINESSPARTNERID=10"});
  UserFields move;
  move.business_partner_id = 20;
  const Error error = RaisedBy([&] { directory_->SetUser("alice", move); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::ReferentialDelete));
  EXPECT_NE(error.description().find("cannot leave business partner 10"), std::string::npos)
      << error.description();
  EXPECT_EQ(Stored("alice")->business_partner_id, 10);

  UserFields same;
  same.business_partner_id = 10;
  same.last_name = "Liddell";
  asked_.clear();
  directory_->SetUser("alice", same);
  EXPECT_TRUE(asked_.empty()) << "staying with the same partner asks nobody";

  Refer({});
  directory_->SetUser("alice", move);
  EXPECT_EQ(Stored("alice")->business_partner_id, 20);
}

TEST_P(MembershipDirectoryTest, RemovesAUserOnlyWithoutReferences) {
  UserFields fields = NewUserFields(10);
  fields.applications = std::vector<std::string>{"Velmora", "Reports"};
  directory_->AddUser("alice", fields);
  directory_->AddUser("bob", NewUserFields(10));
  Refer({"USER:USERID=alice"});
  const Error error = RaisedBy([&] { directory_->RemoveUser("alice"); });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::ReferentialDelete));
  EXPECT_NE(error.description().find("The user 'alice' cannot be removed: it is still referred "
                                     "to by Velmora.DistributionList"),
            std::string::npos)
      << error.description();
  EXPECT_TRUE(Stored("alice"));

  directory_->RemoveUser("bob");
  EXPECT_FALSE(Stored("bob"));
  Refer({});
  directory_->RemoveUser("alice");
  EXPECT_FALSE(Stored("alice"));
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MEMBERAPPLICATION").ToInt32(), 0);
  EXPECT_EQ(RaisedBy([&] { directory_->RemoveUser("alice"); }).number(),
            ErrNumber(EnumerationErrors::NotPresent));
}

TEST_P(MembershipDirectoryTest, RefusesTakenApplicationIdsAndNames) {
  EXPECT_EQ(RaisedBy([&] {
              directory_->AddApplication({1, "Other"});
            }).number(),
            ErrNumber(EnumerationErrors::AlreadyPresent));
  EXPECT_EQ(RaisedBy([&] {
              directory_->AddApplication({2, "Reports"});
            }).number(),
            ErrNumber(EnumerationErrors::AlreadyPresent));
  EXPECT_EQ(RaisedBy([&] {
              directory_->AddApplication({0, "Zero"});
            }).number(),
            kErrInvalidProcedureCall);
  EXPECT_EQ(RaisedBy([&] {
              directory_->AddApplication({3, ""});
            }).number(),
            kErrInvalidProcedureCall);
  directory_->AddApplication({3, "reports"});
  const std::vector<ApplicationRecord> applications = directory_->ListApplications();
  ASSERT_EQ(applications.size(), 3u);
  EXPECT_EQ(applications[1].id, 3);
  EXPECT_EQ(applications[1].name, "reports");
}

TEST_P(MembershipDirectoryTest, ListsUsersInOrderWithTheirApplications) {
  UserFields fields = NewUserFields(20);
  fields.applications = std::vector<std::string>{"Reports"};
  directory_->AddUser("zed", fields);
  directory_->AddUser("amy", NewUserFields(10));
  const std::vector<MemberRecord> users = directory_->ListUsers();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].user_id, "amy");
  EXPECT_TRUE(users[0].applications.empty());
  EXPECT_EQ(users[1].user_id, "zed");
  EXPECT_EQ(users[1].applications, std::vector<int32_t>{5});
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(MembershipDirectoryTest);

}  // namespace
}  // namespace velmora::host
