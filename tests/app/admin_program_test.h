#pragma once

// The velmora program run as a user would run it, for the tests of its admin commands: a fresh
// installation per test (the embedded database on SQLite, the test's database on PostgreSQL).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/json/json_codec.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "velmora/base/dictionary.h"
#include "velmora/db/connection.h"

namespace velmora::app {

namespace fs = std::filesystem;

struct Outcome {
  int exit_code = -1;
  std::string output;  // standard output and standard error
};

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

// Runs velmora with `arguments`; `input` becomes its standard input.
inline Outcome RunVelmora(const std::vector<std::string>& arguments,
                          const std::string& input = {}) {
  std::string command = "printf '%s' " + ShellQuoted(input) + " | " + VELMORA_PROGRAM;
  for (const std::string& argument : arguments) {
    command += " " + ShellQuoted(argument);
  }
  command += " 2>&1";
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

// The program's installations live in folders of their own; the in-process tests keep the
// installation home of LibraryDbTest.
class AdminProgramTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    std::random_device random;
    scratch_ = fs::temp_directory_path() / ("velmora-admin-" + std::to_string(random()));
    fs::create_directories(scratch_);
    home_ = (scratch_ / "home").string();
  }

  void TearDown() override {
    if (!scratch_.empty()) {
      std::error_code ignored;
      fs::remove_all(scratch_, ignored);
    }
    LibraryDbTest::TearDown();
  }

  // `velmora --home <home> init`: the embedded database on SQLite, the test's database on
  // PostgreSQL.
  void Init() {
    std::vector<std::string> arguments = {"--home", home_, "init"};
    if (!IsSqlite()) {
      arguments.insert(arguments.end(), {"--db", database().connection_string()});
    }
    const Outcome outcome = RunVelmora(arguments);
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
  }

  Outcome Admin(std::vector<std::string> arguments, const std::string& input = {}) {
    arguments.insert(arguments.begin(), {"--home", home_, "admin"});
    return RunVelmora(arguments, input);
  }

  // Runs an admin command that must succeed.
  std::string Ok(const std::vector<std::string>& arguments, const std::string& input = {}) {
    const Outcome outcome = Admin(arguments, input);
    EXPECT_EQ(outcome.exit_code, 0) << ::testing::PrintToString(arguments) << "\n"
                                    << outcome.output;
    return outcome.output;
  }

  // Runs an admin command that must fail with exit code 1 and a message containing `message`.
  void Refused(const std::vector<std::string>& arguments, const std::string& message,
               const std::string& input = {}) {
    const Outcome outcome = Admin(arguments, input);
    EXPECT_EQ(outcome.exit_code, 1) << ::testing::PrintToString(arguments) << "\n"
                                    << outcome.output;
    EXPECT_TRUE(testing::Contains(outcome.output, "velmora admin: "))
        << ::testing::PrintToString(arguments) << "\n"
        << outcome.output;
    EXPECT_TRUE(testing::Contains(outcome.output, message))
        << ::testing::PrintToString(arguments) << "\nexpected: " << message << "\n"
        << outcome.output;
  }

  // The JSON a command printed, as variants.
  Variant Json(const std::vector<std::string>& arguments) { return json::Parse(Ok(arguments)); }

  // A connection to the program's database.
  std::unique_ptr<db::Connection> ProgramDatabase() {
    if (!IsSqlite()) {
      return Open();
    }
    return db::OpenConnection("sqlite:" + home_ + "/data/velmora.db");
  }

  static Variant Field(const Variant& record, const std::string& name) {
    return record.As<Dictionary>()->Item(name);
  }

  fs::path scratch_;
  std::string home_;
};

}  // namespace velmora::app
