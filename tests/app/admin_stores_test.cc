// `velmora admin distlist|senderlist|receivemethod|conversion|tag`: the real program on a fresh
// installation, as a new user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/admin_program_test.h"
#include "platform/host/secret_box.h"
#include "platform/json/json_codec.h"
#include "support/library_db_test.h"
#include "velmora/base/dictionary.h"
#include "velmora/delivery/send_method.h"

namespace velmora::app {
namespace {

using testing::Contains;
using AdminStoresTest = AdminProgramTest;

TEST_P(AdminStoresTest, DistributionListAddsListsAndRemovesUsers) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"user", "add", "alice", "--partner", "10", "--email", "alice@acme.example"});
  Ok({"doctype", "add", "ORDERS", "Orders"});
  Ok({"doctype", "add", "INVOIC", "Invoices"});

  EXPECT_EQ(Ok({"distlist", "add", "ORDERS", "alice", "--email", "--attachments"}),
            "Added alice to the distribution list of ORDERS\n");
  Ok({"distlist", "add", "INVOIC", "alice", "--html"});
  EXPECT_EQ(Ok({"distlist", "list"}),
            "doctype\tuserid\tpartner\temail\thtml\tattachments\n"
            "INVOIC\talice\t10\tno\tyes\tno\n"
            "ORDERS\talice\t10\tyes\tno\tyes\n");
  const Variant orders = Json({"distlist", "list", "ORDERS", "--json"});
  ASSERT_EQ(orders.AsArray().values().size(), 1u);
  EXPECT_EQ(Field(orders.AsArray().values()[0], "partner").ToInt32(), 10)
      << "the partner is the user's";
  EXPECT_TRUE(Field(orders.AsArray().values()[0], "email").ToBool());

  Refused({"distlist", "add", "ORDERS", "alice"}, "already on the distribution list");
  Refused({"distlist", "add", "NOPE", "alice"}, "The document type 'NOPE' does not exist");
  Refused({"distlist", "add", "ORDERS", "bob"}, "The user 'bob' does not exist");
  Refused({"distlist", "list", "NOPE"}, "The document type 'NOPE' does not exist");

  EXPECT_EQ(Ok({"distlist", "remove", "ORDERS", "alice"}),
            "Removed alice from the distribution list of ORDERS\n");
  EXPECT_EQ(Ok({"distlist", "list", "ORDERS"}),
            "doctype\tuserid\tpartner\temail\thtml\tattachments\n");
  Refused({"distlist", "remove", "ORDERS", "alice"}, "is not on the distribution list");
}

TEST_P(AdminStoresTest, SenderListAddsListsAndRemovesUsers) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"user", "add", "alice", "--partner", "10", "--email", "alice@acme.example"});
  Ok({"doctype", "add", "ORDERS", "Orders"});

  EXPECT_EQ(Ok({"senderlist", "add", "ORDERS", "alice", "--notify", "--html"}),
            "Added alice to the sender list of ORDERS\n");
  EXPECT_EQ(Ok({"senderlist", "list", "ORDERS"}),
            "doctype\tuserid\tpartner\tnotify\tattachments\thtml\n"
            "ORDERS\talice\t10\tyes\tno\tyes\n");
  const Variant added = Json({"senderlist", "list", "--json"});
  ASSERT_EQ(added.AsArray().values().size(), 1u);
  EXPECT_FALSE(Field(added.AsArray().values()[0], "attachments").ToBool());

  Refused({"senderlist", "add", "ORDERS", "carol"}, "The user 'carol' does not exist");
  Refused({"senderlist", "add", "DESADV", "alice"}, "The document type 'DESADV' does not exist");
  Ok({"senderlist", "remove", "ORDERS", "alice"});
  EXPECT_EQ(Ok({"senderlist", "list"}), "doctype\tuserid\tpartner\tnotify\tattachments\thtml\n");
  Refused({"senderlist", "remove", "ORDERS", "alice"}, "is not on the sender list");
}

