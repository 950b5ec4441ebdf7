// `velmora admin partner|user|app|doctype`: the real program on a fresh installation, as a new
// user would run it, and the document type maintenance it calls.
#include "app/admin_directory.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/admin_program_test.h"
#include "platform/host/password_hash.h"
#include "platform/json/json_codec.h"
#include "support/library_db_test.h"
#include "support/temp_home.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/db/connection.h"

namespace velmora::app {
namespace {

using testing::Contains;

class AdminDirectoryTest : public AdminProgramTest {
 protected:
  std::string StoredHash(const std::string& user_id) {
    auto connection = ProgramDatabase();
    auto rows = connection->Query("SELECT USERID, PASSWORDHASH FROM MEMBERUSER");
    for (; !rows->IsEOF(); rows->MoveNext()) {
      if (rows->Field("USERID").ToText() == user_id) {
        const Variant hash = rows->Field("PASSWORDHASH");
        return hash.IsNull() ? std::string() : hash.ToText();
      }
    }
    return "(no user)";
  }
};

TEST_P(AdminDirectoryTest, ANewInstallationGetsPartnersAppsUsersAndDocumentTypes) {
  Init();
  EXPECT_EQ(Ok({"partner", "add", "10", "Acme Corp", "--code0", "AC-0", "--code1", "AC-1"}),
            "Added business partner 10 (Acme Corp)\n");
  Ok({"partner", "add", "20",
      "Gl\xc3\xb6"
      "bex"});
  EXPECT_EQ(Ok({"partner", "list"}),
            "id\tname\tcode0\tcode1\n10\tAcme Corp\tAC-0\tAC-1\n20\tGl\xc3\xb6"
            "bex\t\t\n");

  Ok({"app", "add", "1", "Velmora"});
  EXPECT_EQ(Ok({"app", "add", "2", "Portal"}), "Added application 2 (Portal)\n");
  EXPECT_EQ(Ok({"app", "list"}), "id\tname\n1\tVelmora\n2\tPortal\n");
  EXPECT_TRUE(
      Contains(testing::ReadFile(home_ + "/config/R2AVidodeConfiguration.xml"), "name=\"Portal\""))
      << "the configuration answers application ids by name too";

  const std::string added =
      Ok({"user", "add", "alice", "--partner", "10", "--email", "alice@acme.example", "--password",
          "-", "--first-name", "Alice", "--last-name", "Liddell", "--app", "Portal", "--app",
          "Velmora", "--employee-number", "E-17"},
         "wonder land\n");
  EXPECT_EQ(added, "Added user alice\n");
  Ok({"user", "add", "bob", "--partner", "20", "--email", "bob@globex.example", "--language",
      "1043", "--password", "hunter2"});
  const std::string list = Ok({"user", "list"});
  EXPECT_EQ(
      list,
      "userid\tpartner\temail\tlanguage\temployeeNumber\tfirstName\tlastName\tpassword\tapps\n"
      "alice\t10\talice@acme.example\t1033\tE-17\tAlice\tLiddell\tyes\tVelmora,Portal\n"
      "bob\t20\tbob@globex.example\t1043\t\t\t\tyes\t\n");
  EXPECT_FALSE(Contains(list, "wonder")) << "passwords are never printed";
  EXPECT_FALSE(Contains(list, "hunter2"));
  EXPECT_FALSE(Contains(list, "argon2"));

  const std::string hash = StoredHash("alice");
  EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u) << hash;
  EXPECT_TRUE(host::NewSodiumPasswordHasher()->Verify(hash, "wonder land"))
      << "the line from standard input is the password, without its line end";
  EXPECT_TRUE(host::NewSodiumPasswordHasher()->Verify(StoredHash("bob"), "hunter2"));

