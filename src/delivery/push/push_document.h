#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/delivery/send_method.h"

namespace velmora::delivery {

// PushDocument: prepares the document `xml` in the record's format (style sheet, workbook with
// or without template, OBI object) and hands it to the transport of its protocol. Raises
// SendMethodFormatNotSupported ("ZODAR4326") and SendMethodProtocolNotSupported ("ZODAR4325")
// for what no transport carries, and whatever the transport raises; reported as
// "Velmora.PushDocUtils.PushDocument". The record is the caller's copy; transports change it.
void PushDocument(int32_t partner, int32_t doc_id, const std::string& xml,
                  TSendMethodProperties record, const VariantArray& extension);

}  // namespace velmora::delivery
