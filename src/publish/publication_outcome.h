#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "velmora/base/variant.h"

// What publishing one document left in the database: the document's row, its publications,
// the history of its deliveries and its publication errors, with the values as stored. Read on
// a connection of its own, closed on every path; database failures raise.
namespace velmora::publish {

struct PublicationOutcome {
  // DOCUMENTTYPEID, SENDER and STATUS of the document; nullopt when there is no such document.
  struct Row {
    Variant doc_type;
    Variant sender;
    Variant status;
  };
  struct Recipient {
    Variant user;
    Variant status;
  };
  struct Delivery {
    Variant send_method;
    Variant partner;
    Variant status;
    Variant publication_error;
  };
  struct Failure {
    Variant label;
    Variant description;
  };

  std::optional<Row> document;
  // By user id.
  std::vector<Recipient> recipients;
  // In the order written.
  std::vector<Delivery> deliveries;
  std::vector<Failure> errors;
};

PublicationOutcome ReadPublicationOutcome(int32_t document);

}  // namespace velmora::publish
