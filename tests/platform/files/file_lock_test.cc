#include "platform/files/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::files {
namespace {

using testing::TempFolder;

// Whether a child process (a separate holder, as a second `velmora run` would be) gets the lock.
bool OtherProcessGets(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(TryLockFile(path) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLockTest, HeldLockRefusesOthersUntilReleased) {
  TempFolder temp;
  const std::string path = temp.path() + "/job.lock";
  {
    auto held = TryLockFile(path);
    ASSERT_NE(held, nullptr);
    EXPECT_FALSE(OtherProcessGets(path));
    EXPECT_EQ(TryLockFile(path), nullptr) << "a second holder in the same process is refused too";
  }
  EXPECT_TRUE(OtherProcessGets(path));
  EXPECT_NE(TryLockFile(path), nullptr);
}

TEST(FileLockTest, MissingFolderRaises) {
  TempFolder temp;
  EXPECT_THROW(TryLockFile(temp.path() + "/missing/job.lock"), Error);
}

}  // namespace
}  // namespace velmora::files
