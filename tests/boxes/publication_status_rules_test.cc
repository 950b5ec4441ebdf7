#include "boxes/publication_status_rules.h"

#include <gtest/gtest.h>

#include <utility>

namespace velmora::boxes {
namespace {

constexpr int32_t kNoPublication = -1;

TEST(PublicationStatusRulesTest, EveryDeleteRequestStoresTheTwinOfTheLiveStatus) {
  for (auto [live, twin] : {std::pair{0, 2}, {1, 3}, {4, 7}, {5, 8}, {6, 9}}) {
    for (int32_t request : {2, 3, 7, 8, 9}) {
      SCOPED_TRACE(::testing::Message() << live << " asked " << request);
      EXPECT_EQ(NextPublicationStatus(live, request), twin);
    }
  }
}

TEST(PublicationStatusRulesTest, ADeleteRequestOnADeletedOrMissingPublicationIsTakenAsAsked) {
  EXPECT_EQ(NextPublicationStatus(3, 2), 2);
  EXPECT_EQ(NextPublicationStatus(9, 7), 7);
  EXPECT_EQ(NextPublicationStatus(kNoPublication, 8), 8);
  EXPECT_EQ(NextPublicationStatus(42, 2), 2);
}

TEST(PublicationStatusRulesTest, ViewingNeverOverwritesALaterState) {
  for (int32_t later : {1, 4, 6, 2, 3, 7, 8, 9}) {
    SCOPED_TRACE(later);
    EXPECT_EQ(NextPublicationStatus(later, 5), later);
  }
  EXPECT_EQ(NextPublicationStatus(0, 5), 5);
}

TEST(PublicationStatusRulesTest, DownloadingOverwritesOnlyNewAndViewed) {
  EXPECT_EQ(NextPublicationStatus(0, 6), 6);
  EXPECT_EQ(NextPublicationStatus(5, 6), 6);
  for (int32_t kept : {1, 4, 2, 3, 7, 8, 9}) {
    SCOPED_TRACE(kept);
    EXPECT_EQ(NextPublicationStatus(kept, 6), kept);
  }
}

TEST(PublicationStatusRulesTest, NewIsNeverSetBack) {
  for (int32_t status : {1, 2, 3, 4, 5, 6, 7, 8, 9}) {
    SCOPED_TRACE(status);
    EXPECT_EQ(NextPublicationStatus(status, 0), status);
  }
}

TEST(PublicationStatusRulesTest, AcceptingAndRejectingAreAlwaysTaken) {
  for (int32_t status : {kNoPublication, 0, 1, 4, 5, 6, 3, 7, 12}) {
    SCOPED_TRACE(status);
    EXPECT_EQ(NextPublicationStatus(status, 1), 1);
    EXPECT_EQ(NextPublicationStatus(status, 4), 4);
  }
}

TEST(PublicationStatusRulesTest, AnUnknownStoredStatusTakesTheRequest) {
  EXPECT_EQ(NextPublicationStatus(kNoPublication, 5), 5);
  EXPECT_EQ(NextPublicationStatus(12, 0), 0);
  EXPECT_EQ(NextPublicationStatus(12, 6), 6);
}

}  // namespace
}  // namespace velmora::boxes
