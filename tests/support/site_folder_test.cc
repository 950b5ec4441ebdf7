#include "support/site_folder_test.h"

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace velmora::testing {
namespace {

// A section of the site configuration: one key per mapping, its value the mapped folder.
std::string Section(const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& keys,
                    const std::function<std::string(const std::string&)>& folder) {
  std::string xml = "<section name=\"" + name + "\">";
  for (const auto& [key, rest] : keys) {
    xml += "<key name=\"" + key + "\">" + folder(rest) + "</key>";
  }
  return xml + "</section>";
}

}  // namespace

void SiteFolderTest::SetUpDatabase() {
  LibraryDbTest::SetUpDatabase();
  if (IsSkipped() || HasFatalFailure()) {
    return;
  }
  folder_ = std::make_unique<TempFolder>();
}

void SiteFolderTest::TearDown() {
  folder_.reset();
  LibraryDbTest::TearDown();
}

void SiteFolderTest::MapSiteFolders(const std::vector<Mapping>& shares,
                                    const std::vector<Mapping>& drives) {
  const auto folder = [this](const std::string& rest) {
    std::filesystem::create_directories(Dir(rest));
    return Dir(rest);
  };
  std::string xml = "<configuration>" + Section("SHARES", shares, folder);
  if (!drives.empty()) {
    xml += Section("DRIVES", drives, folder);
  }
  WriteFile(Home() + "/config/SiteConfiguration.xml", xml + "</configuration>");
}

}  // namespace velmora::testing