TEST_P(AdminStoresTest, ReceiveMethodsAndConversionsNeedKnownPartnersAndTypes) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"doctype", "add", "ORDERS", "Orders"});
  Ok({"doctype", "add", "INVOIC", "Invoices"});

  EXPECT_EQ(Ok({"receivemethod", "add", "10", "ORDERS", "acme-orders.xsl"}),
            "Set receive style sheet acme-orders.xsl for partner 10 and ORDERS\n");
  Ok({"receivemethod", "add", "10", "ORDERS", "acme-orders-2.xsl"});
  const Variant methods = Json({"receivemethod", "list", "--json"});
  ASSERT_EQ(methods.AsArray().values().size(), 1u) << "one style sheet per partner and type";
  EXPECT_EQ(Field(methods.AsArray().values()[0], "xsl").ToText(), "acme-orders-2.xsl");
  Refused({"receivemethod", "add", "99", "ORDERS", "x.xsl"}, "partner 99 does not exist");
  Refused({"receivemethod", "add", "10", "NOPE", "x.xsl"}, "'NOPE' does not exist");
  Refused({"receivemethod", "add", "ten", "ORDERS", "x.xsl"}, "must be a whole number");
  Ok({"receivemethod", "remove", "10", "ORDERS"});
  EXPECT_EQ(Ok({"receivemethod", "list"}), "id\tpartner\tdoctype\txsl\n");
  Refused({"receivemethod", "remove", "10", "ORDERS"}, "has no receive style sheet");

  EXPECT_EQ(Ok({"conversion", "add", "ORDERS", "INVOIC", "order-to-invoice.xsl"}),
            "Added conversion of ORDERS to INVOIC\n");
  const std::string list = Ok({"conversion", "list"});
  EXPECT_TRUE(Contains(list, "\tORDERS\tINVOIC\torder-to-invoice.xsl\n")) << list;
  Refused({"conversion", "add", "ORDERS", "INVOIC", "again.xsl"}, "already exists");
  Refused({"conversion", "add", "ORDERS", "NOPE", "x.xsl"}, "'NOPE' does not exist");
  Ok({"conversion", "remove", "ORDERS", "INVOIC"});
  EXPECT_EQ(Json({"conversion", "list", "--json"}).AsArray().values().size(), 0u);
  Refused({"conversion", "remove", "ORDERS", "INVOIC"}, "There is no conversion");
}

TEST_P(AdminStoresTest, TagsAreAddedListedAndRemovedById) {
  Init();
  Ok({"doctype", "add", "ORDERS", "Orders"});
  Ok({"doctype", "add", "INVOIC", "Invoices"});

  const Variant tag =
      Json({"tag", "add", "ORDERS", "Order number", "//order/@number", "--kind", "3", "--json"});
  const int32_t id = Field(tag, "id").ToInt32();
  EXPECT_GT(id, 0);
  Ok({"tag", "add", "INVOIC", "Total", "//total"});
  EXPECT_EQ(Ok({"tag", "list", "ORDERS"}), "id\tdoctype\tname\tpattern\tkind\n" +
                                               std::to_string(id) +
                                               "\tORDERS\tOrder number\t//order/@number\t3\n");
  const Variant all = Json({"tag", "list", "--json"});
  ASSERT_EQ(all.AsArray().values().size(), 2u);
  EXPECT_EQ(Field(all.AsArray().values()[1], "kind").ToInt32(), 1) << "kind 1 by default";

  Refused({"tag", "add", "ORDERS", "X", "//x", "--kind", "5"}, "must be 1, 2, 3 or 4");
  Refused({"tag", "add", "NOPE", "X", "//x"}, "'NOPE' does not exist");
  Refused({"tag", "add", "ORDERS", "X", "//x[", "--kind", "3"}, "is not a valid node query");
  Refused({"tag", "add", "ORDERS", "X", "//order/@number", "--kind", "2"},
          "is not a valid node query");
  const int32_t kept = Field(all.AsArray().values()[1], "id").ToInt32();
  const auto count = [&](const std::string& where) {
    return ProgramDatabase()
        ->Query("SELECT COUNT(*) AS N FROM TAGSVALUE" + where)
        ->Field("N")
        .ToInt32();
  };
  ProgramDatabase()->Execute("INSERT INTO TAGSVALUE (DOCUMENTID, TAGID, TAGVALUE) VALUES (1, " +
                             std::to_string(id) + ", 'A-1'), (2, " + std::to_string(id) +
                             ", 'A-2'), (1, " + std::to_string(kept) + ", '9.50')");
  EXPECT_EQ(Ok({"tag", "remove", std::to_string(id)}), "Removed tag " + std::to_string(id) + "\n");
  EXPECT_EQ(Json({"tag", "list", "ORDERS", "--json"}).AsArray().values().size(), 0u);
  EXPECT_EQ(count(" WHERE TAGID = " + std::to_string(id)), 0)
      << "a removed tag leaves no values behind";
  EXPECT_EQ(count(""), 1) << "other tags keep theirs";
  Refused({"tag", "remove", std::to_string(id)}, "does not exist");
}

