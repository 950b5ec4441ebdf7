// Utility: the document type of a document, from the OBI service, its DOCTYPE-ID element or
// the document type rules.
#include <memory>
#include <string>

#include "core/general.h"
#include "core/guarded.h"
#include "routing/recipients/obi_document_info.h"
#include "velmora/routing/utility.h"
#include "velmora/rules/rules.h"
#include "velmora/xml/document.h"

namespace velmora {

std::string Utility::GetDocType(std::string& sXML, int32_t& iBPID) {
  return core::Guarded("Velmora.Utility.GetDocType", [&]() -> std::string {
    auto dom = std::make_shared<xml::Document>();
    dom->LoadXml(sXML);
    const recipients::ObiDocumentInfo obi = recipients::GetObiDocumentInfo(dom);
    if (obi.is_obi) {
      return obi.document_type_id;
    }
    std::string type = ExecuteXSLPattern(*dom, "//DOCTYPE-ID");
    if (!type.empty() && !DocTypeFoundInTable(type)) {
      type.clear();
    }
    if (type.empty()) {
      int32_t no_document = 0;
      int32_t partner = iBPID;
      std::string ruled = Rules().ExecuteDocumentTypeRuleSet(no_document, partner, dom);
      if (!ruled.empty() && DocTypeFoundInTable(ruled)) {
        type = ruled;
      }
    }
    return type;
  });
}

}  // namespace velmora
