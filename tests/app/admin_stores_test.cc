// `velmora admin distlist|senderlist|receivemethod|conversion|tag`: the real program on a fresh
// installation, as a new user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/admin_program_test.h"
#include "platform/json/json_codec.h"
#include "support/library_db_test.h"
#include "velmora/base/dictionary.h"

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
      Json({"tag", "add", "ORDERS", "Order number", "//order/@number", "--kind", "2", "--json"});
  const int32_t id = Field(tag, "id").ToInt32();
  EXPECT_GT(id, 0);
  Ok({"tag", "add", "INVOIC", "Total", "//total"});
  EXPECT_EQ(Ok({"tag", "list", "ORDERS"}), "id\tdoctype\tname\tpattern\tkind\n" +
                                               std::to_string(id) +
                                               "\tORDERS\tOrder number\t//order/@number\t2\n");
  const Variant all = Json({"tag", "list", "--json"});
  ASSERT_EQ(all.AsArray().values().size(), 2u);
  EXPECT_EQ(Field(all.AsArray().values()[1], "kind").ToInt32(), 1) << "kind 1 by default";

  Refused({"tag", "add", "ORDERS", "X", "//x", "--kind", "5"}, "must be 1, 2, 3 or 4");
  Refused({"tag", "add", "NOPE", "X", "//x"}, "'NOPE' does not exist");
  EXPECT_EQ(Ok({"tag", "remove", std::to_string(id)}), "Removed tag " + std::to_string(id) + "\n");
  EXPECT_EQ(Json({"tag", "list", "ORDERS", "--json"}).AsArray().values().size(), 0u);
  Refused({"tag", "remove", std::to_string(id)}, "does not exist");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(AdminStoresTest);

}  // namespace
}  // namespace velmora::app
