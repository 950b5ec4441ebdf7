#include "platform/sheet/soffice_process.h"

#include <fcntl.h>
#include <rtl/digest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/sheet/uno_support.h"
#include "velmora/base/error.h"
#include "velmora/sheet/workbook.h"

extern char** environ;

namespace velmora::sheet {
namespace {

constexpr const char* kSource = "Velmora.Sheet";

// Registry settings of the private profile: no lock files or system locks on documents (the
// library decides who writes a file), no recovery data, no first-start wizard, macros never run,
// and an English (US) locale so that numbers typed as text are read the same way everywhere.
constexpr const char* kRegistry = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentSystemFileLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentOOoLockFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>3</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooLocale" oor:op="fuse"><value>en-US</value></prop></item>
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>en-US</value></prop></item>
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="ooSetupInstCompleted" oor:op="fuse"><value>true</value></prop></item>
</oor:items>
)";

std::atomic<int> process_counter{0};

[[noreturn]] void RaiseUnavailable(const std::string& what, int error_number) {
  throw Error(kErrEngineUnavailable, kSource,
              "Cannot start the office process: " + what + ": " + std::strerror(error_number));
}

// The environment of the parent with TZ=UTC and the office's own variables replaced.
std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text(*entry);
    if (text.rfind("TZ=", 0) == 0 || text.rfind("SAL_USE_VCLPLUGIN=", 0) == 0) {
      continue;
    }
    entries.push_back(text);
  }
  entries.push_back("TZ=UTC");
  entries.push_back("SAL_USE_VCLPLUGIN=svp");
  return entries;
}

// Frees posix_spawn's attribute objects on every path.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// The office leaves its named pipes behind as socket files in /tmp when it is killed: the one it
// accepts connections on and the one of its single-instance check, named after an MD5 digest of
// the profile's URL in UTF-16 (each byte in hexadecimal without leading zeros).
std::string PipeFile(const std::string& name) {
  return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + name;
}

std::string InstancePipeName(const std::string& profile_url) {
  const rtl::OUString url = ToUno(profile_url);
  sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
  rtl_digest_MD5(url.getStr(), static_cast<sal_uInt32>(url.getLength() * sizeof(sal_Unicode)),
                 digest, sizeof(digest));
  std::string name = "SingleOfficeIPC_";
  char hex[4];
  for (const sal_uInt8 byte : digest) {
    std::snprintf(hex, sizeof(hex), "%x", byte);
    name += hex;
  }
  return name;
}

}  // namespace

SofficeProcess::SofficeProcess(const std::string& program_folder, const std::string& work_folder)
    : program_folder_(program_folder) {
  const int number = ++process_counter;
  const std::string tag = std::to_string(getpid()) + "-" + std::to_string(number);
  pipe_name_ = "velmora-office-" + tag;
  profile_folder_ = work_folder + "/velmora-office-" + tag;
  std::error_code failure;
  std::filesystem::remove_all(profile_folder_, failure);
  std::filesystem::create_directories(profile_folder_ + "/user", failure);
  if (failure) {
    RaiseUnavailable("profile folder " + profile_folder_, failure.value());
  }
  std::ofstream registry(profile_folder_ + "/user/registrymodifications.xcu", std::ios::binary);
  registry << kRegistry;
  registry.close();
  if (!registry) {
    RaiseUnavailable("profile registry in " + profile_folder_, errno);
  }
  Spawn();
}

SofficeProcess::~SofficeProcess() {
  Stop(std::chrono::seconds(5));
  std::error_code ignored;
  std::filesystem::remove_all(profile_folder_, ignored);
  unlink(PipeFile(pipe_name_).c_str());
  unlink(PipeFile(InstancePipeName(ProfileUrl())).c_str());
}

std::string SofficeProcess::ProfileUrl() const { return FromUno(FileUrl(profile_folder_)); }

std::string SofficeProcess::PipeText() const { return "pipe,name=" + pipe_name_; }

void SofficeProcess::Spawn() {
  const std::string program = program_folder_ + "/soffice.bin";
  std::vector<std::string> arguments = {
      program,
      "--headless",
      "--invisible",
      "--norestore",
      "--nologo",
      "--nodefault",
      "--nolockcheck",
      "--nofirststartwizard",
      "--accept=" + PipeText() + ";urp;StarOffice.ComponentContext",
      "-env:UserInstallation=" + ProfileUrl(),
  };
  std::vector<std::string> environment = ChildEnvironment();
  std::vector<char*> argv;
  for (auto& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& entry : environment) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);

  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&setup.actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
  sigset_t no_signals;
  sigemptyset(&no_signals);
  sigset_t default_signals;
  sigemptyset(&default_signals);
  sigaddset(&default_signals, SIGPIPE);
  sigaddset(&default_signals, SIGTERM);
  sigaddset(&default_signals, SIGINT);
  sigaddset(&default_signals, SIGCHLD);
  posix_spawnattr_setsigmask(&setup.attributes, &no_signals);
  posix_spawnattr_setsigdefault(&setup.attributes, &default_signals);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  const int result = posix_spawn(&pid_, program.c_str(), &setup.actions, &setup.attributes,
                                 argv.data(), envp.data());
  if (result != 0) {
    pid_ = -1;
    RaiseUnavailable(program, result);
  }
  exited_ = false;
}

bool SofficeProcess::HasExited() {
  if (exited_ || pid_ <= 0) {
    return true;
  }
  int status = 0;
  const pid_t reaped = waitpid(pid_, &status, WNOHANG);
  if (reaped == pid_ || (reaped < 0 && errno == ECHILD)) {
    exited_ = true;
    wait_status_ = status;
  }
  return exited_;
}

void SofficeProcess::Stop(std::chrono::milliseconds grace) {
  if (HasExited()) {
    return;
  }
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + grace;
  while (!HasExited() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!HasExited()) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    wait_status_ = status;
  }
}

}  // namespace velmora::sheet
