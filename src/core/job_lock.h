#pragma once

#include <memory>
#include <string_view>

#include "platform/files/file_lock.h"

namespace velmora::core {

// The lock that keeps two runs of one scheduled job of an installation from overlapping:
// "<home>/run/<job>.lock" (the folder is created when missing). nullptr when another run
// holds it. `job` is a plain name such as "email-import". Raises when the lock file cannot be
// made.
std::unique_ptr<files::FileLock> TryLockJob(std::string_view job);

}  // namespace velmora::core
