#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/files/path_resolver.h"
#include "platform/files/remote_file.h"
#include "velmora/base/variant.h"

// The file system as the library's classes reach it: paths resolved with the share and drive
// maps of the site configuration, network paths of the remote operations through the
// component "D2ORiro.File", temporary names from the GUID source.
namespace velmora::core {

// The maps of sections "SHARES" (keys "\\server\share") and "DRIVES" (keys "X:") of the site
// configuration file, each value a local folder. Every section of either name counts. Raises
// when the file cannot be read; no site configuration file at all gives empty maps.
files::PathMaps ReadSitePathMaps();

// The folders an installation's calls may use: the installation directory, the temporary
// folder, the folders named by parameters (names ending in Folder, Path, Dir or XMLPath<n>,
// values that are not URLs), the folders of the share and drive maps, and the values of
// section "ALLOWEDROOTS" of the site configuration. Reads the database and the site
// configuration; raises when either cannot be read.
std::vector<std::string> InstallationRoots();

// The values of section "ALLOWEDHOSTS" of the site configuration: the hosts style sheets may be
// downloaded from when the environment limits them. None when the section is missing.
std::vector<std::string> ConfiguredHosts();

// A resolver that reads the site maps on first need, confined to the allowed roots of the
// environment when it has them.
files::PathResolver NewSitePathResolver();

// The file system of the environment (core/env.h): by default the local one with the site maps.
// Owned by the caller; one per operation.
std::unique_ptr<files::FileSystem> NewSiteFileSystem();
// The local file system with the site maps, the environment's default.
std::unique_ptr<files::FileSystem> NewLocalSiteFileSystem();

// The factory of "D2ORiro.File" in the component registry: the mounted shares of the site maps.
ObjectRef NewSiteRemoteFile();

// "D2ORiro.File" through B2B_getComponent. When it cannot be created (logged there), raises
// kErrObjectRequired with source `path`, as the use of the empty value would.
std::shared_ptr<files::RemoteFile> GetRemoteFile(const std::string& path);

// A fresh temporary file name, "rad" + five hexadecimal digits + ".tmp", from the GUID source.
std::string NewTempFileName();

// $TMPDIR when set and not blank, else "/tmp"; without trailing separator.
std::string TempFolderPath();

}  // namespace velmora::core
