// `velmora run` end to end on a fresh installation: a sample order dropped into the import
// folder is published by one run of the folder import.
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/admin_program_test.h"

namespace velmora::app {
namespace {

class RunCommandTest : public AdminProgramTest {
 protected:
  Outcome Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--home", home_, "run"});
    return RunVelmora(arguments);
  }
};

TEST_P(RunCommandTest, PublishesASampleOrderDroppedIntoTheImportFolder) {
  Init();
  for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
           {"partner", "add", "10", "Acme"},
           {"partner", "add", "20", "Brix"},
           {"user", "add", "sam", "--partner", "10", "--email", "sam@acme.test"},
           {"user", "add", "rita", "--partner", "20", "--email", "rita@brix.test"},
           {"user", "add", "ron", "--partner", "20", "--email", "ron@brix.test"},
           {"doctype", "add", "ORDERS", "Purchase orders"},
           {"senderlist", "add", "ORDERS", "sam"},
           {"param", "set", "XMLPath1", home_ + "/folders/import/"}}) {
    Ok(command);
  }
  const fs::path dropped = fs::path(home_) / "folders/import/order.xml";
  fs::copy_file(fs::path(VELMORA_EXAMPLES) / "documents/order.xml", dropped);
  fs::last_write_time(dropped, fs::file_time_type::clock::now() - std::chrono::minutes(1));

  const Outcome outcome = Run({"document-import", "--json"});
  ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
  const Variant report = json::Parse(outcome.output);
  EXPECT_EQ(Field(report, "job").ToText(), "document-import");
  for (const auto& [key, count] : std::vector<std::pair<std::string, int32_t>>{
           {"found", 1}, {"published", 1}, {"refused", 0}, {"moved", 0}, {"left", 0}}) {
    EXPECT_EQ(Field(report, key).ToInt32(), count) << key << "\n" << outcome.output;
  }
  EXPECT_FALSE(fs::exists(dropped));
  auto database = ProgramDatabase();
  auto rows = database->Query("SELECT SENDER FROM DOCUMENT");
  ASSERT_FALSE(rows->IsEOF());
  EXPECT_EQ(rows->Field("SENDER").ToText(), "sam");
}

TEST_P(RunCommandTest, RefusesAnUnknownJobAndABadInterval) {
  for (const auto& [arguments, message] :
       std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"mop-floors"}, "unknown job 'mop-floors'"},
           {{"document-import", "--every", "0"}, "--every needs a whole number of seconds"},
           {{"document-import", "--every", "1m"}, "not '1m'"}}) {
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.exit_code, 2) << outcome.output;
    EXPECT_TRUE(testing::Contains(outcome.output, message)) << outcome.output;
  }
}

// With --every the program runs until SIGTERM and then exits 0 after the run in hand; on a
// fresh installation every job runs without further set-up.
TEST_P(RunCommandTest, EveryRunsEachJobUntilTerminated) {
  Init();
  for (const std::string job : {"document-import", "email-import", "edi"}) {
    const std::string out = home_ + "/" + job + ".out";
    const std::string script = std::string(VELMORA_PROGRAM) + " --home " + ShellQuoted(home_) +
                               " run " + job + " --every 1 --json >" + ShellQuoted(out) +
                               " 2>&1 & pid=$!; " + "for i in $(seq 600); do [ -s " +
                               ShellQuoted(out) + " ] && break; sleep 0.1; done; " +
                               "kill -TERM $pid; wait $pid; echo \"exit=$?\"";
    FILE* pipe = popen(script.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string status;
    std::array<char, 256> buffer{};
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) {
      status.append(buffer.data(), n);
    }
    pclose(pipe);
    EXPECT_EQ(status, "exit=0\n") << job;
    std::ifstream lines(out);
    std::string first;
    ASSERT_TRUE(std::getline(lines, first)) << job;
    const Variant report = json::Parse(first);
    EXPECT_EQ(Field(report, "job").ToText(), job);
    EXPECT_FALSE(Field(report, "skipped").ToBool()) << first;
  }
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(RunCommandTest);

}  // namespace
}  // namespace velmora::app
