#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"

// Internal: the one place where values cross between Variant and the engines.
namespace velmora::db {

// An integer as int32 when it fits, else int64.
Variant IntegerValue(int64_t value);

// Raises kErrTypeMismatch unless a value of this kind can be stored in a column (arrays and
// objects cannot).
void CheckStorable(const Variant& value);

// A value as the text the engines receive for it: integers in decimal, doubles with every
// significant digit, booleans "1" or "0", dates "YYYY-MM-DD hh:mm:ss", text as it is.
// REQUIRES: CheckStorable(value) passed and value is neither empty, null nor bytes.
std::string ValueText(const Variant& value);

}  // namespace velmora::db
