#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The command-line grammar of the velmora program: nested commands with options, flags and
// positional arguments, generated help, and clear messages for bad usage.
namespace velmora::cli {

class Command {
 public:
  virtual ~Command() = default;

  // A sub-command; the returned reference lives as long as the CommandLine.
  virtual Command& Add(const std::string& name, const std::string& description) = 0;
  virtual void Option(const std::string& flags, std::string& target,
                      const std::string& description) = 0;
  virtual void Option(const std::string& flags, int& target, const std::string& description) = 0;
  virtual void Option(const std::string& flags, std::vector<std::string>& target,
                      const std::string& description) = 0;
  // An option whose absence is visible: `target` holds a value only when the option was given
  // (possibly an empty one).
  virtual void Option(const std::string& flags, std::optional<std::string>& target,
                      const std::string& description) = 0;
  // An option that may be repeated, one value each time ("--app A --app B"); the values are
  // appended to `target` in order.
  virtual void Repeated(const std::string& flags, std::vector<std::string>& target,
                        const std::string& description) = 0;
  virtual void Flag(const std::string& flags, bool& target, const std::string& description) = 0;
  virtual void Positional(const std::string& name, std::string& target,
                          const std::string& description, bool required) = 0;
  // Every remaining argument, each word exactly as given (words in brackets such as "[1,2]"
  // or "[]" included): after the first positional argument, words that start with "-" ("-1")
  // are arguments too.
  virtual void Rest(const std::string& name, std::vector<std::string>& target,
                    const std::string& description) = 0;
  // Runs when this command is the one chosen; returns the exit code.
  virtual void OnRun(std::function<int()> run) = 0;
  // A sub-command must be chosen.
  virtual void RequireSubcommand() = 0;
};

class CommandLine {
 public:
  virtual ~CommandLine() = default;
  virtual Command& Root() = 0;
  // Parses and runs the chosen command. Help and usage errors are printed here (help to
  // standard output with exit code 0, errors to standard error with exit code 2).
  virtual int Run(int argc, char** argv) = 0;
};

std::unique_ptr<CommandLine> NewCommandLine(const std::string& name,
                                            const std::string& description);

}  // namespace velmora::cli
