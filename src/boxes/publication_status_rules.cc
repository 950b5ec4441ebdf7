#include "boxes/publication_status_rules.h"

#include "velmora/routing/publication_status.h"

namespace velmora::boxes {
namespace {

constexpr int32_t Value(PUBLICATIONSTATUS status) { return static_cast<int32_t>(status); }

constexpr int32_t kNew = Value(PUBLICATIONSTATUS::PUBLICATIONNEW);
constexpr int32_t kAccepted = Value(PUBLICATIONSTATUS::PUBLICATIONACC);
constexpr int32_t kRejected = Value(PUBLICATIONSTATUS::PUBLICATIONREJECTED);
constexpr int32_t kViewed = Value(PUBLICATIONSTATUS::PUBLICATIONVIEWED);
constexpr int32_t kDownloaded = Value(PUBLICATIONSTATUS::PUBLICATIONDOWNLOADED);

// The deleted twin of a live status, or -1 when `status` is not live.
int32_t DeletedTwin(int32_t status) {
  switch (status) {
    case kNew:
      return Value(PUBLICATIONSTATUS::PUBLICATIONNEWDEL);
    case kAccepted:
      return Value(PUBLICATIONSTATUS::PUBLICATIONACCDEL);
    case kRejected:
      return Value(PUBLICATIONSTATUS::PUBLICATIONREJECTEDDEL);
    case kViewed:
      return Value(PUBLICATIONSTATUS::PUBLICATIONVIEWEDDEL);
    case kDownloaded:
      return Value(PUBLICATIONSTATUS::PUBLICATIONDOWNLOADEDDEL);
    default:
      return -1;
  }
}

}  // namespace

bool IsDeletedPublicationStatus(int32_t status) {
  return status == Value(PUBLICATIONSTATUS::PUBLICATIONNEWDEL) ||
         status == Value(PUBLICATIONSTATUS::PUBLICATIONACCDEL) ||
         status == Value(PUBLICATIONSTATUS::PUBLICATIONREJECTEDDEL) ||
         status == Value(PUBLICATIONSTATUS::PUBLICATIONVIEWEDDEL) ||
         status == Value(PUBLICATIONSTATUS::PUBLICATIONDOWNLOADEDDEL);
}

int32_t NextPublicationStatus(int32_t current, int32_t requested) {
  if (IsDeletedPublicationStatus(requested)) {
    const int32_t twin = DeletedTwin(current);
    return twin >= 0 ? twin : requested;
  }
  const bool later_than_viewed =
      current == kAccepted || current == kRejected || IsDeletedPublicationStatus(current);
  if (current == kViewed || current == kDownloaded) {
    return requested == kNew || requested == kViewed ? current : requested;
  }
  if (later_than_viewed) {
    return requested == kNew || requested == kViewed || requested == kDownloaded ? current
                                                                                 : requested;
  }
  return requested;
}

}  // namespace velmora::boxes
