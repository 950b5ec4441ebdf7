// Runs the velmora program as a user would: init on a fresh and an existing home, call with
// exit codes, bad usage.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "support/temp_home.h"

namespace velmora::app {
namespace {

using testing::ReadFile;
using testing::TempHome;

struct Outcome {
  int exit_code = -1;
  std::string output;
};

Outcome RunVelmora(const std::string& arguments) {
  const std::string command = std::string(VELMORA_PROGRAM) + " " + arguments + " 2>&1";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return outcome;
  }
  std::array<char, 4096> buffer{};
  while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) {
    outcome.output.append(buffer.data(), n);
  }
  const int status = pclose(pipe);
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string TokenOf(const std::string& home) {
  const std::string site = ReadFile(home + "/config/SiteConfiguration.xml");
  const std::string marker = "<key name=\"Token\">";
  const size_t start = site.find(marker);
  if (start == std::string::npos) {
    return {};
  }
  return site.substr(start + marker.size(), 64);
}

TEST(VelmoraProgramTest, InitCreatesAHomeAndKeepsItOnTheSecondRun) {
  TempHome scratch;
  const std::string home = scratch.path() + "/home";
  const Outcome first = RunVelmora("--home " + home + " init");
  ASSERT_EQ(first.exit_code, 0) << first.output;
  EXPECT_NE(first.output.find("Created installation at " + home), std::string::npos);
  for (const char* folder :
       {"config", "data", "log", "xsl/html", "plugins", "folders/import", "folders/pickup",
        "folders/error", "folders/attachments", "folders/mail-pickup"}) {
    EXPECT_TRUE(std::filesystem::is_directory(home + "/" + folder)) << folder;
  }
  const std::string token = TokenOf(home);
  EXPECT_EQ(token.size(), 64u);
  EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(ReadFile(home + "/config/registry.xml").find("installdir=\"" + home + "\""),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home + "/log/velmora.log"))
      << "a fresh installation logs no error: " << ReadFile(home + "/log/velmora.log");

  const Outcome second = RunVelmora("--home " + home + " init");
  ASSERT_EQ(second.exit_code, 0) << second.output;
  EXPECT_NE(second.output.find("Completed existing installation"), std::string::npos);
  EXPECT_EQ(TokenOf(home), token) << "a second init must keep the service token";
}

TEST(VelmoraProgramTest, InitReportsAHomeThatCannotBeCreated) {
  TempHome scratch;
  testing::WriteFile(scratch.path() + "/blocker", "a file");
  const Outcome outcome = RunVelmora("--home " + scratch.path() + "/blocker/home init");
  EXPECT_NE(outcome.exit_code, 0);
  EXPECT_NE(outcome.output.find("Cannot create the installation home"), std::string::npos)
      << outcome.output;
}

TEST(VelmoraProgramTest, CallPrintsJsonAndExitsOneOnError) {
  TempHome scratch;
  ASSERT_EQ(RunVelmora("--home " + scratch.path() + " init").exit_code, 0);
  const Outcome unknown = RunVelmora("--home " + scratch.path() + " call Velmora.Nope Run 1 -2");
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_EQ(unknown.output,
            "{\"error\":{\"number\":429,\"source\":\"Velmora.Nope\",\"description\":\"Cannot "
            "create component 'Velmora.Nope'\"},\"args\":[1,-2]}\n");
  const Outcome method =
      RunVelmora("--home " + scratch.path() + " call Velmora.EnumsConstantsGlobalVars Count");
  EXPECT_EQ(method.exit_code, 1);
  EXPECT_NE(method.output.find("\"number\":438"), std::string::npos);
}

TEST(VelmoraProgramTest, BadUsageAndHelp) {
  EXPECT_EQ(RunVelmora("").exit_code, 2);
  EXPECT_EQ(RunVelmora("frobnicate").exit_code, 2);
  EXPECT_EQ(RunVelmora("call OnlyProgId").exit_code, 2);
  const Outcome help = RunVelmora("--help");
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.output.find("serve"), std::string::npos);
  const Outcome version = RunVelmora("version");
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.output, "velmora 0.1.0\n");
  EXPECT_EQ(RunVelmora("serve --listen nonsense").exit_code, 2);
}

TEST(VelmoraProgramTest, ServeRefusesAHomeWithoutConfiguration) {
  TempHome scratch;
  const Outcome outcome =
      RunVelmora("--home " + scratch.path() + "/empty serve --listen 127.0.0.1:0 --allow-root");
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_NE(outcome.output.find("velmora serve:"), std::string::npos) << outcome.output;
}

TEST(VelmoraProgramTest, ServeRefusesToRunAsRootUnlessAllowed) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "runs only as root";
  }
  TempHome scratch;
  ASSERT_EQ(RunVelmora("--home " + scratch.path() + " init").exit_code, 0);
  const Outcome outcome = RunVelmora("--home " + scratch.path() + " serve --listen 127.0.0.1:0");
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_NE(outcome.output.find("--allow-root"), std::string::npos) << outcome.output;
}

}  // namespace
}  // namespace velmora::app
