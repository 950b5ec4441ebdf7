#include "platform/files/native_path.h"

#include "velmora/base/error.h"

namespace velmora::files {

bool IsNetworkPath(std::string_view path) {
  return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/');
}

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string ToNativePath(std::string_view path) {
  if (IsNetworkPath(path) || HasDriveLetter(path)) {
    throw Error(kErrPathNotFound, "Velmora.Files",
                "Path not found: no folder is mapped for '" + std::string(path) + "'");
  }
  std::string native(path);
  for (char& c : native) {
    if (c == '\\') {
      c = '/';
    }
  }
  return native;
}

}  // namespace velmora::files
