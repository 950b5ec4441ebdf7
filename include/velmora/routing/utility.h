#pragma once

#include <string>

#include "platform/db/recordset.h"

namespace velmora {

// Velmora.Utility: the shared services of the library's classes and pages. One published
// class; its operations are defined in the folder of the subsystem each belongs to. Stateless.
class Utility {
 public:
  // Writes `text` into field `fieldName` of the current row of `recordset` (the caller then
  // updates the row); an empty text stores "". On failure the field is set to "" and the error
  // is reported as "Velmora.Utility.SetLongDBTextField".
  void SetLongDBTextField(const std::string& text, const std::string& fieldName,
                          db::Recordset& recordset);
};

}  // namespace velmora
