#pragma once

#include <functional>

#include "platform/cli/command_line.h"

// `velmora inbox|outbox|errors --user USER --type DOCTYPE [--filter FILTER ...] [--json]`: one
// user's document list as the portal's box pages build it (SQLQueries.GetDocListQuery), run on
// the installation's database, newest first. A FILTER is a qualified column, an operator
// (=, <>, !=, <, <=, >, >= or LIKE) and a value: "DOCUMENT.DOCUMENTID=12",
// "PUBLICATION.STATUS=New", "DOCUMENT.SENDER LIKE ac*".
// `velmora show DOCID --user USER [--json]`: one document's details and attachments as its
// sender or a recipient sees them.
// Bad input exits 1 with a clear message.
namespace velmora::app {

// Adds the commands under `root`; `use_home` runs before each command.
void AddBoxCommands(cli::Command& root, const std::function<void()>& use_home);

}  // namespace velmora::app
