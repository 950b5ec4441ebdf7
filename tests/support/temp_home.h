#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/scoped_environment.h"
#include "support/temp_folder.h"

// A throw-away installation home for tests: its own folder, registry and configuration files,
// in force through $VELMORA_HOME (and $VELMORA_REGISTRY unset) for the life of the object.
namespace velmora::testing {

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& path() const { return path_; }
  std::string config_dir() const { return path_ + "/config"; }

  // Writes a configuration file (in config/) whose sections hold the given keys; each entry is
  // {section, key, value}. `extra` is raw XML put inside <configuration>.
  void WriteConfig(const std::string& file_name, const std::vector<std::vector<std::string>>& keys,
                   const std::string& extra = {});
  // Writes the installation registry with one record per config directory given.
  void WriteRegistry(const std::vector<std::string>& config_dirs);

 private:
  TempFolder folder_;
  std::string path_;
  ScopedEnvironmentVariable home_variable_;
};

// Runs `body` on a new thread and waits: per-thread caches start empty there. Failures inside
// are reported by gtest as usual; an exception escaping `body` fails the test.
void RunOnFreshThread(const std::function<void()>& body);

}  // namespace velmora::testing
