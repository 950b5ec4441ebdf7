#pragma once

#include <cstdint>

namespace velmora {

// TagAttrXsl: TAGVALUE an element name, ATTRVALUE an attribute name, XSLPATTERN a complete
// query, FIXEDTEXT a literal value (no query). Any other number may arrive from stored rows.
enum class TagAttrXsl : int32_t {
  TAGVALUE = 1,
  ATTRVALUE = 2,
  XSLPATTERN = 3,
  FIXEDTEXT = 4,
};

}  // namespace velmora
