#pragma once

#include <memory>
#include <string>

// Plug-in libraries: shared objects opened once per process and kept open while anything
// made from them lives.
namespace velmora::plugins {

// One opened shared library; closed when the last reference goes.
class PluginLibrary {
 public:
  // Opens `path` (resolved symbols now, kept local). Raises kErrCannotCreateObject with the
  // loader's reason when it cannot be opened.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::string& path() const { return path_; }
  // The address of the exported `symbol`, or nullptr when the library does not export it.
  void* Symbol(const std::string& symbol) const;

 private:
  std::string path_;
  void* handle_ = nullptr;
};

// The library at `path`, opened on first use and shared by every later call for the same
// file, from any thread. A library is kept only when it exports velmora_plugin_abi() answering
// the ABI version this host was built with; otherwise kErrCannotCreateObject is raised (again
// on every call).
std::shared_ptr<PluginLibrary> LoadPluginLibrary(const std::string& path);

}  // namespace velmora::plugins
