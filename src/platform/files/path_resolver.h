#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// From paths written the library's way to POSIX paths: "\" and "/" both separate;
// "\\server\share\rest" is looked up in the share map and "X:\rest" in the drive map, the rest
// joined to the mapped folder; anything else is a POSIX path (relative ones to the current
// directory). A mapped path never leaves its mapped folder: ".." that would climb above it is
// refused. The check is on the text; symbolic links inside a mapped folder are followed as the
// file system does.
namespace velmora::files {

// The share map ("\\server\share" to a mounted folder) and the drive map ("X:" to a folder) of
// the site configuration, in the order written. Keys that are not of that form never match.
struct PathMaps {
  std::vector<std::pair<std::string, std::string>> shares;
  std::vector<std::pair<std::string, std::string>> drives;
};

// Error numbers of the file service, as the file-system object of scripts numbers them.
inline constexpr int32_t kErrBadFileName = 52;
inline constexpr int32_t kErrPathFileAccess = 75;

// Resolves paths with maps loaded on first need. Not safe for concurrent use; one per caller.
class PathResolver {
 public:
  // Reads the maps; called at most once, when the first share or drive path is resolved.
  // Its errors pass to the caller of ToNative.
  using MapLoader = std::function<PathMaps()>;

  explicit PathResolver(MapLoader loader) : loader_(std::move(loader)) {}
  explicit PathResolver(PathMaps maps) : maps_(std::move(maps)) {}

  // The POSIX path of `path`. Raises, with source "Velmora.Files":
  //  - kErrBadFileName for text that is not valid UTF-8 or holds a NUL, and for a network path
  //    without server or share;
  //  - kErrPathNotFound naming the share or drive when it is not mapped;
  //  - kErrPermissionDenied when ".." would leave the mapped folder.
  // "" stays "".
  // When confined, also raises kErrPermissionDenied naming a path outside the allowed roots.
  std::string ToNative(std::string_view path);

  // Confines every path ToNative gives to `roots` (POSIX folders, relative ones to the current
  // directory): a path is allowed when, with "." and ".." steps and the symbolic links of its
  // existing part resolved, it is one of the roots or lies below one. No roots allow nothing.
  void ConfineTo(const std::vector<std::string>& roots);

 private:
  std::string Resolve(std::string_view path);
  std::string Confined(std::string native) const;

  const PathMaps& Maps();
  std::string Mapped(std::string_view path, const std::string& root_name, const std::string& folder,
                     std::string_view rest);

  MapLoader loader_;
  std::optional<PathMaps> maps_;
  std::optional<std::vector<std::string>> roots_;
};

// `text` with every byte outside printable ASCII written as "\xNN", for messages that name a
// path that may not be valid UTF-8.
std::string PrintablePath(std::string_view text);

}  // namespace velmora::files
