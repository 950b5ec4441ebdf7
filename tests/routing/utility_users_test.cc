#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/class_registry.h"
#include "automation/registration.h"
#include "core/components.h"
#include "platform/host/configuration.h"
#include "platform/host/membership_database.h"
#include "platform/host/password_hash.h"
#include "routing/users.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "support/temp_folder.h"
#include "support/temp_home.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/parse_error.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAccount = "velmora-service";
constexpr const char* kCode = "s3cret";
constexpr const char* kVirtualId = "/portal'Ü";
// A user id and a partner name with quotes, blanks and non-ASCII letters.
constexpr const char* kOddUser = "O'Conner \"Ü\"";
constexpr const char* kOddPartner = "O'Brien & Söhne";

// The configuration component with the IIS virtual id reads counted.
class CountingConfiguration : public host::Configuration {
 public:
  explicit CountingConfiguration(std::shared_ptr<int> reads)
      : real_(host::NewXmlConfiguration()), reads_(std::move(reads)) {}
  void LoadFile(const std::string& path) override { real_->LoadFile(path); }
  Variant GetValue(const std::string& section, const std::string& key) override {
    if (section == "GLOBAL" && key == "IISVirtId") {
      ++*reads_;
    }
    return real_->GetValue(section, key);
  }
  std::string GetConnectionString(const std::string& application) override {
    return real_->GetConnectionString(application);
  }
  std::vector<host::ProductInfo> GetProductInfo(const std::string& product) override {
    return real_->GetProductInfo(product);
  }
  int32_t GetApplicationID(const std::string& name) override {
    return real_->GetApplicationID(name);
  }

 private:
  std::shared_ptr<host::Configuration> real_;
  std::shared_ptr<int> reads_;
};

// Utility's users-and-partners operations on a seeded installation with a membership
// directory: partners 10 (Acme) and 20 (kOddPartner); users "alice" (partner 10, employee
// number "E-100", application 7), "bob" (partner 20, no employee number, no application) and
// kOddUser (partner 20, employee number "N°'7").
class UtilityUsersTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    testing::WriteFile(Home() + "/config/SiteConfiguration.xml",
                       std::string("<configuration><section name=\"MEMBERSHIP\">"
                                   "<key name=\"MemScriptUser\">") +
                           kAccount + "</key><key name=\"MemScriptCode\">" + kCode +
                           "</key></section><section name=\"GLOBAL\"><key name=\"IISVirtId\">"
                           "/portal'Ü</key></section></configuration>");
    AddApplicationToConfiguration("Portal", 7);
    host::MembershipDatabase directory([this] { return Open(); });
    directory.InsertPartner({10, "Acme", "AC", "ACS"});
    directory.InsertPartner({20, kOddPartner, "", ""});
    directory.InsertApplication({7, "Portal"});
    directory.InsertUser(User("alice", 10, "E-100", {7}));
    directory.InsertUser(User("bob", 20, "", {}));
    directory.InsertUser(User(kOddUser, 20, "N°'7", {}));
  }

  static host::MemberRecord User(const std::string& id, int32_t partner,
                                 const std::string& employee_number,
                                 std::vector<int32_t> applications) {
    host::MemberRecord user;
    user.user_id = id;
    user.business_partner_id = partner;
    user.employee_number = employee_number;
    user.email_address = id + "@example.com";
    user.applications = std::move(applications);
    return user;
  }

  // Adds an application element to the B2B configuration file that the base fixture wrote.
  void AddApplicationToConfiguration(const std::string& name, int32_t id) {
    const std::string path = Home() + "/config/R2AVidodeConfiguration.xml";
    std::string content = testing::ReadFile(path);
    const size_t end = content.rfind("</configuration>");
    ASSERT_NE(end, std::string::npos);
    content.insert(end, "<application name=\"" + name + "\" id=\"" + std::to_string(id) + "\"/>");
    testing::WriteFile(path, content);
  }

  static std::string Doc(const std::string& body) { return "<ORDER>" + body + "</ORDER>"; }

  Utility utility_;
};

