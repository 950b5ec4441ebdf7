#pragma once

#include <string>
#include <string_view>

#include "velmora/db/connection.h"

// The library writes its SQL in one dialect. TranslateSql turns a statement into what the
// engine accepts, rewriting only three things, and only outside string literals ('...' with ''
// inside), quoted identifiers ("...") and comments:
//   - a leading "SELECT TOP n" (or "SELECT DISTINCT TOP n", "TOP (n)") loses its TOP clause and
//     gains " LIMIT n" after the last token of the statement (before a trailing ";");
//   - the owner prefix "dbo." (any case) in front of a name is removed;
//   - a string literal that is exactly a date "M/D/YYYY", optionally followed by a time
//     "h:mm" or "h:mm:ss" and AM/PM, becomes "YYYY-MM-DD" or "YYYY-MM-DD hh:mm:ss".
// Everything else is left as written: a statement that still fails on an engine is fixed where
// it is built.
namespace velmora::db {

struct Translation {
  std::string sql;
  // Whether sql differs from the statement passed in.
  bool changed = false;
};

Translation TranslateSql(std::string_view sql, Engine engine);

// The statement with its "?" parameter markers (outside literals, quoted identifiers and
// comments) numbered "$1", "$2", ... as PostgreSQL expects them; `count`, when given, receives
// how many there are.
std::string NumberPlaceholders(std::string_view sql, int* count = nullptr);

// A plain "SELECT <list> ..." with `columns` put at the front of its select list, or "" when
// the statement is anything else (DISTINCT, a compound query with UNION, INTERSECT or EXCEPT,
// not a SELECT): the recordset uses this to fetch a table's key columns along with a query
// that lacks them.
std::string PrependSelectColumns(std::string_view sql, std::string_view columns);

// Whether the text holds nothing but blanks, ";" and comments.
bool IsBlankSql(std::string_view sql);

}  // namespace velmora::db
