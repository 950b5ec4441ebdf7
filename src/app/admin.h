#pragma once

#include <string>
#include <vector>

#include "platform/cli/command_line.h"

// `velmora admin ...`: maintains what the portal's administration pages maintain and the
// library only reads. Every command takes --json for machine-readable output and exits non-zero
// with a clear message on bad input.
namespace velmora::app {

struct AdminOptions {
  bool json = false;
  std::string name;
  std::string value;
  std::string code;
  int locale = 0;
  std::string text;
};

// Adds the admin commands under `admin`; `use_home` runs before each command.
void AddAdminCommands(cli::Command& admin, AdminOptions& options,
                      const std::function<void()>& use_home);

}  // namespace velmora::app
