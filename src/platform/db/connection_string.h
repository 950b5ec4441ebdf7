#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "velmora/db/connection.h"

namespace velmora::db {

// A connection string taken apart.
struct ConnectionTarget {
  Engine engine = Engine::kSqlite;
  // SQLite: the absolute, normalised database path. PostgreSQL: the URI as given.
  std::string location;
  // The key of the handle pool: "sqlite:" + absolute path, or the URI.
  std::string pool_key;
  // The password inside a PostgreSQL URI (user info or "password=" parameter), percent-decoded,
  // or "": texts from the engine are scrubbed of it before they reach a message.
  std::string password;
};

// Parses "sqlite:<path>" and "postgresql://..." / "postgres://..." (scheme compared ignoring
// case). Raises kErrDbConnectionString for an empty text, an empty path or another scheme; the
// description names the scheme but never repeats the rest of the text.
ConnectionTarget ParseConnectionString(std::string_view connection_string,
                                       const std::filesystem::path& base_folder);

// The text with every occurrence of `password` (when not empty) replaced by "***".
std::string ScrubPassword(std::string_view text, std::string_view password);

}  // namespace velmora::db
