#pragma once

#include "velmora/base/variant.h"

namespace velmora::automation {

// `value` as a reply carries it out of the process: every recordset in it (also inside arrays
// and dictionaries) becomes {"columns": [names], "rows": [[values], ...]} with the rows from its
// current position to the end, which the recordset is moved past; values stay as the engine
// gave them. A closed recordset becomes null. Everything else is left to the JSON writer.
Variant ReplyValue(const Variant& value);

}  // namespace velmora::automation
