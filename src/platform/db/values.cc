#include "platform/db/values.h"

#include <cstdio>
#include <limits>

#include "velmora/base/error.h"

namespace velmora::db {

Variant IntegerValue(int64_t value) {
  if (value >= std::numeric_limits<int32_t>::min() &&
      value <= std::numeric_limits<int32_t>::max()) {
    return Variant(static_cast<int32_t>(value));
  }
  return Variant(value);
}

void CheckStorable(const Variant& value) {
  if (value.IsArray() || value.IsObject()) {
    throw Error(kErrTypeMismatch, "Database",
                "Type mismatch: a value of type " + value.TypeName() +
                    " cannot be stored in a database column");
  }
}

std::string ValueText(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kBool:
      return value.ToBool() ? "1" : "0";
    case Variant::Kind::kDouble: {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.17g", value.ToDouble());
      return buffer;
    }
    case Variant::Kind::kDate:
      return value.ToDate().ToText();
    default:
      return value.ToText();
  }
}

}  // namespace velmora::db
