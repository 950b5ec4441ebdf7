#include "delivery/send_method_store.h"

#include <gtest/gtest.h>

#include <string>

#include "core/sql_literals.h"
#include "support/library_db_test.h"

namespace velmora {
namespace {

using delivery::SendMethodStore;

class SendMethodStoreTest : public testing::LibraryDbTest {
 protected:
  // A property row with `protocol`; returns its id.
  int32_t AddProperties(ESendMethodProtocol protocol) {
    Exec("INSERT INTO SENDMETHODPROPERTY (PROTOCOL, ADDRESS, PASSWORD) VALUES (" +
         core::SqlLong(static_cast<int32_t>(protocol)) + ", 'out', 'sealed')");
    return Scalar("SELECT MAX(SENDMETHODID) FROM SENDMETHODPROPERTY").ToInt32();
  }
  void Link(int32_t id, int32_t partner, int32_t rule) {
    Exec(
        "INSERT INTO SENDMETHOD (SENDMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, RULEID) "
        "VALUES (" +
        core::SqlLong(id) + ", " + core::SqlLong(partner) + ", 'ORDERS', " + core::SqlLong(rule) +
        ")");
  }
  int64_t Count(const std::string& sql) { return Scalar("SELECT COUNT(*) " + sql).ToInt64(); }
};

TEST_P(SendMethodStoreTest, ReadsLinksWithTheirEnumerations) {
  const int32_t id = AddProperties(ESendMethodProtocol::Ftp);
  Link(id, 10, -1);
  const auto links = SendMethodStore().Links(id);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].protocol, ESendMethodProtocol::Ftp);
  EXPECT_EQ(links[0].partner, 10);
  EXPECT_TRUE(links[0].has_password);
  EXPECT_EQ(links[0].xsl, std::nullopt);
  EXPECT_EQ(SendMethodStore().List(10).size(), 1u);
  EXPECT_TRUE(SendMethodStore().List(20).empty());
}

// Removing leaves the -1 placeholder only where the method was the last of its partner, type
// and rule; the property row always goes.
TEST_P(SendMethodStoreTest, RemovesEveryLinkAndTheProperties) {
  const int32_t removed = AddProperties(ESendMethodProtocol::Email);
  const int32_t other = AddProperties(ESendMethodProtocol::Http);
  Link(removed, 10, 5);  // the only method of (10, ORDERS, 5)
  Link(removed, 20, 6);  // shared with `other`
  Link(other, 20, 6);
  EXPECT_TRUE(SendMethodStore().Remove(removed));
  EXPECT_EQ(Count("FROM SENDMETHODPROPERTY WHERE SENDMETHODID = " + core::SqlLong(removed)), 0);
  EXPECT_EQ(Count("FROM SENDMETHOD WHERE SENDMETHODID = " + core::SqlLong(removed)), 0);
  EXPECT_EQ(Count("FROM SENDMETHOD WHERE SENDMETHODID = -1 AND BUSINESSPARTNERID = 10"), 1);
  EXPECT_EQ(Count("FROM SENDMETHOD WHERE BUSINESSPARTNERID = 20"), 1);
  EXPECT_EQ(SendMethodStore().Links(other).size(), 1u);
}

TEST_P(SendMethodStoreTest, AnUnknownMethodChangesNothing) {
  const int32_t kept = AddProperties(ESendMethodProtocol::Email);
  Link(kept, 10, -1);
  EXPECT_FALSE(SendMethodStore().Exists(kept + 1));
  EXPECT_FALSE(SendMethodStore().Remove(kept + 1));
  EXPECT_EQ(Count("FROM SENDMETHOD"), 1);
  EXPECT_TRUE(SendMethodStore().Exists(kept));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(SendMethodStoreTest);

}  // namespace
}  // namespace velmora
