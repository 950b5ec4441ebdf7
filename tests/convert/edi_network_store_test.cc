#include "convert/edi_network_store.h"

#include <gtest/gtest.h>

#include <string>

#include "convert/edi_internal.h"
#include "support/library_db_test.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

using edi::EdiNetworkChanges;
using edi::EdiNetworkStore;

class EdiNetworkStoreTest : public testing::LibraryDbTest {
 protected:
  int64_t Networks() { return Scalar("SELECT COUNT(*) FROM EDINETWORK").ToInt64(); }
};

TEST_P(EdiNetworkStoreTest, AddsWithTheChangesAndKeepsTheOthersUnset) {
  EdiNetworkChanges changes;
  changes.sequence = 3;
  changes.use_semaphore = true;
  changes.root_folder = "ftp://edi.example/root";
  changes.protocol = edi::kFtpProtocol;
  changes.ftp_port = 2121;
  EdiNetworkStore store;
  store.Add("VAN", changes);
  const auto row = store.Get("VAN");
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->sequence, 3);
  EXPECT_EQ(row->use_semaphore, true);
  EXPECT_EQ(row->root_folder, "ftp://edi.example/root");
  EXPECT_EQ(row->protocol, edi::kFtpProtocol);
  EXPECT_EQ(row->ftp_port, 2121);
  EXPECT_EQ(row->in_folder, std::nullopt);
  EXPECT_EQ(row->ftp_password, std::nullopt);
}

TEST_P(EdiNetworkStoreTest, AFailedAddLeavesNoNetworkBehind) {
  Exec("ALTER TABLE EDINETWORK DROP COLUMN TEMPFOLDER");
  EdiNetworkChanges changes;
  changes.temp_folder = "/tmp/edi";
  EXPECT_THROW(EdiNetworkStore().Add("VAN", changes), Error);
  EXPECT_EQ(Networks(), 0);
}

TEST_P(EdiNetworkStoreTest, UnknownAndDuplicateNetworks) {
  EdiNetworkStore store;
  EdiNetworkChanges sequence;
  sequence.sequence = 1;
  EXPECT_FALSE(store.Change("NONE", sequence));
  EXPECT_FALSE(store.Change("NONE", {}));
  EXPECT_FALSE(store.Remove("NONE"));
  EXPECT_EQ(store.Get("NONE"), std::nullopt);
  store.Add("VAN", {});
  EXPECT_TRUE(store.Change("VAN", {}));
  EXPECT_THROW(store.Add("VAN", {}), Error);
  EXPECT_TRUE(store.Remove("VAN"));
  EXPECT_EQ(Networks(), 0);
}

TEST_P(EdiNetworkStoreTest, ListsBySequenceThenId) {
  EdiNetworkStore store;
  for (const auto& [id, sequence] : {std::pair{"B", 1}, std::pair{"A", 2}, std::pair{"C", 1}}) {
    EdiNetworkChanges changes;
    changes.sequence = sequence;
    store.Add(id, changes);
  }
  std::string order;
  for (const auto& network : store.List()) {
    order += network.id.value_or("?");
  }
  EXPECT_EQ(order, "BCA");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(EdiNetworkStoreTest);

}  // namespace
}  // namespace velmora
