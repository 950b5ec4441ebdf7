#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/cli/command_line.h"
#include "velmora/base/variant.h"

// `velmora admin ...`: maintains what the portal's administration pages maintain and the
// library only reads. Every command takes --json for machine-readable output and exits non-zero
// with a clear message on bad input.
namespace velmora::app {

struct AdminOptions {
  bool json = false;
  std::string name;
  std::string value;
  std::string code;
  int locale = 0;
  std::string text;
};

// Adds the admin commands under `admin`; `use_home` runs before each command.
void AddAdminCommands(cli::Command& admin, AdminOptions& options,
                      const std::function<void()>& use_home);

// How RunAdminCommand prints a failure's description on standard error.
enum class ErrorText { kAsRaised, kTrimmed };

// Runs the body of one admin command and returns the exit code: 0 after printing its result on
// standard output (as JSON when `json`, else as `plain(result)`); 1 when it raises, after
// printing {"error": {"number", "source", "description"}} on standard output (`json`) or
// `program` (the command's name, "velmora admin" for the admin commands), ": " and the
// description on standard error.
int RunAdminCommand(bool json, const std::function<Variant()>& body,
                    const std::function<std::string(const Variant&)>& plain,
                    ErrorText error_text = ErrorText::kAsRaised,
                    const std::string& program = "velmora admin");

}  // namespace velmora::app
