#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/enumeration_errors.h"

// Error numbers of the database adapters. Every failure of src/platform/db reaches callers as a
// velmora::Error with one of these numbers, a source naming the engine ("SQLite", "PostgreSQL")
// or "Database" for failures that are not the engine's, and a description that carries the
// engine's own message. The numbers sit in the application range, well above the library's
// own EnumerationErrors (base + 501 ... 554), so callers can tell them apart:
//
//   number            name                       meaning
//   base + 1001       kErrDbConnectionString     unusable connection string (unknown scheme, ...)
//   base + 1002       kErrDbConnect              the database cannot be opened or reached
//   base + 1003       kErrDbSql                  the engine refused or failed a statement
//   base + 1004       kErrDbTimeout              a statement ran longer than its time-out
//   base + 1005       kErrDbConstraint           a constraint (unique, foreign key, not null)
//   failed base + 1006       kErrDbBusy                 the database stayed locked, or a deadlock
//   base + 1007       kErrDbItemNotFound         no field of that name or index
//   base + 1008       kErrDbClosed               the connection or recordset is closed
//   base + 1009       kErrDbNoCurrentRow         EOF or BOF is true: there is no current row
//   base + 1010       kErrDbNotUpdatable         the recordset cannot write this change back
//   base + 1011       kErrDbRowNotFound          the row to write back is gone or not unique
//   base + 1012       kErrDbTransaction          transaction calls out of order
//   base + 1013       kErrDbBadArgument          a malformed argument (Find criterion, value)
namespace velmora::db {

inline constexpr int32_t kErrDbConnectionString = kApplicationErrorBase + 1001;
inline constexpr int32_t kErrDbConnect = kApplicationErrorBase + 1002;
inline constexpr int32_t kErrDbSql = kApplicationErrorBase + 1003;
inline constexpr int32_t kErrDbTimeout = kApplicationErrorBase + 1004;
inline constexpr int32_t kErrDbConstraint = kApplicationErrorBase + 1005;
inline constexpr int32_t kErrDbBusy = kApplicationErrorBase + 1006;
inline constexpr int32_t kErrDbItemNotFound = kApplicationErrorBase + 1007;
inline constexpr int32_t kErrDbClosed = kApplicationErrorBase + 1008;
inline constexpr int32_t kErrDbNoCurrentRow = kApplicationErrorBase + 1009;
inline constexpr int32_t kErrDbNotUpdatable = kApplicationErrorBase + 1010;
inline constexpr int32_t kErrDbRowNotFound = kApplicationErrorBase + 1011;
inline constexpr int32_t kErrDbTransaction = kApplicationErrorBase + 1012;
inline constexpr int32_t kErrDbBadArgument = kApplicationErrorBase + 1013;

// Source of failures that do not come from an engine.
inline constexpr const char* kDbErrorSource = "Database";

// Raises Error(number, source, description).
[[noreturn]] void RaiseDbError(int32_t number, std::string source, std::string description);
// Raises with source kDbErrorSource.
[[noreturn]] void RaiseDbError(int32_t number, std::string description);

}  // namespace velmora::db
