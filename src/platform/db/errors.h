#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/base/enumeration_errors.h"

// Error numbers of the database adapters. Every failure of src/platform/db reaches callers as a
// velmora::Error with one of these numbers, a source naming the engine ("SQLite", "PostgreSQL")
// or "Database" for failures that are not the engine's. A failure the engine reports gets one
// of the plain descriptions below, chosen by its class; the engine's own message (which names
// tables, columns, constraints and values), its code or SQL state and the statement text are
// the error's detail, written to the log and never shown to callers. The numbers sit in the
// application range, well above the library's own EnumerationErrors (base + 501 ... 554), so
// callers can tell them apart:
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

// Descriptions of engine failures, by class.
inline constexpr const char* kDescRefused = "The database refused the statement.";
inline constexpr const char* kDescDuplicateKey = "A record with the same key exists.";
inline constexpr const char* kDescRuleBroken =
    "The change breaks a rule of the database: a required value or a referenced record is "
    "missing, or the record is still referenced.";
inline constexpr const char* kDescUnreachable = "The database is not reachable.";
inline constexpr const char* kDescBusy = "The database is busy; try again later.";
inline constexpr const char* kDescFailed = "The database could not complete the statement.";

// Source of failures that do not come from an engine.
inline constexpr const char* kDbErrorSource = "Database";

// Raises Error(number, source, description).
[[noreturn]] void RaiseDbError(int32_t number, std::string source, std::string description);
// Raises with source kDbErrorSource.
[[noreturn]] void RaiseDbError(int32_t number, std::string description);
// Raises a failure the engine reported: Error(number, source, description) with `detail`
// (the engine's message and code) for the log.
[[noreturn]] void RaiseEngineError(int32_t number, std::string source, std::string description,
                                   std::string detail);
// Adds the statement text to the detail of an engine failure in flight and raises it again;
// other errors pass unchanged. REQUIRES: called inside a catch block.
[[noreturn]] void RaiseWithStatement(std::string_view sql);

}  // namespace velmora::db
