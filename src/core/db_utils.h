#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/db/connection.h"
#include "velmora/db/recordset.h"

// The only place where database connections are opened, and the installation's named
// parameters. Every operation that touches the database opens its own connection with
// GetConnection, uses it, and closes it with CloseConnection on every path. Opening is cheap:
// the adapter pools native handles per connection string.
namespace velmora::core {

// A new open connection from the environment's connection factory (by default the database of
// application "Velmora" in the B2B configuration file, with a relative "sqlite:" path taken
// relative to the installation directory), owned by the caller. Raises (through ReportError
// "DBUtils.GetConnection") when the string is missing or the database cannot be reached.
std::unique_ptr<db::Connection> GetConnection();
// As GetConnection, with statements timing out after `timeout` seconds.
std::unique_ptr<db::Connection> GetConnectionWithODBCTimeoutIs(int32_t timeout);

// The trimmed PARAMVALUE of COLLABORATIONPARAMETER row `name` (compared exactly). A missing row
// raises MissingParameter with "Couldn't get the parameter '<name>' from the database."; a
// NULL value raises Invalid use of Null; both reported through "DBUtils.GetParameter".
std::string GetParameter(const std::string& name);

// Every row of `sql`, held in a recordset detached from any connection. Reported as
// "Velmora.DBUtils.getDisconnectedReadOnlyRecordSet" with the SQL as information.
std::unique_ptr<db::Recordset> getDisconnectedReadOnlyRecordSet(const std::string& sql);
// As above for a query with positional "?" parameters bound in order to `params` (see
// db::Connection::Query): the values never become SQL text, and the text stays the same from
// call to call, so that its compiled statement is reused.
std::unique_ptr<db::Recordset> getDisconnectedReadOnlyRecordSet(const std::string& sql,
                                                                const std::vector<Variant>& params);

// Field `column` of the first row of `sql`, read on a connection of its own that is closed on
// every path; nullopt when there is no row (a NULL field is a null Variant). Raises what
// opening or the query raises, unreported.
std::optional<Variant> FirstField(const std::string& sql, std::string_view column);

// Whether `sql` returns a row, read on a connection of its own that is closed on every path.
// Raises what opening or the query raises, unreported.
bool HasRow(const std::string& sql);

// Closes `recordset` when open and sets the reference to nothing; nothing and closed ones are
// fine.
void CloseRecordset(std::unique_ptr<db::Recordset>& recordset);

// The options every library connection is opened with (statement time-out, translated statements
// traced); the caller sets the base folder of relative "sqlite:" paths.
db::OpenOptions LibraryOpenOptions(int statement_timeout_seconds);

// Forgets the connection string read from the configuration (used after `velmora init` changes
// it).
void ForgetConnectionString();

}  // namespace velmora::core
