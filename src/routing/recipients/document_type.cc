// The document type of a document, from the OBI service, its DOCTYPE-ID element or the
// document type rules; and Utility's published form.
#include <memory>
#include <string>

#include "core/guarded.h"
#include "routing/document_types.h"
#include "routing/node_queries.h"
#include "routing/recipients/obi_document_info.h"
#include "routing/recipients/resolution.h"
#include "velmora/routing/utility.h"
#include "velmora/rules/rules.h"
#include "velmora/xml/document.h"

namespace velmora {

std::string recipients::DocumentTypeOf(const std::shared_ptr<xml::Document>& document,
                                       int32_t partner) {
  const ObiDocumentInfo obi = GetObiDocumentInfo(document);
  if (obi.is_obi) {
    return obi.document_type_id;
  }
  std::string type = routing::node_queries::FirstText(*document, "//DOCTYPE-ID");
  if (!type.empty() && !routing::document_types::Exists(type)) {
    type.clear();
  }
  if (type.empty()) {
    int32_t no_document = 0;
    int32_t rule_partner = partner;
    const std::string ruled =
        Rules().ExecuteDocumentTypeRuleSet(no_document, rule_partner, document);
    if (!ruled.empty() && routing::document_types::Exists(ruled)) {
      type = ruled;
    }
  }
  return type;
}

std::string Utility::GetDocType(const std::string& sXML, int32_t iBPID) {
  return core::Guarded("Velmora.Utility.GetDocType", [&]() -> std::string {
    auto dom = std::make_shared<xml::Document>();
    dom->LoadXml(sXML);
    return recipients::DocumentTypeOf(dom, iBPID);
  });
}

}  // namespace velmora
