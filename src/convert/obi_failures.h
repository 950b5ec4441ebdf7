#pragma once

#include <string>

#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"

// The failures of Velmora.OBI: recognised conditions leave as they are raised; anything else is
// reported under the method's path.
namespace velmora::convert {

// Raises `number` with source "Velmora.OBI." + `step` and the text of label `label` with
// `replacements` applied.
[[noreturn]] void RaiseObiError(EnumerationErrors number, const std::string& step,
                                const std::string& label,
                                const Dictionary& replacements = Dictionary());

// REQUIRES: called from inside a catch block. Raises the error in flight unchanged when OBI
// itself raised it (its source begins with "Velmora.OBI."); otherwise reports it under
// "Velmora.OBI." + `method` (ReportError), which raises it again.
void PassObiErrorOrReport(const std::string& method);

}  // namespace velmora::convert
