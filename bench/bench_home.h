#pragma once

// The installation home of one benchmark process: configuration files, an empty SQLite
// database with the schema and defaults, VELMORA_HOME pointing at it; removed at exit.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "core/database_setup.h"
#include "velmora/db/connection.h"

namespace velmora::bench {

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class BenchHome {
 public:
  // `name` names the folder /tmp/velmora-bench-<name>-<pid>; `site_sections` are the sections
  // of SiteConfiguration.xml besides the benchmark's membership account. `path()` may be used
  // in them as the home's path, given by `home_path`.
  BenchHome(const std::string& name,
            const std::function<std::string(const std::string&)>& site_sections)
      : path_("/tmp/velmora-bench-" + name + "-" + std::to_string(getpid())) {
    const std::filesystem::path home = path_;
    WriteText(home / "config" / "registry.xml",
              "<registry><installation product=\"R2AVidode\" installdir=\"" + path_ +
                  "\" configdir=\"" + path_ + "/config\" version=\"0.1.0\"/></registry>\n");
    WriteText(home / "config" / "R2AVidodeConfiguration.xml",
              "<configuration><section name=\"GLOBAL\"><key name=\"B2BLogging\">0</key>"
              "</section><connection application=\"Velmora\">sqlite:" +
                  path_ + "/data/velmora.db</connection></configuration>\n");
    WriteText(home / "config" / "SiteConfiguration.xml",
              "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">bench"
              "</key><key name=\"MemScriptCode\">bench-code</key></section>" +
                  site_sections(path_) + "</configuration>\n");
    std::filesystem::create_directories(home / "data");
    setenv("VELMORA_HOME", path_.c_str(), 1);
    unsetenv("VELMORA_REGISTRY");
    db::OpenOptions options;
    options.create_if_missing = true;
    database_ = db::OpenConnection(Database(), options);
    core::SetUpDatabase(*database_, path_);
  }
  ~BenchHome() {
    database_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  BenchHome(const BenchHome&) = delete;
  BenchHome& operator=(const BenchHome&) = delete;

  const std::string& path() const { return path_; }
  // The connection string of the home's database.
  std::string Database() const { return "sqlite:" + path_ + "/data/velmora.db"; }
  // The connection the database was set up with, for seeding.
  db::Connection& database() const { return *database_; }

 private:
  std::string path_;
  std::unique_ptr<db::Connection> database_;
};

}  // namespace velmora::bench
