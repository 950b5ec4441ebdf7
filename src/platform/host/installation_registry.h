#pragma once

#include <string>
#include <vector>

#include "platform/host/configuration.h"

// The installation registry: an XML file that records where each product is installed.
//   <registry>
//     <installation product="R2AVidode" installdir="/srv/velmora" configdir="/srv/velmora/config"
//                   version="0.1.0"/>
//   </registry>
// It is the file named by $VELMORA_REGISTRY, else config/registry.xml inside the home the
// caller names, else inside DefaultHome().
namespace velmora::host {

// The home when no registry names one: $VELMORA_HOME, else ./velmora-home (absolute).
std::string DefaultHome();
// The registry of `home` (empty: DefaultHome()), or the file named by $VELMORA_REGISTRY.
std::string RegistryPath(const std::string& home = {});

// All installation records of the registry file in file order; an absent file gives none.
// Raises an Error naming the file when it exists but cannot be read.
std::vector<ProductInfo> ReadRegistry(const std::string& path);
// Adds or replaces the record of `info.product` whose install_dir matches, keeping the others.
void WriteRegistryRecord(const std::string& path, const ProductInfo& info);

// The installation folder of the last record of the main product in the registry of `home`,
// else `home`, else DefaultHome().
std::string InstallationHome(const std::string& home = {});

}  // namespace velmora::host
