#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velmora/delivery/send_method.h"

// What the deliveries of a document left behind: the history rows of its send methods
// (SENDMETHODHISTORY) and the publication errors (PUBLICATIONERRORS) that no delivery recorded.
// Each call opens its own connection of the installation and closes it on every path; database
// failures raise.
namespace velmora::delivery {

// A history row with the send method's protocol and address and the text of its error; Null
// columns are nullopt.
struct DeliveryRecord {
  std::optional<int32_t> send_method;
  std::optional<int32_t> partner;
  SENDMETHODSTATUS status{};
  std::optional<int32_t> protocol;
  std::optional<std::string> address;
  std::optional<std::string> error;
};

struct UnrecordedError {
  std::optional<int32_t> id;
  std::optional<std::string> label;
  std::string description;
};

// The highest history id and publication error id so far (0 for none).
int32_t LastHistoryId();
int32_t LastPublicationErrorId();

// The deliveries of document `document` after history id `after`, in the order written.
std::vector<DeliveryRecord> DeliveriesSince(int32_t document, int32_t after);

// The publication errors of document `document` after error id `after` that no history row
// refers to, in the order written.
std::vector<UnrecordedError> UnrecordedErrorsSince(int32_t document, int32_t after);

}  // namespace velmora::delivery
