#include "platform/plugins/library.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "velmora/base/error.h"
#include "velmora/plugin/method_call.h"

namespace velmora::plugins {
namespace {

// The loader's text for the last failure, or `fallback`.
std::string LoaderReason(const char* fallback) {
  const char* reason = dlerror();
  return reason != nullptr ? reason : fallback;
}

// `path` made absolute and free of "." and ".." so that one file has one key.
std::string CanonicalPath(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ignored);
  return canonical.empty() ? path : canonical.string();
}

void CheckAbi(const PluginLibrary& library) {
  auto* abi = reinterpret_cast<plugin::AbiFunction>(library.Symbol(VELMORA_PLUGIN_ABI_SYMBOL));
  if (abi == nullptr) {
    throw Error(kErrCannotCreateObject, library.path(),
                "The plug-in library '" + library.path() + "' does not export " +
                    VELMORA_PLUGIN_ABI_SYMBOL + "()");
  }
  const int32_t version = abi();
  if (version != plugin::kAbiVersion) {
    throw Error(kErrCannotCreateObject, library.path(),
                "The plug-in library '" + library.path() + "' was built for plug-in ABI " +
                    std::to_string(version) + "; this host needs ABI " +
                    std::to_string(plugin::kAbiVersion));
  }
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
  dlerror();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    throw Error(
        kErrCannotCreateObject, path,
        "Cannot load the plug-in library '" + path + "': " + LoaderReason("unknown reason"));
  }
}

PluginLibrary::~PluginLibrary() { dlclose(handle_); }

void* PluginLibrary::Symbol(const std::string& symbol) const {
  return dlsym(handle_, symbol.c_str());
}

std::shared_ptr<PluginLibrary> LoadPluginLibrary(const std::string& path) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<PluginLibrary>> loaded;
  const std::string key = CanonicalPath(path);
  std::lock_guard lock(mutex);
  if (auto found = loaded.find(key); found != loaded.end()) {
    return found->second;
  }
  auto library = std::make_shared<PluginLibrary>(key);
  CheckAbi(*library);
  loaded.emplace(key, library);
  return library;
}

}  // namespace velmora::plugins