TEST_P(UtilityUsersTest, OpensTheUserObjectOfAUserId) {
  std::string user = "alice";
  auto object = utility_.GetAUObject(user);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->UserID(), "alice");
  EXPECT_EQ(object->BusinessPartnerID(), 10);
  EXPECT_EQ(utility_.GetAUBusinessPartnerID(user), 10);
  EXPECT_EQ(utility_.GetAUEmailAddress(user), "alice@example.com");
  std::string odd = kOddUser;
  EXPECT_EQ(utility_.GetAUBusinessPartnerID(odd), 20);
  EXPECT_EQ(utility_.GetAUEmailAddress(odd), std::string(kOddUser) + "@example.com");
}

TEST_P(UtilityUsersTest, UnknownUserIdIsRaisedThroughTheChain) {
  for (std::string user : {std::string("nobody"), std::string("Alice"), std::string("")}) {
    SCOPED_TRACE(user);
    const Error failure = testing::RaisedBy([&] { utility_.GetAUObject(user); });
    EXPECT_NE(failure.number(), 0);
    EXPECT_TRUE(
        testing::Contains(failure.description(), "METHOD: Velmora.Utility.GetAUObject caught:"));
    EXPECT_TRUE(
        testing::Contains(failure.description(), "METHOD: Velmora.Utility.getAUOAddress caught:"));
  }
  std::string nobody = "nobody";
  const Error partner = testing::RaisedBy([&] { utility_.GetAUBusinessPartnerID(nobody); });
  EXPECT_EQ(partner.number(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_TRUE(testing::Contains(partner.description(), "Velmora.Utility.GetAUBusinessPartnerID"));
  const Error mail = testing::RaisedBy([&] { utility_.GetAUEmailAddress(nobody); });
  EXPECT_TRUE(testing::Contains(mail.description(), "Velmora.Utility.GetAUEmailAddress"));
}

// Library code reaches the directory through the users service: the same answers as the
// facade, and failures raised unreported (the caller's own method reports them).
TEST_P(UtilityUsersTest, TheUsersServiceAnswersAsTheFacadeAndRaisesUnreported) {
  for (const std::string& user : {std::string("alice"), std::string(kOddUser)}) {
    SCOPED_TRACE(user);
    EXPECT_EQ(routing::users::PartnerOf(user), utility_.GetAUBusinessPartnerID(user));
    EXPECT_EQ(routing::users::EmailAddressOf(user), utility_.GetAUEmailAddress(user));
  }
  EXPECT_EQ(routing::users::PartnerName(20), kOddPartner);
  const routing::users::Sender by_number =
      routing::users::SenderOf(Doc("<CONTACT>E-100</CONTACT>"));
  EXPECT_EQ(by_number.partner, 10);
  EXPECT_EQ(by_number.name, "alice");

  const Error unknown = testing::RaisedBy([] { routing::users::PartnerOf("nobody"); });
  EXPECT_EQ(unknown.number(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_FALSE(testing::Contains(unknown.description(), "METHOD: ")) << unknown.description();
  const Error no_sender = testing::RaisedBy([] { routing::users::SenderOf(Doc("<X/>")); });
  EXPECT_EQ(no_sender.number(), ErrNumber(EnumerationErrors::TagNotPresentError));
}

TEST_P(UtilityUsersTest, ReadsTheVirtualIdOncePerObject) {
  auto reads = std::make_shared<int>(0);
  core::ScopedComponent counting(
      "Tarvex.Configuration", [reads] { return std::make_shared<CountingConfiguration>(reads); });
  std::string alice = "alice";
  std::string bob = "bob";
  Utility first;
  first.GetAUObject(alice);
  first.GetAUObject(bob);
  first.GetAUBusinessPartnerID(alice);
  EXPECT_EQ(*reads, 1);
  EXPECT_EQ(first.getIISVirtID(), kVirtualId);
  EXPECT_EQ(*reads, 1);
  Utility second;
  second.GetAUEmailAddress(bob);
  EXPECT_EQ(*reads, 2);
}

TEST_P(UtilityUsersTest, EachLookupFailsWhileTheSiteConfigurationCannotBeRead) {
  const std::string file = Home() + "/config/SiteConfiguration.xml";
  const std::string kept = testing::ReadFile(file);
  std::string alice = "alice";
  std::string virtual_id = kVirtualId;
  Variant criteria("cn=alice");
  const std::vector<std::pair<const char*, std::function<void()>>> lookups = {
      {"GetAUObject", [&] { utility_.GetAUObject(alice); }},
      {"GetAUEmailAddress", [&] { utility_.GetAUEmailAddress(alice); }},
      {"GetAuoRSByCriteria", [&] { utility_.GetAuoRSByCriteria(criteria, virtual_id); }},
  };
  for (const auto& [name, lookup] : lookups) {
    SCOPED_TRACE(name);
    lookup();
    fs::remove(file);
    EXPECT_EQ(testing::RaisedBy(lookup).number(), kErrFileNotFound);
    EXPECT_EQ(testing::RaisedBy(lookup).number(), kErrFileNotFound);
    testing::WriteFile(file, kept);
    lookup();
  }
}

TEST_P(UtilityUsersTest, SearchFillsAnEmptyVirtualIdAndFindsByFilter) {
  Variant criteria("cn=" + std::string(kOddUser));
  std::string virtual_id;
  auto found = utility_.GetAuoRSByCriteria(criteria, virtual_id);
  EXPECT_EQ(virtual_id, kVirtualId);
  ASSERT_NE(found, nullptr);
  ASSERT_FALSE(found->IsEOF());
  EXPECT_EQ(found->Field("cn").ToText(), kOddUser);
  EXPECT_EQ(found->Field("BusinessPartnerID").ToInt32(), 20);

  Variant by_number("employeenumber=N°'7");
  std::string given = "given";
  found = utility_.GetAuoRSByCriteria(by_number, given);
  EXPECT_EQ(given, "given");
  ASSERT_FALSE(found->IsEOF());
  EXPECT_EQ(found->Field("cn").ToText(), kOddUser);

  Variant nobody("cn=ALICE");
  EXPECT_TRUE(utility_.GetAuoRSByCriteria(nobody, given)->IsEOF());

  Variant bad("uid=alice");
  const Error failure = testing::RaisedBy([&] { utility_.GetAuoRSByCriteria(bad, given); });
  EXPECT_EQ(failure.number(), kErrInvalidProcedureCall);
  EXPECT_TRUE(testing::Contains(failure.description(), "Velmora.Utility.GetAuoRSByCriteria"));
}

TEST_P(UtilityUsersTest, SenderIsFoundBySenderElement) {
  std::string xml = Doc("<SENDER>  alice </SENDER><CONTACT>bob</CONTACT>");
  int32_t partner = -5;
  std::string name = "stale";
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 10);
  EXPECT_EQ(name, "alice");

  xml = Doc("<SENDER>O'Conner \"Ü\"</SENDER>");
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 20);
  EXPECT_EQ(name, kOddUser);
}

TEST_P(UtilityUsersTest, UnknownSenderKeepsTheDocumentsNameAndPartnerZero) {
  std::string xml = Doc("<SENDER>ghost'ü</SENDER><CONTACT>alice</CONTACT>");
  int32_t partner = 99;
  std::string name;
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 0);
  EXPECT_EQ(name, "ghost'ü");
}

// Processing reports a sender it cannot determine as the facade does: under the facade's path
// with the message of "ZODAR0004" as additional information.
TEST_P(UtilityUsersTest, NoSenderIsReportedWithItsLabelAndLeavesNoPartner) {
  std::string xml = Doc("<NOTE>x</NOTE>");
  int32_t partner = 99;
  std::string name = "stale";
  const Error failure = testing::RaisedBy([&] { utility_.GetSenderBPAndName(xml, partner, name); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::TagNotPresentError));
  EXPECT_TRUE(testing::Contains(failure.description(),
                                "METHOD: Velmora.Utility.GetSenderBPAndName caught"));
  const std::string label = routing::users::NoSenderInfo().ToText();
  EXPECT_FALSE(label.empty());
  EXPECT_TRUE(testing::Contains(failure.description(), "Additional information: " + label))
      << failure.description();
  EXPECT_EQ(partner, 0);
  EXPECT_EQ(name, "");
}

TEST_P(UtilityUsersTest, SenderIsFoundByContactEmployeeNumberThenUserName) {
  std::string xml = Doc("<SENDER/><CONTACT>E-100</CONTACT>");
  int32_t partner = 0;
  std::string name;
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 10);
  EXPECT_EQ(name, "alice");

  // Not an employee number: found by "cn=".
  xml = Doc("<CONTACT>bob</CONTACT>");
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 20);
  EXPECT_EQ(name, "bob");

  xml = Doc("<CONTACT>N°'7</CONTACT>");
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 20);
  EXPECT_EQ(name, kOddUser);

  // A contact nobody has: partner 0, the sender name stays the empty SENDER.
  xml = Doc("<CONTACT>stranger</CONTACT>");
  partner = 4;
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 0);
  EXPECT_EQ(name, "");
}

