#pragma once

#include <string>

#include "velmora/db/recordset.h"

namespace velmora::core {

// Writes a long text column (an XML body) of the current row whole: text columns are unbounded
// on both engines, so the value is set in one piece. When it cannot be set, the field is
// cleared (as far as possible) and the failure raised with the path
// "Velmora.Utility.SetLongDBTextField" in its chain.
void SetLongTextField(const std::string& text, const std::string& fieldName,
                      db::Recordset& recordset);

}  // namespace velmora::core
