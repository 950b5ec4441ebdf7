#include "core/sql_fragments.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::core {
namespace {

// The published texts the fragments stand for, byte for byte.
TEST(SqlFragmentsTest, KeepThePublishedTexts) {
  const struct {
    std::string fragment;
    const char* text;
  } cases[] = {
      {DeletedPublicationStatusList(), "(2,3,7,8,9)"},
      {NotDeletedPublicationComparisons("P.STATUS"),
       "AND P.STATUS <> 2 AND P.STATUS <> 3 AND P.STATUS <> 7 AND P.STATUS <> 8 AND P.STATUS <> 9"},
      {ClosedValuesWithout(kErrorClosed), "(0,2,4,6)"},
      {ClosedValuesWithout(kErrorRemovedFromSenderBox), "(0,1,4,5)"},
      {ClosedValuesWithout(kErrorRemovedFromRecipientBox), "(0,1,2,3)"},
      {ErrorsWithDeliveryHistory(),
       "PUBLICATIONERRORS PE LEFT OUTER JOIN SENDMETHODHISTORY SMH ON "
       "SMH.PUBLICATIONERRORID = PE.PUBLICATIONERRORID"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.fragment, c.text);
  }
}

}  // namespace
}  // namespace velmora::core
