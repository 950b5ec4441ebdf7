#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"

namespace velmora {

// Velmora.LabelReplacements: lets a page show a recorded publication error in the reader's
// language. Stateless; each call opens and closes its own connection.
class LabelReplacements {
 public:
  // The stored replacements of row `i_lErrorID` of table `i_sTable` ("PUBLICATIONERRORS").
  std::shared_ptr<Dictionary> GetAllReplacementsFromTableForASP(const std::string& i_sTable,
                                                                int32_t i_lErrorID);
  // The text of label `i_sKey` in language `i_lLanguageID` with `i_oReplDict` applied.
  std::string I18NCollByReplacementsForASP(const std::string& i_sKey, int32_t i_lLanguageID,
                                           const std::shared_ptr<Dictionary>& i_oReplDict);
};

}  // namespace velmora
