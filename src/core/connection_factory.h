#pragma once

#include <memory>
#include <string>

#include "velmora/db/connection.h"

// Where the library's database connections come from. The environment holds one (core/env.h);
// without one, connections go to the database of the installation's configuration.
namespace velmora::core {

// Opens connections to one database. Safe to use from several threads; each connection it
// opens belongs to its caller and is used by one thread at a time.
class ConnectionFactory {
 public:
  virtual ~ConnectionFactory() = default;
  // A new open connection whose statements time out after `statement_timeout_seconds`
  // (0: never). Raises when the connection string is missing or the database cannot be reached.
  virtual std::unique_ptr<db::Connection> Open(int statement_timeout_seconds) = 0;
};

// Connections to `connection_string`; a relative "sqlite:" path is taken relative to
// `base_folder`.
std::shared_ptr<ConnectionFactory> NewConnectionFactory(std::string connection_string,
                                                        std::string base_folder);

// Connections to the database of application "Velmora" in the installation's configuration
// file, read on the first Open and kept once read. A failed read is logged
// ("DBUtils.GetConnection") and tried again by the next Open.
std::shared_ptr<ConnectionFactory> NewConfiguredConnectionFactory();

}  // namespace velmora::core
