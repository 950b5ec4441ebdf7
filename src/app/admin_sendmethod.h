#pragma once

#include <functional>

#include "app/admin.h"
#include "platform/cli/command_line.h"

// `velmora admin sendmethod add|set|list|remove`: how the documents of a type reach a business
// partner (e-mail, fax, folder, FTP, HTTP, plug-in, manual download, EDI), maintained through the
// operations of Velmora.SendMethod so that the stored rows are exactly what the portal's pages
// would write. Every command takes --json and exits 1 with a clear message on bad input.
namespace velmora::app {

void AddSendMethodCommands(cli::Command& admin, const AdminOptions& options,
                           const std::function<void()>& use_home);

}  // namespace velmora::app