  EXPECT_EQ(Ok({"doctype", "add", "ORDERS", "Purchase orders", "--html-xsl", "orders.xsl",
                "--show-accept-reject", "--icon", "order.gif"}),
            "Added document type ORDERS\n");
  Ok({"doctype", "add", "INVOICE", "Invoices", "--ext-description", "Invoices, all kinds"});
  EXPECT_EQ(Ok({"doctype", "list"}),
            "id\tdescription\textDescription\ticon\thtmlXsl\tshowAcceptReject\n"
            "INVOICE\tInvoices\tInvoices, all kinds\t\t\tno\n"
            "ORDERS\tPurchase orders\t\torder.gif\torders.xsl\tyes\n");
}

TEST_P(AdminDirectoryTest, EveryCommandPrintsJsonOnRequest) {
  Init();
  const Variant partner = Json({"partner", "add", "10", "Acme", "--code0", "A", "--json"});
  EXPECT_EQ(Field(partner, "id").ToInt32(), 10);
  EXPECT_EQ(Field(partner, "code0").ToText(), "A");
  EXPECT_TRUE(Field(partner, "code1").IsNull());
  Ok({"--json", "app", "add", "2", "Portal"});
  const Variant user = Json({"--json", "user", "add", "alice", "--partner", "10", "--email",
                             "a@acme.example", "--password", "secret", "--app", "Portal"});
  EXPECT_EQ(Field(user, "userid").ToText(), "alice");
  EXPECT_EQ(Field(user, "password").ToBool(), true);
  EXPECT_EQ(Field(user, "apps").AsArray().At(0).ToText(), "Portal");
  EXPECT_EQ(Field(user, "language").ToInt32(), 1033);

  const Variant users = Json({"user", "list", "--json"});
  ASSERT_EQ(users.AsArray().Count(), 1u);
  EXPECT_EQ(Field(users.AsArray().At(0), "email").ToText(), "a@acme.example");
  EXPECT_EQ(Json({"--json", "partner", "list"}).AsArray().Count(), 1u);
  EXPECT_EQ(Json({"app", "list", "--json"}).AsArray().Count(), 1u);
  EXPECT_EQ(Field(Json({"doctype", "add", "T", "Type", "--json"}), "showAcceptReject").ToBool(),
            false);
  EXPECT_EQ(Json({"doctype", "list", "--json"}).AsArray().Count(), 1u);
  EXPECT_EQ(Field(Json({"doctype", "remove", "T", "--json"}), "removed").ToText(), "T");
  EXPECT_EQ(Field(Json({"user", "remove", "alice", "--json"}), "removed").ToText(), "alice");
  EXPECT_EQ(Field(Json({"partner", "remove", "10", "--json"}), "removed").ToInt32(), 10);

  const Outcome failed = Admin({"--json", "partner", "remove", "10"});
  EXPECT_EQ(failed.exit_code, 1);
  const Variant error = Field(json::Parse(failed.output), "error");
  EXPECT_EQ(Field(error, "number").ToInt32(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_TRUE(Contains(Field(error, "description").ToText(), "does not exist"));
}

TEST_P(AdminDirectoryTest, UserSetChangesOnlyTheOptionsGiven) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"partner", "add", "20", "Globex"});
  Ok({"app", "add", "1", "Velmora"});
  Ok({"app", "add", "2", "Portal"});
  Ok({"user", "add", "alice", "--partner", "10", "--email", "a@acme.example", "--first-name",
      "Alice", "--password", "old", "--app", "Velmora"});
  const std::string old_hash = StoredHash("alice");

  EXPECT_EQ(Ok({"user", "set", "alice", "--email", "alice@new.example", "--language", "1031",
                "--app", "Portal", "--app", "Velmora"}),
            "Changed user alice\n");
  Variant alice = Json({"user", "list", "--json"}).AsArray().At(0);
  EXPECT_EQ(Field(alice, "email").ToText(), "alice@new.example");
  EXPECT_EQ(Field(alice, "language").ToInt32(), 1031);
  EXPECT_EQ(Field(alice, "firstName").ToText(), "Alice");
  EXPECT_EQ(Field(alice, "partner").ToInt32(), 10);
  EXPECT_EQ(Field(alice, "apps").AsArray().Count(), 2u);
  EXPECT_EQ(StoredHash("alice"), old_hash) << "no --password keeps the password";

  const std::string changed =
      Ok({"user", "set", "alice", "--password", "-", "--partner", "20", "--first-name", ""},
         "n\xc3\xa9w p\xc3\xa4ss\r\n");
  EXPECT_FALSE(Contains(changed, "p\xc3\xa4ss"));
  alice = Json({"user", "list", "--json"}).AsArray().At(0);
  EXPECT_EQ(Field(alice, "partner").ToInt32(), 20);
  EXPECT_TRUE(Field(alice, "firstName").IsNull());
  EXPECT_TRUE(
      host::NewSodiumPasswordHasher()->Verify(StoredHash("alice"), "n\xc3\xa9w p\xc3\xa4ss"));
  EXPECT_FALSE(host::NewSodiumPasswordHasher()->Verify(StoredHash("alice"), "old"));

