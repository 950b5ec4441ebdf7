#pragma once

#include <functional>

#include "platform/cli/command_line.h"

// `velmora push DOCID [--partner ID] [--json]`: pushes one document to all its receivers (or
// to one partner) and prints, per executed send method, the protocol, the address (its password
// hidden) and the outcome; with --json the same as {"document", "sent", "failed", "sends": [...],
// "errors": [...]}, where "errors" holds the run's failures that belong to no send method.
// Exits 1 when a send failed or the document does not exist.
namespace velmora::app {

void AddPushCommand(cli::Command& root, const std::function<void()>& use_home);

}  // namespace velmora::app
