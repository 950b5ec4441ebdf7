#include "velmora/core/label_replacements.h"

#include "core/general.h"
#include "core/labels.h"
#include "core/publication_errors.h"

namespace velmora {

std::shared_ptr<Dictionary> LabelReplacements::GetAllReplacementsFromTableForASP(
    const std::string& i_sTable, int32_t i_lErrorID) {
  try {
    std::shared_ptr<Dictionary> replacements = std::make_shared<Dictionary>();
    core::GetAllReplacementsFromTable(replacements, i_sTable, i_lErrorID);
    return replacements;
  } catch (...) {
    PendingError failure;
    failure.Capture();
    Dictionary message;
    message.Add("[%TABLE%]", Variant(i_sTable));
    message.Add("[%ERRORID%]", Variant(std::to_string(i_lErrorID)));
    core::ReportError(failure, "Velmora.LabelReplacements.GetAllReplacementsFromTableForASP",
                      Variant(core::GetLabelForMessage("ZODAR4350", message)));
  }
  return nullptr;
}

std::string LabelReplacements::I18NCollByReplacementsForASP(
    const std::string& i_sKey, int32_t i_lLanguageID,
    const std::shared_ptr<Dictionary>& i_oReplDict) {
  try {
    return core::GetLabel(i_sKey, i_lLanguageID, i_oReplDict);
  } catch (...) {
    PendingError failure;
    failure.Capture();
    Dictionary message;
    message.Add("[%LABELKEY%]", Variant(i_sKey));
    message.Add("[%LANGUAGEID%]", Variant(std::to_string(i_lLanguageID)));
    core::ReportError(failure, "Velmora.LabelReplacements.I18NCollByReplacementsForASP",
                      Variant(core::GetLabelForMessage("ZODAR4351", message)));
  }
  return {};
}

}  // namespace velmora
