#include "core/general.h"
#include "core/publication_errors.h"
#include "velmora/document/document.h"

namespace velmora {

std::string Document::GetDocumentTypeOfDocument(int32_t iDocID) {
  try {
    return core::DocumentTypeOfDocument(iDocID);
  } catch (...) {
    core::ReportError("Velmora.Document.GetDocumentTypeOfDocument");
  }
  return {};
}

}  // namespace velmora
