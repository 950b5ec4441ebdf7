#include "support/tag_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sql_literals.h"
#include "support/library_db_test.h"

namespace velmora {
namespace {

using support::TagStore;

class TagStoreTest : public testing::LibraryDbTest {
 protected:
  void AddValue(int32_t doc, int32_t tag) {
    Exec("INSERT INTO TAGSVALUE (DOCUMENTID, TAGID, TAGVALUE) VALUES (" + core::SqlLong(doc) +
         ", " + core::SqlLong(tag) + ", 'v')");
  }
  int64_t Count(const std::string& table, int32_t tag) {
    return Scalar("SELECT COUNT(*) FROM " + table + " WHERE TAGID = " + core::SqlLong(tag))
        .ToInt64();
  }
};

TEST_P(TagStoreTest, RemovingATagTakesItsValuesAndNoOthers) {
  TagStore store;
  const int32_t removed = store.Add("ORDERS", "Number", "number", TagAttrXsl::TAGVALUE);
  const int32_t kept = store.Add("ORDERS", "Buyer", "buyer", TagAttrXsl::ATTRVALUE);
  for (int32_t doc : {1, 2, 3}) {
    AddValue(doc, removed);
    AddValue(doc, kept);
  }
  EXPECT_TRUE(store.Remove(removed));
  EXPECT_EQ(Count("TAGSCONFIG", removed), 0);
  EXPECT_EQ(Count("TAGSVALUE", removed), 0);
  EXPECT_EQ(Count("TAGSCONFIG", kept), 1);
  EXPECT_EQ(Count("TAGSVALUE", kept), 3);
}

TEST_P(TagStoreTest, AnUnknownTagIsReportedAndItsLeftOverValuesGo) {
  AddValue(1, 4711);
  EXPECT_FALSE(TagStore().Remove(4711));
  EXPECT_EQ(Count("TAGSVALUE", 4711), 0);
}

TEST_P(TagStoreTest, AFailedRemovalKeepsTheValues) {
  TagStore store;
  const int32_t tag = store.Add("ORDERS", "Number", "number", TagAttrXsl::TAGVALUE);
  AddValue(1, tag);
  // The definition cannot be deleted: the values deleted before it must come back.
  Exec("ALTER TABLE TAGSCONFIG RENAME TO TAGSCONFIG_AWAY");
  EXPECT_THROW(store.Remove(tag), Error);
  EXPECT_EQ(Count("TAGSVALUE", tag), 1);
}

TEST_P(TagStoreTest, ListsByTypeAndDisplayOrder) {
  TagStore store;
  const int32_t first = store.Add("ORDERS", "A", "a", TagAttrXsl::XSLPATTERN);
  const int32_t second = store.Add("ORDERS", "B", "b", TagAttrXsl::FIXEDTEXT);
  const int32_t other = store.Add("INVOICE", "C", "c", TagAttrXsl::TAGVALUE);
  Exec("UPDATE TAGSCONFIG SET SEQUENCENUMBER = 2 WHERE TAGID = " + core::SqlLong(first));
  Exec("UPDATE TAGSCONFIG SET SEQUENCENUMBER = 1 WHERE TAGID = " + core::SqlLong(second));
  const auto ids = [](const std::vector<support::TagDefinition>& tags) {
    std::vector<int32_t> found;
    for (const auto& tag : tags) {
      found.push_back(tag.id);
    }
    return found;
  };
  EXPECT_EQ(ids(store.List()), (std::vector<int32_t>{first, second, other}));
  EXPECT_EQ(ids(store.List("ORDERS")), (std::vector<int32_t>{first, second}));
  EXPECT_EQ(ids(store.InDisplayOrder("ORDERS")), (std::vector<int32_t>{second, first}));
  EXPECT_EQ(store.List("ORDERS")[1].kind, static_cast<int32_t>(TagAttrXsl::FIXEDTEXT));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(TagStoreTest);

}  // namespace
}  // namespace velmora
