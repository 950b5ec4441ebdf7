#include <mutex>

#include "automation/class_registry.h"
#include "velmora/core/enums_constants_global_vars.h"
#include "velmora/core/label_replacements.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

void RegisterAllClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    ClassRegistry& registry = ClassRegistry::Global();
    registry.Add("Velmora.EnumsConstantsGlobalVars");
    registry.Add("Velmora.LabelReplacements")
        .Bind("GetAllReplacementsFromTableForASP",
              &LabelReplacements::GetAllReplacementsFromTableForASP, {"i_sTable", "i_lErrorID"})
        .Bind("I18NCollByReplacementsForASP", &LabelReplacements::I18NCollByReplacementsForASP,
              {"i_sKey", "i_lLanguageID", "i_oReplDict"});
    registry.Add("Velmora.Document")
        .Bind("GetDocumentTypeOfDocument", &Document::GetDocumentTypeOfDocument, {"iDocID"});
    registry.Add("Velmora.Utility")
        .Bind("SetLongDBTextField", &Utility::SetLongDBTextField,
              {"text", "fieldName", "recordset"});
  });
}

}  // namespace velmora::automation
