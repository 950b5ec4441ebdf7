#pragma once

#include <functional>

#include "app/admin.h"
#include "platform/cli/command_line.h"

// `velmora admin edinetwork add|set|list|remove`: the EDI networks (edi::EdiNetworkStore) that the
// EDI send methods drop documents for and the EDI run exchanges with. Listings show a stored
// FTP password as "********". Every command takes --json and exits 1 with a clear message on
// bad input.
namespace velmora::app {

void AddEdiNetworkCommands(cli::Command& admin, const AdminOptions& options,
                           const std::function<void()>& use_home);

}  // namespace velmora::app
