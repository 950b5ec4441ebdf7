#include "platform/host/membership.h"

#include <gtest/gtest.h>

#include "core/components.h"
#include "membership_test_util.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

using testing::DirectoryDbTest;
using testing::FakePasswordHasher;
using velmora::testing::RaisedBy;

class MembershipTest : public DirectoryDbTest {
 protected:
  void SetUpDatabase() override {
    DirectoryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    AddPartner(10, "Acme");
    AddPartner(20, "Globex");
    AddApplication(1, "Velmora");
    AddApplication(5, "Reports");
  }

  std::shared_ptr<MembershipUser> BoundUser(const std::string& user_id) {
    auto user = NewMembershipUser(Factory());
    user->Initialize(site_file_);
    user->Bind(user_id, kAccount, kCode);
    return user;
  }

  std::shared_ptr<MembershipMembers> BoundMembers() {
    auto members = NewMembershipMembers(Factory());
    members->Initialize(site_file_);
    members->Bind(kAccount, kCode);
    return members;
  }

  // The "cn" values a search finds, in order.
  std::vector<std::string> Found(const Variant& filters, int32_t max_rows = 10) {
    auto rows = BoundMembers()->Search(filters, Variant(""), max_rows);
    std::vector<std::string> ids;
    for (; !rows->IsEOF(); rows->MoveNext()) {
      ids.push_back(rows->Field("cn").ToText());
    }
    return ids;
  }

  static Variant OneElementArray(const std::string& filter, int32_t lower = 0) {
    VariantArray array(1, lower);
    array.At(lower) = Variant(filter);
    return Variant(std::move(array));
  }
};

TEST_P(MembershipTest, ABoundUserYieldsEveryProperty) {
  MemberRecord alice = User("alice", 10, "E-17");
  alice.email_address = "alice@acme.example";
  alice.language_id = 1043;
  alice.first_name = "Alice";
  alice.last_name = "Liddell";
  alice.applications = {5, 1};
  AddUser(alice);

  auto user = BoundUser("alice");
  EXPECT_EQ(user->TypeName(), "KxMembership.User");
  EXPECT_EQ(user->EmailAddress(), "alice@acme.example");
  EXPECT_EQ(user->BusinessPartnerID(), 10);
  EXPECT_EQ(user->LanguageID(), "1043");
  EXPECT_EQ(user->UserID(), "alice");
  EXPECT_EQ(user->Applications(), (std::vector<int32_t>{1, 5}));
  EXPECT_EQ(user->FirstName(), "Alice");
  EXPECT_EQ(user->LastName(), "Liddell");
  EXPECT_EQ(user->Value(), "Alice Liddell (alice)");
}

TEST_P(MembershipTest, AUserWithOnlyRequiredFieldsHasDefaults) {
  Exec("INSERT INTO MEMBERUSER (USERID, BUSINESSPARTNERID) VALUES ('bare', 20)");
  auto user = BoundUser("bare");
  EXPECT_EQ(user->EmailAddress(), "");
  EXPECT_EQ(user->LanguageID(), "1033");
  EXPECT_TRUE(user->Applications().empty());
  EXPECT_EQ(user->FirstName(), "");
  EXPECT_EQ(user->Value(), "bare") << "without names the default property is the user id";
}

TEST_P(MembershipTest, BindingComparesUserIdsExactly) {
  AddUser(User("O'Brien \xc3\x9c", 10));
  EXPECT_EQ(BoundUser("O'Brien \xc3\x9c")->UserID(), "O'Brien \xc3\x9c");
  for (const char* other :
       {"o'brien \xc3\x9c", "O'Brien \xc3\x9c ", "O'Brien", "O'Brien \xc3\xbc", "' OR '1'='1"}) {
    SCOPED_TRACE(other);
    const Error error = RaisedBy([&] { BoundUser(other); });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NotPresent));
    EXPECT_EQ(error.source(), "KxMembership.User");
    EXPECT_NE(error.description().find("holds no user"), std::string::npos);
  }
  EXPECT_EQ(RaisedBy([&] { BoundUser(""); }).number(), ErrNumber(EnumerationErrors::MissingUserID));
}

