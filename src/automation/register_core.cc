#include "automation/registration.h"
#include "velmora/core/enums_constants_global_vars.h"
#include "velmora/core/label_replacements.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

void RegisterCoreClasses(ClassRegistry& registry) {
  registry.Add("Velmora.EnumsConstantsGlobalVars");
  registry.Add("Velmora.LabelReplacements")
      .Bind("GetAllReplacementsFromTableForASP",
            &LabelReplacements::GetAllReplacementsFromTableForASP, {"i_sTable", "i_lErrorID"})
      .Bind("I18NCollByReplacementsForASP", &LabelReplacements::I18NCollByReplacementsForASP,
            {"i_sKey", "i_lLanguageID", "i_oReplDict"});
  registry.Add("Velmora.Utility")
      .Bind("SetLongDBTextField", &Utility::SetLongDBTextField,
            {"text", "fieldName", Ref("recordset")});
}

}  // namespace velmora::automation
