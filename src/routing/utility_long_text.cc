#include "core/long_text.h"
#include "velmora/routing/utility.h"

namespace velmora {

void Utility::SetLongDBTextField(const std::string& text, const std::string& fieldName,
                                 db::Recordset& recordset) {
  core::SetLongTextField(text, fieldName, recordset);
}

}  // namespace velmora
