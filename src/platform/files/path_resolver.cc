#include "platform/files/path_resolver.h"

#include <cstdio>
#include <filesystem>

#include "platform/files/path_text.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"

namespace velmora::files {
namespace {

constexpr const char* kSource = "Velmora.Files";

// The parts of `path` between separators, empty parts dropped.
std::vector<std::string_view> Parts(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (i > start) {
        parts.push_back(path.substr(start, i - start));
      }
      start = i + 1;
    }
  }
  return parts;
}

// "server\share" of a network path or map key, lower case; nullopt when either is missing.
std::optional<std::string> ShareKey(std::string_view path, size_t* rest_start) {
  size_t i = 0;
  while (i < path.size() && IsSeparator(path[i])) {
    ++i;
  }
  if (i != 2) {
    return std::nullopt;
  }
  const size_t server_start = i;
  while (i < path.size() && !IsSeparator(path[i])) {
    ++i;
  }
  const std::string_view server = path.substr(server_start, i - server_start);
  while (i < path.size() && IsSeparator(path[i])) {
    ++i;
  }
  const size_t share_start = i;
  while (i < path.size() && !IsSeparator(path[i])) {
    ++i;
  }
  const std::string_view share = path.substr(share_start, i - share_start);
  if (server.empty() || share.empty()) {
    return std::nullopt;
  }
  if (rest_start != nullptr) {
    *rest_start = i;
  }
  return text::ToLower(server) + "\\" + text::ToLower(share);
}

// `path` made absolute, with "." and "..", and the symbolic links of its existing part,
// resolved; without a trailing separator.
std::filesystem::path RealPath(const std::string& path) {
  std::error_code failure;
  std::filesystem::path real =
      std::filesystem::weakly_canonical(std::filesystem::absolute(path), failure);
  if (failure) {
    real = std::filesystem::absolute(path).lexically_normal();
  }
  if (!real.has_filename() && real != real.root_path()) {
    real = real.parent_path();
  }
  return real;
}

// Whether `path` is `root` or lies below it, part by part.
bool IsWithin(const std::filesystem::path& path, const std::filesystem::path& root) {
  auto at = path.begin();
  for (auto step = root.begin(); step != root.end(); ++step, ++at) {
    if (at == path.end() || *at != *step) {
      return false;
    }
  }
  return true;
}

std::string ToPosixSeparators(std::string_view path) {
  std::string native(path);
  for (char& c : native) {
    if (c == '\\') {
      c = '/';
    }
  }
  return native;
}

}  // namespace

std::string PrintablePath(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

const PathMaps& PathResolver::Maps() {
  if (!maps_) {
    maps_ = loader_ ? loader_() : PathMaps{};
  }
  return *maps_;
}

std::string PathResolver::ToNative(std::string_view path) {
  std::string native = Resolve(path);
  return roots_ && !native.empty() ? Confined(std::move(native)) : native;
}

void PathResolver::ConfineTo(const std::vector<std::string>& roots) {
  roots_.emplace();
  for (const std::string& root : roots) {
    if (!root.empty()) {
      roots_->push_back(RealPath(root).string());
    }
  }
}

std::string PathResolver::Confined(std::string native) const {
  const std::filesystem::path real = RealPath(native);
  for (const std::string& root : *roots_) {
    if (IsWithin(real, root)) {
      return native;
    }
  }
  throw Error(kErrPermissionDenied, kSource,
              "Permission denied: the path '" + PrintablePath(native) +
                  "' lies outside the folders this installation may use (the home, the "
                  "folders of its parameters, the mapped shares and drives, section "
                  "ALLOWEDROOTS of the site configuration)");
}

std::string PathResolver::Resolve(std::string_view path) {
  if (!text::IsValidUtf8(path) || path.find('\0') != std::string_view::npos) {
    throw Error(kErrBadFileName, kSource,
                "Bad file name: '" + PrintablePath(path) + "' is not valid UTF-8 text");
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t rest_start = 0;
    const std::optional<std::string> key = ShareKey(path, &rest_start);
    if (!key) {
      throw Error(
          kErrBadFileName, kSource,
          "Bad file name: the network path '" + std::string(path) + "' names no server and share");
    }
    const std::string share_name(path.substr(0, rest_start));
    for (const auto& [map_key, folder] : Maps().shares) {
      if (ShareKey(text::Trim(map_key), nullptr) == key) {
        return Mapped(path, share_name, folder, path.substr(rest_start));
      }
    }
    throw Error(kErrPathNotFound, kSource,
                "Path not found: the share '" + share_name +
                    "' is not mapped in section SHARES of the site configuration");
  }
  if (StartsWithDrive(path)) {
    const std::string drive = std::string(1, text::ToUpperAscii(path[0])) + ":";
    for (const auto& [map_key, folder] : Maps().drives) {
      if (text::IEquals(text::Trim(map_key), drive)) {
        return Mapped(path, drive, folder, path.substr(2));
      }
    }
    throw Error(kErrPathNotFound, kSource,
                "Path not found: the drive '" + drive +
                    "' is not mapped in section DRIVES of the site configuration");
  }
  return ToPosixSeparators(path);
}

std::string PathResolver::Mapped(std::string_view path, const std::string& root_name,
                                 const std::string& folder, std::string_view rest) {
  std::vector<std::string_view> kept;
  for (std::string_view part : Parts(rest)) {
    if (part == ".") {
      continue;
    }
    if (part == "..") {
      if (kept.empty()) {
        throw Error(kErrPermissionDenied, kSource,
                    "Permission denied: '" + std::string(path) + "' leaves the folder mapped to '" +
                        root_name + "'");
      }
      kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  std::string native = ToPosixSeparators(text::Trim(folder));
  if (native.empty()) {
    throw Error(
        kErrPathNotFound, kSource,
        "Path not found: '" + root_name + "' is mapped to no folder in the site configuration");
  }
  while (native.size() > 1 && native.back() == '/') {
    native.pop_back();
  }
  for (std::string_view part : kept) {
    if (native.empty() || native.back() != '/') {
      native += '/';
    }
    native += part;
  }
  return native;
}

}  // namespace velmora::files
