#include "core/job_lock.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/env.h"
#include "platform/host/installation_registry.h"
#include "velmora/base/error.h"

namespace velmora::core {

std::unique_ptr<files::FileLock> TryLockJob(std::string_view job) {
  const std::string folder = host::InstallationHome(CurrentEnv().home) + "/run";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    throw Error(kErrPathNotFound, "Velmora.Files",
                "Cannot create '" + folder + "': " + std::strerror(errno));
  }
  return files::TryLockFile(folder + "/" + std::string(job) + ".lock");
}

}  // namespace velmora::core
