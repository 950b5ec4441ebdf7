// Utility: the document type of a document, from the OBI service, its DOCTYPE-ID element or
// the document type rules.
#include <memory>
#include <string>

#include "core/general.h"
#include "core/guarded.h"
#include "routing/recipients/obi_document_info.h"
#include "routing/recipients/parsed_document_lookups.h"
#include "velmora/routing/utility.h"
#include "velmora/rules/rules.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

constexpr const char* kPath = "Velmora.Utility.GetDocType";

std::string DocTypeOfParsed(Utility& utility, const std::shared_ptr<xml::Document>& dom,
                            int32_t iBPID) {
  const recipients::ObiDocumentInfo obi = recipients::GetObiDocumentInfo(dom);
  if (obi.is_obi) {
    return obi.document_type_id;
  }
  std::string type = utility.ExecuteXSLPattern(*dom, "//DOCTYPE-ID");
  if (!type.empty() && !utility.DocTypeFoundInTable(type)) {
    type.clear();
  }
  if (type.empty()) {
    int32_t no_document = 0;
    int32_t partner = iBPID;
    const std::string ruled = Rules().ExecuteDocumentTypeRuleSet(no_document, partner, dom);
    if (!ruled.empty() && utility.DocTypeFoundInTable(ruled)) {
      type = ruled;
    }
  }
  return type;
}

}  // namespace

std::string Utility::GetDocType(const std::string& sXML, int32_t iBPID) {
  return core::Guarded(kPath, [&]() -> std::string {
    auto dom = std::make_shared<xml::Document>();
    dom->LoadXml(sXML);
    return DocTypeOfParsed(*this, dom, iBPID);
  });
}

std::string recipients::DocTypeOf(Utility& utility, const std::shared_ptr<xml::Document>& document,
                                  int32_t partner) {
  return core::Guarded(
      kPath, [&]() -> std::string { return DocTypeOfParsed(utility, document, partner); });
}

}  // namespace velmora
