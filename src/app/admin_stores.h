#pragma once

#include <functional>

#include "app/admin.h"
#include "platform/cli/command_line.h"

// `velmora admin distlist|senderlist|receivemethod|conversion|tag ...`: the routing and
// transformation settings kept per document type, user and partner. Every command takes --json
// (here or on `admin`) and exits 1 with a clear message for an unknown document type, user or
// partner and for a record that is not there.
namespace velmora::app {

// Adds the store commands under `admin`; `use_home` runs before each command. `options` (its
// json flag) must outlive the command line.
void AddStoreCommands(cli::Command& admin, const AdminOptions& options,
                      const std::function<void()>& use_home);

}  // namespace velmora::app
