#pragma once

#include <functional>

#include "app/admin.h"
#include "platform/cli/command_line.h"

// `velmora admin template add|set|list|remove`: the notification templates, maintained through
// the operations of Velmora.Notification, with its placeholder checks (a subject or body with a
// placeholder outside its place is refused naming the codes). Document type "-1" is any type;
// partner -1 any partner, -2 the copy audience (recipient mode only).
namespace velmora::app {

void AddTemplateCommands(cli::Command& admin, const AdminOptions& options,
                         const std::function<void()>& use_home);

}  // namespace velmora::app
