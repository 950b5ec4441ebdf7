#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/fixed_sources.h"
#include "support/library_db_test.h"
#include "support/temp_folder.h"

namespace velmora::testing {

// Library operations on files: a LibraryDbTest with a folder of its own (removed at the end),
// into which the site configuration maps shares and drives, and a clock that stands still at
// `clock_.now` until the test moves it.
class SiteFolderTest : public LibraryDbTest {
 protected:
  explicit SiteFolderTest(DateTime now) : clock_(now) {}

  void SetUpDatabase() override;
  void TearDown() override;

  // A path inside the test's folder.
  std::string Dir(const std::string& rest) const { return folder_->path() + "/" + rest; }

  // A share ("\\server\share") or a drive ("D:") and the folder of Dir() it maps to.
  using Mapping = std::pair<std::string, std::string>;
  // Writes the site configuration with `shares` and `drives`, creating their folders.
  void MapSiteFolders(const std::vector<Mapping>& shares, const std::vector<Mapping>& drives = {});

  std::unique_ptr<TempFolder> folder_;
  FixedClock clock_;
  ScopedClock scoped_clock_{clock_};
};

}  // namespace velmora::testing
