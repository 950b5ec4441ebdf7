#include "automation/registration.h"
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
  AddReferentialIntegrity<Pipeline>(registry.Add("Velmora.Pipeline"), {"origin", "keys", "values"});
}

}  // namespace velmora::automation