TEST_P(MembershipTest, BindingNeedsTheServiceAccountOfTheSiteConfiguration) {
  AddUser(User("alice", 10));
  auto user = NewMembershipUser(Factory());
  EXPECT_EQ(RaisedBy([&] { user->Bind("alice", kAccount, kCode); }).number(), kErrObjectRequired);
  user->Initialize(site_file_);
  EXPECT_EQ(RaisedBy([&] { user->Bind("alice", kAccount, "wrong"); }).number(),
            kErrPermissionDenied);
  EXPECT_EQ(RaisedBy([&] { user->Bind("alice", "intruder", kCode); }).number(),
            kErrPermissionDenied);
  EXPECT_EQ(RaisedBy([&] { user->EmailAddress(); }).number(), kErrObjectRequired)
      << "a refused bind leaves the object unbound";
  user->Bind("alice", kAccount, kCode);
  EXPECT_EQ(user->BusinessPartnerID(), 10);
  EXPECT_EQ(RaisedBy([&] { user->Bind("alice", kAccount, "wrong"); }).number(),
            kErrPermissionDenied);
  EXPECT_EQ(RaisedBy([&] { user->UserID(); }).number(), kErrObjectRequired)
      << "a refused rebind must not keep the earlier user";
}

TEST_P(MembershipTest, AnUnboundUserRaisesForEveryProperty) {
  auto user = NewMembershipUser(Factory());
  user->Initialize(site_file_);
  EXPECT_EQ(RaisedBy([&] { user->EmailAddress(); }).number(), kErrObjectRequired);
  EXPECT_EQ(RaisedBy([&] { user->BusinessPartnerID(); }).number(), kErrObjectRequired);
  EXPECT_EQ(RaisedBy([&] { user->Applications(); }).number(), kErrObjectRequired);
  EXPECT_EQ(RaisedBy([&] { user->Value(); }).number(), kErrObjectRequired);
}

TEST_P(MembershipTest, SearchesByUserIdAndByEmployeeNumber) {
  AddUser(User("alice", 10, "E-17"));
  AddUser(User("bob", 20, "E-18"));
  AddUser(User("carol", 20, "E-18"));
  auto rows = BoundMembers()->Search(OneElementArray("cn=bob"), Variant(""), 10);
  ASSERT_FALSE(rows->IsEOF());
  EXPECT_EQ(rows->Field("cn").ToText(), "bob");
  EXPECT_EQ(rows->Field("BusinessPartnerID").ToInt32(), 20);
  EXPECT_EQ(rows->FieldCount(), 2);
  EXPECT_FALSE(rows->IsConnected());
  rows->MoveNext();
  EXPECT_TRUE(rows->IsEOF());

  EXPECT_EQ(Found(OneElementArray("employeenumber=E-17")), std::vector<std::string>{"alice"});
  EXPECT_EQ(Found(OneElementArray("employeenumber=E-18", 1)),
            (std::vector<std::string>{"bob", "carol"}));
  EXPECT_EQ(Found(Variant("cn=alice")), std::vector<std::string>{"alice"});
  EXPECT_TRUE(Found(OneElementArray("cn=nobody")).empty());
  EXPECT_TRUE(Found(OneElementArray("employeenumber=alice")).empty());
  EXPECT_TRUE(Found(OneElementArray("cn=E-17")).empty());
}

TEST_P(MembershipTest, SearchValuesAreTakenLiterally) {
  const std::vector<std::string> ids = {"O'Brien",
                                        "say \"hi\"",
                                        "back\\slash",
                                        "x' OR '1'='1",
                                        "50% off_",
                                        "Zo\xc3\xab M\xc3\xbcller",
                                        "\xe7\x94\xa8\xe6\x88\xb7",
                                        "a=b",
                                        "?"};
  for (size_t i = 0; i < ids.size(); ++i) {
    AddUser(User(ids[i], 10, "N" + ids[i]));
  }
  AddUser(User("plain", 10));
  for (const std::string& id : ids) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Found(OneElementArray("cn=" + id)), std::vector<std::string>{id});
    EXPECT_EQ(Found(OneElementArray("employeenumber=N" + id)), std::vector<std::string>{id});
  }
  EXPECT_TRUE(Found(OneElementArray("cn=o'brien")).empty()) << "case matters";
  EXPECT_TRUE(Found(OneElementArray("cn=O'Brien ")).empty()) << "blanks matter";
  EXPECT_TRUE(Found(OneElementArray("cn=50%")).empty()) << "no wildcards";
  EXPECT_TRUE(Found(OneElementArray("cn=*")).empty()) << "no wildcards";
  EXPECT_TRUE(Found(OneElementArray("cn=Zo\xc3\xab M\xc3\x9cller")).empty());
}