TEST_P(UtilityUsersTest, DocumentWithoutSenderOrContactRaisesTheNoSenderLabel) {
  const std::string label = "The sender of the document could not be determined";
  std::string xml = Doc("<SENDER>  </SENDER><CONTACT></CONTACT>");
  int32_t partner = 3;
  std::string name = "x";
  const Error failure = testing::RaisedBy([&] { utility_.GetSenderBPAndName(xml, partner, name); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::TagNotPresentError));
  EXPECT_TRUE(
      testing::Contains(failure.description(), "METHOD: Velmora.Utility.GetSenderBPAndName"));
  EXPECT_TRUE(testing::Contains(failure.description(), label));
  EXPECT_TRUE(testing::Contains(failure.description(), " Additional information: " + label));
  EXPECT_EQ(partner, 0);
  EXPECT_EQ(name, "");
}

TEST_P(UtilityUsersTest, MalformedDocumentRaisesTheParsersError) {
  std::string xml = "<ORDER><SENDER>alice</ORDER>";
  int32_t partner = 3;
  std::string name = "x";
  const Error failure = testing::RaisedBy([&] { utility_.GetSenderBPAndName(xml, partner, name); });
  EXPECT_GT(failure.number() - xml::kXmlParseErrorBase, 0);
  EXPECT_LT(failure.number() - xml::kXmlParseErrorBase, 0x10000);
  EXPECT_EQ(failure.source(), xml);
  EXPECT_TRUE(testing::Contains(failure.description(), "Velmora.Utility.GetSenderBPAndName"));
  EXPECT_EQ(partner, 0);
  EXPECT_EQ(name, "");
}

