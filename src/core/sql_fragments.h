#pragma once

#include <cstdint>
#include <string>

// Value lists that several SQL texts share, derived from the enumerations they stand for, so
// that each rule is written once. Each function returns exactly the text the statements have
// always carried.
namespace velmora::core {

// The bits of PUBLICATIONERRORS.CLOSED.
inline constexpr int16_t kErrorClosed = 1;
inline constexpr int16_t kErrorRemovedFromSenderBox = 2;
inline constexpr int16_t kErrorRemovedFromRecipientBox = 4;

// The removed publication statuses (each live status's deleted twin): "(2,3,7,8,9)".
std::string DeletedPublicationStatusList();

// "AND <column> <> 2 AND <column> <> 3 ..." for every removed status, the form of the older
// texts; without a leading blank.
std::string NotDeletedPublicationComparisons(const std::string& column);

// The values of CLOSED (0 ... 7) that have `bit` clear, for example "(0,2,4,6)" for
// kErrorClosed.
std::string ClosedValuesWithout(int16_t bit);

// The publication errors (PE) with the delivery history rows (SMH) that recorded them, the
// join every error-box text starts from: "PUBLICATIONERRORS PE LEFT OUTER JOIN
// SENDMETHODHISTORY SMH ON SMH.PUBLICATIONERRORID = PE.PUBLICATIONERRORID".
std::string ErrorsWithDeliveryHistory();

}  // namespace velmora::core
