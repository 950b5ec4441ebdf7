// Utility.SetLongDBTextField: long text columns (XML bodies) are written whole. Text columns are
// unbounded on both engines, so the value is set in one piece rather than appended in chunks.
#include "core/general.h"
#include "velmora/routing/utility.h"

namespace velmora {

void Utility::SetLongDBTextField(const std::string& text, const std::string& fieldName,
                                 db::Recordset& recordset) {
  try {
    recordset.SetField(fieldName, Variant(text));
  } catch (...) {
    PendingError failure;
    failure.Capture();
    try {
      recordset.SetField(fieldName, Variant(std::string()));
    } catch (...) {
      // The field cannot be cleared either; the original failure is what the caller needs.
    }
    core::ReportError(failure, "Velmora.Utility.SetLongDBTextField");
  }
}

}  // namespace velmora
