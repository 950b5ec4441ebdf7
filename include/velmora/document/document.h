#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Velmora.Document: the DOCUMENT record with its statuses and XML bodies. Stateless; each call
// opens and closes its own connection and reports failures through the error chain.
class Document {
 public:
  // DOCUMENTTYPEID of the document, trimmed; "" when the row is absent or the type is NULL.
  std::string GetDocumentTypeOfDocument(int32_t iDocID);
};

}  // namespace velmora