  Refused({"user", "set", "alice", "--no-apps", "--app", "Portal"}, "cannot be given together");
  Ok({"user", "set", "alice", "--no-apps"});
  alice = Json({"user", "list", "--json"}).AsArray().At(0);
  EXPECT_EQ(Field(alice, "apps").AsArray().Count(), 0u) << "--no-apps empties the list";
  EXPECT_EQ(Field(alice, "partner").ToInt32(), 20) << "the other fields stay";
}

TEST_P(AdminDirectoryTest, RemovalsRefuseRecordsThatAreStillReferredTo) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"partner", "add", "20", "Empty"});
  Ok({"user", "add", "alice", "--partner", "10", "--email", "a@acme.example"});
  Ok({"doctype", "add", "ORDERS", "Orders"});

  Refused({"partner", "remove", "10"},
          "Business partner 10 cannot be removed: it is the partner of 1 user (alice)");
  EXPECT_EQ(Json({"partner", "list", "--json"}).AsArray().Count(), 2u);
  EXPECT_EQ(Ok({"partner", "remove", "20"}), "Removed business partner 20\n");
  EXPECT_EQ(Ok({"user", "remove", "alice"}), "Removed user alice\n");
  Ok({"partner", "remove", "10"});
  EXPECT_EQ(Ok({"partner", "list"}), "id\tname\tcode0\tcode1\n");
  EXPECT_EQ(Ok({"user", "list"}),
            "userid\tpartner\temail\tlanguage\temployeeNumber\tfirstName\tlastName\tpassword\t"
            "apps\n");
  EXPECT_EQ(Ok({"doctype", "remove", "ORDERS"}), "Removed document type ORDERS\n");

  Refused({"partner", "remove", "10"}, "Business partner 10 does not exist");
  Refused({"user", "remove", "alice"}, "The user 'alice' does not exist");
  Refused({"doctype", "remove", "ORDERS"}, "The document type 'ORDERS' does not exist");
}

TEST_P(AdminDirectoryTest, BadInputExitsNonZeroWithAClearMessage) {
  Init();
  Ok({"partner", "add", "10", "Acme", "--code0", "AC"});
  Ok({"app", "add", "2", "Portal"});
  Ok({"user", "add", "alice", "--partner", "10", "--email", "a@acme.example"});
  Ok({"doctype", "add", "ORDERS", "Orders"});

  Refused({"partner", "add", "10", "Again"}, "Business partner 10 already exists");
  Refused({"doctype", "add", "T1", "T", "--icon", "../../etc/passwd"}, "within its folder");
  Refused({"doctype", "add", "T1", "T", "--html-xsl", "/etc/passwd"}, "within its folder");
  Refused({"partner", "add", "11", "Copy", "--code0", "AC"},
          "The code 'AC' of kind 0 already belongs to business partner 10");
  Refused({"partner", "add", "abc", "Name"}, "The partner id must be a whole number");
  Refused({"partner", "add", "0", "Name"}, "The partner id must be a whole number");
  Refused({"partner", "add", "12", ""}, "The partner name is empty");
  Refused({"partner", "remove", "x"}, "The partner id must be a whole number");

  Refused({"user", "add", "bob", "--partner", "99", "--email", "b@x.example"},
          "Business partner 99 does not exist");
  Refused({"user", "add", "bob", "--email", "b@x.example"}, "user add needs --partner ID");
  Refused({"user", "add", "bob", "--partner", "10"}, "user add needs --email ADDRESS");
  Refused({"user", "add", "bob", "--partner", "ten", "--email", "b@x.example"},
          "The partner id must be a whole number");
  Refused({"user", "add", "bob", "--partner", "10", "--email", "bob"},
          "'bob' is not an e-mail address");
  Refused({"user", "add", "alice", "--partner", "10", "--email", "a@acme.example"},
          "The user 'alice' already exists");
  Refused({"user", "add", "bob", "--partner", "10", "--email", "b@x.example", "--app", "Nope"},
          "Unknown application 'Nope'");
  Refused({"user", "add", "bob", "--partner", "10", "--email", "b@x.example", "--language", "0"},
          "The language id must be a whole number");
  Refused({"user", "add", "bob", "--partner", "10", "--email", "b@x.example", "--password", ""},
          "The password is empty");
  Refused({"user", "add", "bob", "--partner", "10", "--email", "b@x.example", "--password", "-"},
          "No password could be read from standard input");
  Refused({"user", "set", "ghost", "--email", "g@x.example"}, "The user 'ghost' does not exist");
  Refused({"user", "set", "alice", "--partner", "99"}, "Business partner 99 does not exist");

  Refused({"app", "add", "2", "Other"}, "Application 2 already exists");
  Refused({"app", "add", "3", "Portal"},
          "The configuration file names application 'Portal' with id 2, not 3");
  Refused({"app", "add", "4", "Velmora"},
          "The configuration file names application 'Velmora' with id 1, not 4");

  Refused({"doctype", "add", "ORDERS", "Again"}, "The document type 'ORDERS' already exists");
  Refused({"doctype", "add", "", "Empty"}, "The document type id is empty");

  const std::string users = Ok({"user", "list"});
  EXPECT_FALSE(Contains(users, "bob")) << users;
  EXPECT_EQ(Admin({"user", "add"}).exit_code, 2) << "a missing argument is a usage error";
  EXPECT_EQ(Admin({"partner"}).exit_code, 2);
  EXPECT_EQ(Admin({"doctype", "remove"}).exit_code, 2);
}