TEST_P(UtilityUsersTest, ComparesTheSendersPartnerWithTheUsersPartner) {
  const std::string from_alice = Doc("<SENDER>alice</SENDER>");
  EXPECT_TRUE(utility_.BPOfDocumentEqualsBPOfUser("alice", from_alice));
  EXPECT_FALSE(utility_.BPOfDocumentEqualsBPOfUser("bob", from_alice));
  EXPECT_TRUE(utility_.BPOfDocumentEqualsBPOfUser(kOddUser, Doc("<CONTACT>bob</CONTACT>")));
  const Error failure =
      testing::RaisedBy([&] { utility_.BPOfDocumentEqualsBPOfUser("nobody", from_alice); });
  EXPECT_TRUE(
      testing::Contains(failure.description(), "Velmora.Utility.BPOfDocumentEqualsBPOfUser"));
}

TEST_P(UtilityUsersTest, NamesPartnersAndRaisesForUnknownOnes) {
  EXPECT_EQ(utility_.GetBusinessPartnerName(10), "Acme");
  EXPECT_EQ(utility_.GetBusinessPartnerName(20), kOddPartner);
  const Error failure = testing::RaisedBy([&] { utility_.GetBusinessPartnerName(999); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_TRUE(
      testing::Contains(failure.description(), "METHOD: Velmora.Utility.GetBusinesspartnerName"));
}

TEST_P(UtilityUsersTest, ChecksPasswordsWithTheValidator) {
  host::MemberRecord carol = User("carol'ü", 10, "", {});
  carol.password_hash = host::NewSodiumPasswordHasher()->Hash("pa'ss wörd");
  host::MembershipDatabase([this] { return Open(); }).InsertUser(carol);
  std::string user = "carol'ü";
  std::string right = "pa'ss wörd";
  std::string wrong = "pa'ss word";
  std::string xml;
  EXPECT_EQ(utility_.CheckUserAuthorization(user, right, xml), Variant(true));
  EXPECT_EQ(utility_.CheckUserAuthorization(user, wrong, xml), Variant(false));
  std::string unknown = "nobody";
  EXPECT_EQ(utility_.CheckUserAuthorization(unknown, right, xml), Variant(false));
}

TEST_P(UtilityUsersTest, ApplicationIdsAndAccess) {
  EXPECT_EQ(utility_.GetApplicationID("Portal"), 7);
  const Error failure = testing::RaisedBy([&] { utility_.GetApplicationID("Portal'Ü"); });
  EXPECT_TRUE(
      testing::Contains(failure.description(), "METHOD: Velmora.Utility.GetApplicID caught:"));
  EXPECT_TRUE(utility_.UserAccessToApplicationAllowed("alice", "Portal"));
  EXPECT_FALSE(utility_.UserAccessToApplicationAllowed("bob", "Portal"));
  const Error unknown =
      testing::RaisedBy([&] { utility_.UserAccessToApplicationAllowed("nobody", "Portal"); });
  EXPECT_TRUE(
      testing::Contains(unknown.description(), "Velmora.Utility.UserAccessToApplicationAllowed"));
}

TEST_P(UtilityUsersTest, ParameterFailuresPassUnreported) {
  Exec(
      "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES ('Qu''oté', "
      "' va''lue ü ')");
  std::string name = "Qu'oté";
  EXPECT_EQ(utility_.GetR2AVidodeParameter(name), "va'lue ü");
  std::string missing = "NoSuchParameter";
  const Error failure = testing::RaisedBy([&] { utility_.GetR2AVidodeParameter(missing); });
  EXPECT_EQ(failure.number(), ErrNumber(EnumerationErrors::MissingParameter));
  EXPECT_FALSE(testing::Contains(failure.description(), "Velmora.Utility"));
}

TEST_P(UtilityUsersTest, TakesFieldsOutOfAFormBody) {
  Variant value("stale");
  EXPECT_TRUE(utility_.RetrieveElementFromRequestFormCollection(
      "first=a%20b&Last=O%27Brien+%FCber&end=x", "last=", value));
  EXPECT_EQ(value, Variant("O'Brien über"));
  // The last field runs to the end of the form.
  EXPECT_TRUE(
      utility_.RetrieveElementFromRequestFormCollection("first=1&end=tail%20x", "end=", value));
  EXPECT_EQ(value, Variant("tail x"));
  EXPECT_FALSE(utility_.RetrieveElementFromRequestFormCollection("first=1", "other=", value));
  EXPECT_EQ(value, Variant(""));
  EXPECT_FALSE(utility_.RetrieveElementFromRequestFormCollection("a=&b=2", "a=", value));
  EXPECT_EQ(value, Variant(""));
  // A blank value is not trimmed but does not count as found.
  EXPECT_FALSE(utility_.RetrieveElementFromRequestFormCollection("a=%20%20&b=2", "a=", value));
  EXPECT_EQ(value, Variant("  "));
  // The first occurrence counts, also inside another field's name.
  EXPECT_TRUE(utility_.RetrieveElementFromRequestFormCollection("docid=5&id=7", "id=", value));
  EXPECT_EQ(value, Variant("5"));
}

TEST_P(UtilityUsersTest, UndecodableFormValueWritesTheFormToTheErrorFolder) {
  testing::TempFolder errors;
  Exec("UPDATE COLLABORATIONPARAMETER SET PARAMVALUE = '" + errors.path() +
       "/' WHERE PARAMNAME = 'XMLErrorPath'");
  Variant value;
  const std::string form = "a=%zz&b='ü'";
  const Error failure = testing::RaisedBy(
      [&] { utility_.RetrieveElementFromRequestFormCollection(form, "a=", value); });
  EXPECT_EQ(failure.number(), kErrTypeMismatch);
  EXPECT_TRUE(testing::Contains(failure.description(),
                                "METHOD: RetrieveElementFromRequestFormCollection caught:"));
  int files_written = 0;
  for (const auto& entry : fs::recursive_directory_iterator(errors.path())) {
    if (entry.is_regular_file()) {
      ++files_written;
      EXPECT_GT(entry.file_size(), form.size());
    }
  }
  EXPECT_EQ(files_written, 1);
}

TEST_P(UtilityUsersTest, CheckLongKeepsTheSixteenBitConversion) {
  Variant null = Variant::MakeNull();
  EXPECT_EQ(utility_.CheckLong(null), 0);
  Variant text("12");
  EXPECT_EQ(utility_.CheckLong(text), 12);
  Variant empty;
  EXPECT_EQ(utility_.CheckLong(empty), 0);
  Variant low(int32_t{-32768});
  EXPECT_EQ(utility_.CheckLong(low), -32768);
  Variant big(int32_t{40000});
  const Error overflow = testing::RaisedBy([&] { utility_.CheckLong(big); });
  EXPECT_EQ(overflow.number(), kErrOverflow);
  EXPECT_TRUE(testing::Contains(overflow.description(), "METHOD: Velmora.Utility.CheckLong"));
  Variant word("twelve");
  EXPECT_EQ(testing::RaisedBy([&] { utility_.CheckLong(word); }).number(), kErrTypeMismatch);
}

TEST_P(UtilityUsersTest, CheckStringGivesTextAndEmptyForNull) {
  Variant null = Variant::MakeNull();
  EXPECT_EQ(utility_.CheckString(null), "");
  Variant number(int32_t{12});
  EXPECT_EQ(utility_.CheckString(number), "12");
  Variant odd{std::string(kOddUser)};
  EXPECT_EQ(utility_.CheckString(odd), kOddUser);
}

TEST_P(UtilityUsersTest, CallsThroughTheAutomationLayer) {
  automation::RegisterAllClasses();
  auto& registry = automation::ClassRegistry::Global();
  std::vector<Variant> args{Variant(Doc("<CONTACT>E-100</CONTACT>")), Variant(), Variant()};
  registry.Call("Velmora.Utility", "GetSenderBPAndName", args);
  EXPECT_EQ(args[1], Variant(int32_t{10}));
  EXPECT_EQ(args[2], Variant("alice"));

  std::vector<Variant> form{Variant("x=1&y=%27q%27"), Variant("Y="), Variant()};
  EXPECT_EQ(registry.Call("Velmora.Utility", "RetrieveElementFromRequestFormCollection", form),
            Variant(true));
  EXPECT_EQ(form[2], Variant("'q'"));

  std::vector<Variant> big{Variant(int32_t{40000})};
  try {
    registry.Call("Velmora.Utility", "CheckLong", big);
    ADD_FAILURE() << "CheckLong(40000) did not fail";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.number(), kErrOverflow);
  }
  std::vector<Variant> partner{Variant(int32_t{20})};
  EXPECT_EQ(registry.Call("Velmora.Utility", "GetBusinessPartnerName", partner),
            Variant(kOddPartner));
}

TEST_P(UtilityUsersTest, ObiDocumentsAreSentByTheirEnvelopesSenderPartner) {
  automation::RegisterAllClasses();
  const auto obi = [](const std::string& partner) {
    return "<OBIOrder version=\"3.0\"><Envelope><Sender><PartnerName>" + partner +
           "</PartnerName></Sender></Envelope><SENDER>alice</SENDER></OBIOrder>";
  };
  std::string xml = obi(" bob ");
  int32_t partner = 0;
  std::string name;
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 20);
  EXPECT_EQ(name, "bob");

  xml = obi("Acme Buyer");
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 0);
  EXPECT_EQ(name, "Acme Buyer");

  // No partner name: the SENDER element names the sender.
  xml = obi("");
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 10);
  EXPECT_EQ(name, "alice");

  // The same envelope in a document that is not OBI does not count.
  xml =
      "<ORDER><Envelope><Sender><PartnerName>bob</PartnerName></Sender></Envelope>"
      "<SENDER>alice</SENDER></ORDER>";
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 10);
  EXPECT_EQ(name, "alice");
}

TEST_P(UtilityUsersTest, WithoutTheObiServiceEveryDocumentCountsAsNotObi) {
  automation::RegisterAllClasses();
  const core::ScopedComponent unavailable("Velmora.OBI", []() -> ObjectRef {
    throw Error(kErrCannotCreateObject, "Velmora.OBI", "not installed");
  });
  std::string xml =
      "<OBIOrder><Envelope><Sender><PartnerName>bob</PartnerName></Sender></Envelope>"
      "<SENDER>alice</SENDER></OBIOrder>";
  int32_t partner = 0;
  std::string name;
  utility_.GetSenderBPAndName(xml, partner, name);
  EXPECT_EQ(partner, 10);
  EXPECT_EQ(name, "alice");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UtilityUsersTest);

}  // namespace
}  // namespace velmora
