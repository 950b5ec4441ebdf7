#pragma once

#include <string>
#include <string_view>

#include "velmora/base/variant.h"

// Internal: the criterion of Recordset::Find, read once and matched against each row.
namespace velmora::db {

struct FindCriterion {
  enum class Operator { kEqual, kNotEqual, kLess, kGreater, kLessOrEqual, kGreaterOrEqual, kLike };

  std::string column;
  Operator op = Operator::kEqual;
  // Text (from a quoted literal) or a number (int64 or double).
  Variant value;
};

// Reads "COLUMN op value": the column a name or [bracketed name]; op one of = <> < > <= >= LIKE;
// the value a '...' literal ('' for a quote inside) or a decimal number. Raises
// kErrDbBadArgument, quoting the criterion, for anything else.
FindCriterion ParseFindCriterion(std::string_view criterion);

// Whether a field value satisfies the criterion. NULL never matches. A text value compares
// with the field's text exactly; a number compares numerically with a numeric field or a field
// whose text reads as a number. LIKE takes "*" or "%" for any run of characters.
bool MatchesCriterion(const FindCriterion& criterion, const Variant& field);

}  // namespace velmora::db
