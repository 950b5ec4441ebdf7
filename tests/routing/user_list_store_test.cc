#include "routing/user_list_store.h"

#include <gtest/gtest.h>

#include <string>

#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

using routing::UserList;
using routing::UserListStore;

// Each list with the columns its three flags are stored in, in the store's order.
struct ListCase {
  UserList list;
  const char* table;
  const char* columns[3];
};

constexpr ListCase kLists[] = {
    {UserList::kDistribution, "DISTRIBUTIONLIST", {"EMAIL", "HTMLATTACHMENT", "ATTACHMENTS"}},
    {UserList::kSender, "SENDERLIST", {"NOTIFICATION", "ATTACHMENTS", "HTMLATTACHMENT"}},
};

class UserListStoreTest : public testing::LibraryDbTest {};

TEST_P(UserListStoreTest, EachFlagReachesItsOwnColumn) {
  for (const ListCase& c : kLists) {
    for (size_t flag = 0; flag < 3; ++flag) {
      SCOPED_TRACE(std::string(c.table) + "." + c.columns[flag]);
      routing::UserListFlags flags{};
      flags[flag] = true;
      const std::string user = "u" + std::to_string(flag);
      UserListStore store(c.list);
      store.Add("ORDERS", user, 10, flags);
      for (size_t column = 0; column < 3; ++column) {
        EXPECT_EQ(Scalar(std::string("SELECT ") + c.columns[column] + " FROM " + c.table +
                         " WHERE USERID = '" + user + "'")
                      .ToInt32(),
                  column == flag ? 1 : 0);
      }
      const auto entry = store.Get("ORDERS", user);
      ASSERT_TRUE(entry.has_value());
      EXPECT_EQ(entry->flags, flags);
      EXPECT_EQ(entry->partner, 10);
    }
  }
}

TEST_P(UserListStoreTest, DuplicatesAndUnknownEntries) {
  for (const ListCase& c : kLists) {
    SCOPED_TRACE(c.table);
    UserListStore store(c.list);
    store.Add("ORDERS", "alice", 10, {});
    EXPECT_TRUE(store.Contains("ORDERS", "alice"));
    EXPECT_THROW(store.Add("ORDERS", "alice", 10, {}), Error);
    EXPECT_FALSE(store.Remove("ORDERS", "bob"));
    EXPECT_FALSE(store.Remove("INVOICE", "alice"));
    EXPECT_EQ(store.Get("INVOICE", "alice"), std::nullopt);
    EXPECT_TRUE(store.Remove("ORDERS", "alice"));
    EXPECT_TRUE(store.List().empty());
  }
}

TEST_P(UserListStoreTest, TheListsAreKeptApart) {
  UserListStore(UserList::kDistribution).Add("ORDERS", "alice", 10, {});
  UserListStore(UserList::kSender).Add("INVOICE", "bob", 20, {});
  const auto distribution = UserListStore(UserList::kDistribution).List();
  ASSERT_EQ(distribution.size(), 1u);
  EXPECT_EQ(distribution[0].user, "alice");
  EXPECT_TRUE(UserListStore(UserList::kSender).List("ORDERS").empty());
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(UserListStoreTest);

}  // namespace
}  // namespace velmora
