#pragma once

#include <string>

#include "core/env.h"

namespace velmora::core {

// The environment of the installation at `home` with the adapters core can make: connections to
// the database of its configuration, the local file system with its share and drive maps, the
// system's clock and GUIDs, the libcurl transfer client, the mail
// service of the site configuration. The program adds what only it links (the
// office engine).
Env NewHomeEnv(std::string home);

}  // namespace velmora::core