TEST_P(MembershipTest, SearchRowsAreOrderedAndLimited) {
  for (const char* id : {"d", "b", "a", "c"}) {
    AddUser(User(id, 10, "SAME"));
  }
  EXPECT_EQ(Found(OneElementArray("employeenumber=SAME")),
            (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Found(OneElementArray("employeenumber=SAME"), 2), (std::vector<std::string>{"a", "b"}));
}

TEST_P(MembershipTest, OtherFiltersAndBadArgumentsAreClearErrors) {
  AddUser(User("alice", 10));
  auto members = BoundMembers();
  VariantArray two(2);
  two.At(0) = Variant("cn=alice");
  two.At(1) = Variant("cn=bob");
  for (const Variant& filters :
       {Variant("CN=alice"), Variant("uid=alice"), Variant("cn alice"), Variant("(cn=alice)"),
        Variant(" cn=alice"), Variant("cn="), Variant("employeenumber="), Variant(""),
        Variant(std::move(two)), Variant(VariantArray(0)), Variant(int32_t{5}), Variant()}) {
    SCOPED_TRACE(filters.TypeName() + " " + (filters.IsArray() ? "" : filters.ToText()));
    const Error error = RaisedBy([&] { members->Search(filters, Variant(""), 10); });
    EXPECT_EQ(error.number(), kErrInvalidProcedureCall);
    EXPECT_EQ(error.source(), "KxMembership.Members");
    EXPECT_FALSE(error.description().empty());
  }
  const Error unsupported =
      RaisedBy([&] { members->Search(Variant("mail=a@b"), Variant(""), 10); });
  EXPECT_NE(unsupported.description().find("Unsupported directory filter 'mail=a@b'"),
            std::string::npos)
      << unsupported.description();
  EXPECT_EQ(RaisedBy([&] { members->Search(Variant("cn=alice"), Variant("mail"), 10); }).number(),
            kErrInvalidProcedureCall);
  EXPECT_EQ(RaisedBy([&] { members->Search(Variant("cn=alice"), Variant(""), 0); }).number(),
            kErrInvalidProcedureCall);
  EXPECT_EQ(RaisedBy([&] { members->Search(Variant("cn=a\xff"), Variant(""), 1); }).number(),
            kErrInvalidProcedureCall)
      << "text that is not UTF-8";
  EXPECT_EQ(members->Search(Variant("cn=alice"), Variant(), 1)->Field("cn").ToText(), "alice")
      << "an Empty attribute list is fine too";
}

TEST_P(MembershipTest, SearchNeedsInitialiseAndTheServiceAccount) {
  auto members = NewMembershipMembers(Factory());
  EXPECT_EQ(RaisedBy([&] { members->Bind(kAccount, kCode); }).number(), kErrObjectRequired);
  members->Initialize(site_file_);
  EXPECT_EQ(RaisedBy([&] { members->Search(Variant("cn=x"), Variant(""), 10); }).number(),
            kErrObjectRequired);
  EXPECT_EQ(RaisedBy([&] { members->Bind(kAccount, "guess"); }).number(), kErrPermissionDenied);
  EXPECT_EQ(RaisedBy([&] { members->Search(Variant("cn=x"), Variant(""), 10); }).number(),
            kErrObjectRequired);
  members->Bind(kAccount, kCode);
  EXPECT_NO_THROW(members->Search(Variant("cn=x"), Variant(""), 10));
}

class MembershipValidatorTest : public MembershipTest {
 protected:
  void SetUpDatabase() override {
    MembershipTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    MemberRecord alice = User("alice", 10);
    alice.password_hash = hasher_->Hash("wonderland");
    AddUser(alice);
    AddUser(User("nopass", 10));
    validator_ = NewMembershipValidator(Factory(), hasher_);
    validator_->Initialize(site_file_);
  }

  std::shared_ptr<FakePasswordHasher> hasher_ = std::make_shared<FakePasswordHasher>();
  std::shared_ptr<MembershipValidator> validator_;
};

TEST_P(MembershipValidatorTest, AcceptsTheRightPasswordOnly) {
  EXPECT_TRUE(validator_->Validate("alice", "wonderland"));
  EXPECT_FALSE(validator_->Validate("alice", "Wonderland"));
  EXPECT_FALSE(validator_->Validate("alice", "wonderland "));
  EXPECT_FALSE(validator_->Validate("alice", ""));
  EXPECT_FALSE(validator_->Validate("Alice", "wonderland"));
}

TEST_P(MembershipValidatorTest, UnknownUsersAndUsersWithoutPasswordNeverValidate) {
  EXPECT_FALSE(validator_->Validate("nopass", ""));
  EXPECT_FALSE(validator_->Validate("nopass", "anything"));
  EXPECT_FALSE(validator_->Validate("ghost", "wonderland"));
  EXPECT_FALSE(validator_->Validate("", ""));
  EXPECT_FALSE(validator_->Validate("x' OR '1'='1", "wonderland"));
}

TEST_P(MembershipValidatorTest, EveryAnswerComesFromTheHashersVerify) {
  // Known users, unknown users and users without a password all cost one verification, so
  // that the time of an answer does not tell which users exist.
  for (const auto& [user, password] :
       {std::pair{"alice", "wonderland"}, {"alice", "x"}, {"ghost", "x"}, {"nopass", "x"}}) {
    SCOPED_TRACE(user);
    const int before = hasher_->verify_calls;
    validator_->Validate(user, password);
    EXPECT_EQ(hasher_->verify_calls, before + 1);
  }
  validator_->Validate("ghost", "x");
  EXPECT_EQ(hasher_->last_verified_hash.rfind("$argon2id$", 0), 0u)
      << "an unknown user is checked against a real hash";
}

TEST_P(MembershipValidatorTest, ValidatesArgon2idHashesWithTheRealHasher) {
  MemberRecord dinah = User("dinah", 10);
  dinah.password_hash = NewSodiumPasswordHasher()->Hash("cheshire \xe2\x9c\x93");
  AddUser(dinah);
  auto validator = NewMembershipValidator(Factory());
  validator->Initialize(site_file_);
  EXPECT_TRUE(validator->Validate("dinah", "cheshire \xe2\x9c\x93"));
  EXPECT_FALSE(validator->Validate("dinah", "cheshire"));
  EXPECT_FALSE(validator->Validate("nopass", ""));
}

TEST_P(MembershipValidatorTest, NeedsInitialise) {
  auto validator = NewMembershipValidator(Factory(), hasher_);
  EXPECT_EQ(RaisedBy([&] { validator->Validate("alice", "wonderland"); }).number(),
            kErrObjectRequired);
  EXPECT_THROW(validator->Initialize(Home() + "/config/absent.xml"), Error);
}

TEST_P(MembershipTest, TheComponentsAreCreatedByProgId) {
  AddUser(User("alice", 10));
  auto& registry = core::ComponentRegistry::Global();
  auto user = std::dynamic_pointer_cast<MembershipUser>(registry.Create("KxMembership.User"));
  ASSERT_TRUE(user);
  user->Initialize(site_file_);
  user->Bind("alice", kAccount, kCode);
  EXPECT_EQ(user->BusinessPartnerID(), 10) << "the registered user reads the installation's db";
  EXPECT_TRUE(
      std::dynamic_pointer_cast<MembershipMembers>(registry.Create("kxmembership.members")));
  EXPECT_TRUE(
      std::dynamic_pointer_cast<MembershipValidator>(registry.Create("KxMembership.Validator")));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(MembershipTest);
VELMORA_INSTANTIATE_DB_ENGINE_TESTS(MembershipValidatorTest);

}  // namespace
}  // namespace velmora::host
