#pragma once

#include <functional>

#include "platform/cli/command_line.h"

// `velmora inbox|outbox|errors --user USER --type DOCTYPE [--filter FILTER ...] [--limit N]
// [--after CURSOR] [--json]`: one page of a user's document list (Velmora.BoxList, the rows the
// portal's box pages get from SQLQueries.GetDocListQuery), newest first, N rows (default 50, at
// most 1000) after the page that printed CURSOR, followed by the cursor of the next page
// ("next page: --after CURSOR"; with --json {"documents": [...], "next": "CURSOR" or ""}). A
// FILTER is a qualified column, an operator (=, <>, !=, <, <=, >, >= or LIKE) and a value:
// "DOCUMENT.DOCUMENTID=12", "PUBLICATION.STATUS=New", "DOCUMENT.SENDER LIKE ac*"; a filter on a
// column the list does not have, or one the list would not apply, is refused.
// `velmora show DOCID --user USER [--json]`: one document's details and attachments as its
// sender or a recipient sees them.
// Bad input exits 1 with a clear message.
namespace velmora::app {

// Adds the commands under `root`; `use_home` runs before each command.
void AddBoxCommands(cli::Command& root, const std::function<void()>& use_home);

}  // namespace velmora::app
