#include <memory>

#include "automation/registration.h"
#include "velmora/host/referential_integrity.h"
#include "velmora/support/pipeline.h"
#include "velmora/support/template.h"

namespace velmora::automation {

// The supporting classes: Velmora.Template and Velmora.Pipeline; Pipeline also joins the host's
// referential-integrity checks under its ProgID.
void RegisterSupportClasses(ClassRegistry& registry) {
  registry.Add("Velmora.Template")
      .Bind("GetXmlTemplateDocument", &Template::GetXmlTemplateDocument, {"iDocTypeID", "oIsURL"})
      .Bind("getXslUrl", &Template::getXslUrl, {"iDocTypeID"})
      .Bind("InsertTemplate", &Template::InsertTemplate,
            {"iDocTypeID", "iXmlTemplateURL", "iXmlTemplate", "iXslURL"})
      .Bind("UpdateTemplate", &Template::UpdateTemplate,
            {"iTemplateID", "iDocTypeID", "iXmlTemplateURL", "iXmlTemplate", "iXslURL"})
      .Bind("DeleteTemplate", &Template::DeleteTemplate, {"iTemplateID"})
      .Bind("GetTemplateID", &Template::GetTemplateID, {"iDocTypeID"})
      .Bind("checkTemplateByDocumentTypeID", &Template::checkTemplateByDocumentTypeID,
            {"iDocTypeID"})
      .Bind("getTemplateProperties", &Template::getTemplateProperties,
            {"iDocTypeID", "oTemplateID", "oXslURL", "oXmlTemplateURL", "oXmlTemplate"});
  registry.Add("Velmora.Pipeline")
      .Bind("Exists", &Pipeline::Exists, {"origin", "keys", "values"})
      .Bind("BeforeDelete", &Pipeline::BeforeDelete, {"origin", "keys", "values"});
  host::ReferentialIntegrityRegistry::Global().Register(
      "Velmora.Pipeline", [] { return std::make_shared<Pipeline>(); });
}

}  // namespace velmora::automation