TEST_P(AdminDirectoryTest, ARemovalRefusedByAParticipantKeepsTheDocumentType) {
  AddDocumentType({"ORDERS", "Orders", "", "", "orders.xsl", true});
  std::vector<std::string> asked;
  class Referrer : public host::ReferentialIntegrity {
   public:
    explicit Referrer(std::vector<std::string>& asked) : asked_(asked) {}
    bool Exists(const Variant& origin, const VariantArray& keys,
                const VariantArray& values) override {
      asked_.push_back(origin.ToText() + ":" + keys.At(0).ToText() + "=" + values.At(0).ToText());
      return values.At(0).ToText() == "ORDERS";
    }
    bool BeforeDelete(const Variant&, const VariantArray&, const VariantArray&) override {
      return true;
    }

   private:
    std::vector<std::string>& asked_;
  };
  host::ReferentialIntegrityRegistry participants;
  participants.Register("Velmora.Pipeline", [&asked] { return std::make_shared<Referrer>(asked); });
  try {
    RemoveDocumentType("ORDERS", participants);
    FAIL() << "the removal must be refused";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::ReferentialDelete));
    EXPECT_EQ(error.description(),
              "The document type 'ORDERS' cannot be removed: it is still referred to by "
              "Velmora.Pipeline");
  }
  EXPECT_EQ(asked, std::vector<std::string>{"DOCUMENTTYPE:DOCUMENTTYPEID=ORDERS"});
  ASSERT_EQ(ListDocumentTypes().size(), 1u);
  EXPECT_EQ(ListDocumentTypes()[0].html_xsl, "orders.xsl");
  EXPECT_TRUE(ListDocumentTypes()[0].show_accept_reject);

  AddDocumentType({"INVOICE", "Invoices", "", "", "", false});
  RemoveDocumentType("INVOICE", participants);
  EXPECT_EQ(ListDocumentTypes().size(), 1u);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = 'INVOICE'").ToInt32(),
            0);
}

TEST_P(AdminDirectoryTest, DocumentTypesKeepEveryFieldAndRefuseBadIds) {
  AddDocumentType({"O'RDERS \xc3\xa9", "Orders", "Long text", "icon.gif", "", false});
  const std::vector<DocumentTypeRecord> types = ListDocumentTypes();
  ASSERT_EQ(types.size(), 1u);
  EXPECT_EQ(types[0].id, "O'RDERS \xc3\xa9");
  EXPECT_EQ(types[0].ext_description, "Long text");
  EXPECT_EQ(types[0].icon_file, "icon.gif");
  EXPECT_TRUE(Scalar("SELECT HTMLATTACHMENTXSL FROM DOCUMENTTYPE").IsNull());
  EXPECT_EQ(Scalar("SELECT SHOWACCEPTREJECT FROM DOCUMENTTYPE").ToInt32(), 0);
  EXPECT_THROW(AddDocumentType({"O'RDERS \xc3\xa9", "Again", "", "", "", false}), Error);
  EXPECT_THROW(AddDocumentType({std::string(101, 'x'), "Long", "", "", "", false}), Error);
  EXPECT_THROW(AddDocumentType({"TAB\tID", "Tab", "", "", "", false}), Error);
  EXPECT_THROW(RemoveDocumentType("o'rders \xc3\xa9"), Error);
  RemoveDocumentType("O'RDERS \xc3\xa9");
  EXPECT_TRUE(ListDocumentTypes().empty());
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(AdminDirectoryTest);

}  // namespace
}  // namespace velmora::app
