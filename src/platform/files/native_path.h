#pragma once

#include <string>
#include <string_view>

namespace velmora::files {

// The POSIX path of a path written the library's way: "\" and "/" are both separators.
// Network paths ("\\server\share\...") and drive paths ("X:\...") are resolved through the
// share and drive maps of the site configuration by the file service; here they raise an
// Error naming the share or drive, since a path without a mapping cannot be reached.
std::string ToNativePath(std::string_view path);

// True for "\\server\share..." paths and "X:" drive paths.
bool IsNetworkPath(std::string_view path);
bool HasDriveLetter(std::string_view path);

}  // namespace velmora::files