// The stored row of send method `id`, read the way the delivery classes read it (the password
// unsealed with `key_file`).
TSendMethodProperties StoredSendMethod(db::Connection& database, int32_t id,
                                       const std::string& key_file) {
  auto rows = database.Query(
      "SELECT PROTOCOL, ADDRESS, PASSWORD, PORT, FORMAT FROM SENDMETHODPROPERTY WHERE "
      "SENDMETHODID = " +
      std::to_string(id));
  TSendMethodProperties properties;
  if (!rows->IsEOF()) {
    properties.nProtocol = static_cast<ESendMethodProtocol>(rows->Field("PROTOCOL").ToInt32());
    properties.sAddress = rows->Field("ADDRESS").ToText();
    properties.sPassword = host::Unseal(key_file, rows->Field("PASSWORD").ToText());
    properties.lPort = rows->Field("PORT").IsNull() ? -1 : rows->Field("PORT").ToInt32();
    properties.nFormat = static_cast<ESendMethodFormat>(rows->Field("FORMAT").ToInt32());
  }
  return properties;
}

TEST_P(AdminStoresTest, SendMethodsAreAddedChangedListedAndRemoved) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"doctype", "add", "ORDERS", "Orders"});

  const Variant added = Json({"sendmethod", "add", "10", "ORDERS", "--protocol", "ftp", "--address",
                              "ftp.acme.example", "--user", "acme", "--password", "s3cret",
                              "--port", "2121", "--file-name", "order", "--json"});
  const int32_t id = Field(added, "id").ToInt32();
  EXPECT_GT(id, 0);
  EXPECT_EQ(Field(added, "protocol").ToText(), "ftp");
  EXPECT_EQ(Field(added, "format").ToText(), "xml") << "XML unless --format says otherwise";
  EXPECT_EQ(Field(added, "rule").ToInt32(), -1) << "a plain send method has no rule";
  EXPECT_TRUE(Field(added, "password").ToBool()) << "the password is shown as set, not as text";
  EXPECT_FALSE(Contains(Ok({"sendmethod", "list", "--json"}), "s3cret"));

  EXPECT_EQ(Ok({"sendmethod", "set", std::to_string(id), "--address", "ftp2.acme.example"}),
            "Changed send method " + std::to_string(id) + "\n");
  auto database = ProgramDatabase();
  TSendMethodProperties stored =
      StoredSendMethod(*database, id, host::KeyFilePath(home_ + "/config"));
  EXPECT_EQ(stored.sAddress, "ftp2.acme.example");
  EXPECT_EQ(stored.sPassword, "s3cret") << "a set without --password keeps the password";
  EXPECT_EQ(stored.lPort, 2121);

  Ok({"sendmethod", "set", std::to_string(id), "--protocol", "email", "--address",
      "orders@acme.example"});
  stored = StoredSendMethod(*database, id, host::KeyFilePath(home_ + "/config"));
  EXPECT_EQ(stored.nProtocol, ESendMethodProtocol::Email);
  EXPECT_EQ(stored.sPassword, "") << "e-mail does not use the FTP account: it is cleared";

  EXPECT_EQ(Ok({"sendmethod", "list"}),
            "id\tpartner\tdoctype\trule\tprotocol\tformat\taddress\tautopush\n" +
                std::to_string(id) + "\t10\tORDERS\t-1\temail\txml\torders@acme.example\tno\n");

  EXPECT_EQ(Ok({"sendmethod", "remove", std::to_string(id)}),
            "Removed send method " + std::to_string(id) + "\n");
  EXPECT_EQ(Json({"sendmethod", "list", "10", "--json"}).AsArray().values().size(), 0u);
  EXPECT_EQ(database->Query("SELECT COUNT(*) AS N FROM SENDMETHODPROPERTY")->Field("N").ToInt32(),
            0);
}

