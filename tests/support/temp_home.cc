#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace velmora::testing {
namespace fs = std::filesystem;

TempHome::TempHome() : path_(folder_.path()), home_variable_("VELMORA_HOME", path_) {
  fs::create_directories(path_ + "/config");
  unsetenv("VELMORA_REGISTRY");
}

TempHome::~TempHome() = default;

void TempHome::WriteConfig(const std::string& file_name,
                           const std::vector<std::vector<std::string>>& keys,
                           const std::string& extra) {
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\"?>\n<configuration>\n";
  for (const auto& entry : keys) {
    xml << "  <section name=\"" << entry.at(0) << "\"><key name=\"" << entry.at(1) << "\">"
        << entry.at(2) << "</key></section>\n";
  }
  xml << extra << "</configuration>\n";
  WriteFile(config_dir() + "/" + file_name, xml.str());
}

void TempHome::WriteRegistry(const std::vector<std::string>& config_dirs) {
  std::ostringstream xml;
  xml << "<registry>\n";
  for (const std::string& dir : config_dirs) {
    xml << "  <installation product=\"R2AVidode\" installdir=\"" << path_ << "\" configdir=\""
        << dir << "\" version=\"0.1.0\"/>\n";
  }
  xml << "</registry>\n";
  WriteFile(config_dir() + "/registry.xml", xml.str());
}

void RunOnFreshThread(const std::function<void()>& body) {
  std::string escaped;
  std::thread worker([&] {
    try {
      body();
    } catch (const std::exception& failure) {
      escaped = failure.what();
    }
  });
  worker.join();
  EXPECT_EQ(escaped, "") << "an exception escaped the test body";
}

}  // namespace velmora::testing
