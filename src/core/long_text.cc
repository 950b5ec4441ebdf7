#include "core/long_text.h"

#include "core/general.h"

namespace velmora::core {

void SetLongTextField(const std::string& text, const std::string& fieldName,
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
    ReportError(failure, "Velmora.Utility.SetLongDBTextField");
  }
}

}  // namespace velmora::core
