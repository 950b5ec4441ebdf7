#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace velmora::testing {
namespace fs = std::filesystem;

TempHome::TempHome() {
  std::string pattern = (fs::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary folder");
  }
  path_ = pattern;
  fs::create_directories(path_ + "/config");
  if (const char* home = std::getenv("VELMORA_HOME")) {
    had_home_ = true;
    previous_home_ = home;
  }
  setenv("VELMORA_HOME", path_.c_str(), 1);
  unsetenv("VELMORA_REGISTRY");
}

TempHome::~TempHome() {
  if (had_home_) {
    setenv("VELMORA_HOME", previous_home_.c_str(), 1);
  } else {
    unsetenv("VELMORA_HOME");
  }
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

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

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace velmora::testing
