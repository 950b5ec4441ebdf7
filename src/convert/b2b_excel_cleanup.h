#pragma once

#include "velmora/convert/b2b_excel.h"

namespace velmora::convert {

// Closes `workbook` (nothing does nothing) on the way out of a failure: a failure to close is
// dropped so that the error being reported is the one that caused the exit.
inline void CloseAfterFailure(const WorkBookRef& workbook) noexcept {
  try {
    if (workbook) {
      workbook->Close();
    }
  } catch (...) {
    return;
  }
}

}  // namespace velmora::convert
