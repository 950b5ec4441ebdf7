#include "platform/files/path_text.h"

namespace velmora::files {
namespace {

// Length of the root of `path`: "\\srv\share" (without what follows), "X:\" or "X:", one
// leading separator, or 0 for a relative path.
size_t RootLength(std::string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t i = 2;
    while (i < path.size() && !IsSeparator(path[i])) {
      ++i;
    }
    if (i < path.size()) {
      ++i;
      while (i < path.size() && !IsSeparator(path[i])) {
        ++i;
      }
    }
    return i;
  }
  if (StartsWithDrive(path)) {
    return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  }
  if (!path.empty() && IsSeparator(path[0])) {
    return 1;
  }
  return 0;
}

// `path` without trailing separators, never shorter than its root.
std::string_view StripTrailing(std::string_view path, size_t root) {
  size_t end = path.size();
  while (end > root && IsSeparator(path[end - 1])) {
    --end;
  }
  return path.substr(0, end);
}

}  // namespace

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsUncPath(std::string_view path) {
  return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

bool StartsWithDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool HasDrive(std::string_view path) {
  return StartsWithDrive(path) || (!path.empty() && IsSeparator(path[0]));
}

std::string BuildPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!folder.empty() && !EndsWithSeparator(folder)) {
    joined += folder.find('\\') != std::string_view::npos ? '\\' : '/';
  }
  joined += name;
  return joined;
}

std::string GetFileNamePart(std::string_view path) {
  const size_t root = RootLength(path);
  const std::string_view stripped = StripTrailing(path, root);
  if (stripped.size() <= root) {
    return {};
  }
  size_t start = stripped.size();
  while (start > root && !IsSeparator(stripped[start - 1])) {
    --start;
  }
  return std::string(stripped.substr(start));
}

std::string GetBaseNamePart(std::string_view path) {
  const std::string name = GetFileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string GetExtensionPart(std::string_view path) {
  const std::string name = GetFileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string GetParentFolderPart(std::string_view path) {
  const size_t root = RootLength(path);
  const std::string_view stripped = StripTrailing(path, root);
  if (stripped.size() <= root) {
    return {};
  }
  size_t cut = stripped.size();
  while (cut > root && !IsSeparator(stripped[cut - 1])) {
    --cut;
  }
  return std::string(StripTrailing(stripped.substr(0, cut), root));
}

bool EndsWithSeparator(std::string_view path) { return !path.empty() && IsSeparator(path.back()); }

std::string TargetPath(std::string_view from, std::string_view to) {
  return EndsWithSeparator(to) ? BuildPath(to, GetFileNamePart(from)) : std::string(to);
}

bool IsBareFileName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || StartsWithDrive(name)) {
    return false;
  }
  for (char c : name) {
    if (IsSeparator(c) || c == '\0') {
      return false;
    }
  }
  return true;
}

bool HasParentStep(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (path.substr(start, i - start) == "..") {
        return true;
      }
      start = i + 1;
    }
  }
  return false;
}

}  // namespace velmora::files