TEST_P(AdminStoresTest, SendMethodCommandsRefuseBadInput) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"doctype", "add", "ORDERS", "Orders"});
  Refused({"sendmethod", "add", "10", "ORDERS", "--address", "x"}, "needs --protocol");
  Refused({"sendmethod", "add", "10", "ORDERS", "--protocol", "pigeon"},
          "The protocol must be one of email, fax, folder, ftp, http, methodcall, download, edi");
  Refused({"sendmethod", "add", "11", "ORDERS", "--protocol", "email"},
          "The business partner 11 does not exist");
  Refused({"sendmethod", "add", "10", "NOPE", "--protocol", "email"},
          "The document type 'NOPE' does not exist");
  Refused({"sendmethod", "add", "10", "ORDERS", "--protocol", "http", "--port", "70000"},
          "must be at most 65535");
  Refused({"sendmethod", "add", "10", "ORDERS", "--protocol", "email", "--rule", "4"},
          "The send method rule 4 does not exist");
  Refused({"sendmethod", "set", "99", "--address", "x"}, "The send method 99 does not exist");
  Refused({"sendmethod", "remove", "abc"}, "The send method id");
  EXPECT_EQ(Json({"sendmethod", "list", "--json"}).AsArray().values().size(), 0u)
      << "nothing was stored by the refused commands";
}

// The sealed password must fit its column on both engines: the longest one accepted is stored
// and read back whole, one byte more is refused on add and on set with the limit named.
TEST_P(AdminStoresTest, SendMethodPasswordLongerThanItsColumnHoldsIsRefused) {
  Init();
  Ok({"partner", "add", "10", "Acme"});
  Ok({"doctype", "add", "ORDERS", "Orders"});
  const size_t longest = host::LongestSealable(255);
  EXPECT_EQ(longest, 143u);
  const std::string fits(longest, 'p');
  const std::string too_long(longest + 1, 'p');
  const std::string refusal = "may be at most 143 bytes long; this one has 144";
  const int32_t id = Field(Json({"sendmethod", "add", "10", "ORDERS", "--protocol", "ftp",
                                 "--address", "ftp.acme.example", "--password", fits, "--json"}),
                           "id")
                         .ToInt32();
  Refused({"sendmethod", "add", "10", "ORDERS", "--protocol", "ftp", "--password", too_long},
          refusal);
  Refused({"sendmethod", "set", std::to_string(id), "--password", too_long}, refusal);
  auto database = ProgramDatabase();
  EXPECT_EQ(StoredSendMethod(*database, id, host::KeyFilePath(home_ + "/config")).sPassword, fits);
  EXPECT_EQ(Json({"sendmethod", "list", "--json"}).AsArray().values().size(), 1u);
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(AdminStoresTest);

}  // namespace
}  // namespace velmora::app
