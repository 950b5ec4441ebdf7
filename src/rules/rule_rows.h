#pragma once

// Internal to src/rules: reading the columns of rule rows.

#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/db/recordset.h"

namespace velmora::rules {

// A text column as stored, "" for NULL.
inline std::string TextField(const db::Recordset& rows, std::string_view name) {
  const Variant value = rows.Field(name);
  return value.IsNull() ? std::string() : value.ToText();
}

// A number column, 0 for NULL.
inline int32_t NumberField(const db::Recordset& rows, std::string_view name) {
  const Variant value = rows.Field(name);
  return value.IsNull() ? 0 : value.ToInt32();
}

}  // namespace velmora::rules
