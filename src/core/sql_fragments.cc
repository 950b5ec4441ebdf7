#include "core/sql_fragments.h"

#include "velmora/core/publication_status.h"

namespace velmora::core {
namespace {

constexpr PUBLICATIONSTATUS kDeleted[] = {
    PUBLICATIONSTATUS::PUBLICATIONNEWDEL,        PUBLICATIONSTATUS::PUBLICATIONACCDEL,
    PUBLICATIONSTATUS::PUBLICATIONREJECTEDDEL,   PUBLICATIONSTATUS::PUBLICATIONVIEWEDDEL,
    PUBLICATIONSTATUS::PUBLICATIONDOWNLOADEDDEL,
};

std::string Number(PUBLICATIONSTATUS status) {
  return std::to_string(static_cast<int32_t>(status));
}

}  // namespace

std::string DeletedPublicationStatusList() {
  std::string list = "(";
  for (PUBLICATIONSTATUS status : kDeleted) {
    list += (list.size() > 1 ? "," : "") + Number(status);
  }
  return list + ")";
}

std::string NotDeletedPublicationComparisons(const std::string& column) {
  std::string text;
  for (PUBLICATIONSTATUS status : kDeleted) {
    text += (text.empty() ? "AND " : " AND ") + column + " <> " + Number(status);
  }
  return text;
}

std::string ClosedValuesWithout(int16_t bit) {
  std::string list = "(";
  for (int16_t value = 0;
       value <= kErrorClosed + kErrorRemovedFromSenderBox + kErrorRemovedFromRecipientBox;
       ++value) {
    if ((value & bit) == 0) {
      list += (list.size() > 1 ? "," : "") + std::to_string(value);
    }
  }
  return list + ")";
}

std::string ErrorsWithDeliveryHistory() {
  return "PUBLICATIONERRORS PE LEFT OUTER JOIN SENDMETHODHISTORY SMH ON "
         "SMH.PUBLICATIONERRORID = PE.PUBLICATIONERRORID";
}

}  // namespace velmora::core
