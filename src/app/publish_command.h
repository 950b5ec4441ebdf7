#pragma once

#include <functional>

#include "platform/cli/command_line.h"

// `velmora publish FILE [--attach FILE]... [--async] [--json]`: publishes an XML file, a
// workbook (.xls) or an OBI object (.obi) as the folder import would, synchronously unless
// --async, and prints what happened: the new document's id, type, sender and status, each
// recipient, each send method's outcome, the publication errors and each mail written into
// the mail pick-up folder. With --json one object with the keys "documentId", "documentType",
// "sender", "status", "recipients", "deliveries", "errors" and "mails" ("pickupFile" after
// --async). A failure prints the localised message and exits 1.
namespace velmora::app {

// Adds the command under `root`; `use_home` runs before it.
void AddPublishCommand(cli::Command& root, const std::function<void()>& use_home);

}  // namespace velmora::app
