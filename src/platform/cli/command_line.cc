#include "platform/cli/command_line.h"

#include <CLI/CLI.hpp>
#include <deque>

namespace velmora::cli {
namespace {

class Cli11Command : public Command {
 public:
  explicit Cli11Command(CLI::App* app) : app_(app) {}

  Command& Add(const std::string& name, const std::string& description) override {
    children_.emplace_back(app_->add_subcommand(name, description));
    return children_.back();
  }
  void Option(const std::string& flags, std::string& target,
              const std::string& description) override {
    app_->add_option(flags, target, description);
  }
  void Option(const std::string& flags, int& target, const std::string& description) override {
    app_->add_option(flags, target, description);
  }
  void Option(const std::string& flags, std::vector<std::string>& target,
              const std::string& description) override {
    app_->add_option(flags, target, description);
  }
  void Option(const std::string& flags, std::optional<std::string>& target,
              const std::string& description) override {
    app_->add_option_function<std::string>(
        flags, [&target](const std::string& value) { target = value; }, description);
  }
  void Repeated(const std::string& flags, std::vector<std::string>& target,
                const std::string& description) override {
    app_->add_option(flags, target, description)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  }
  void Flag(const std::string& flags, bool& target, const std::string& description) override {
    app_->add_flag(flags, target, description);
  }
  void Positional(const std::string& name, std::string& target, const std::string& description,
                  bool required) override {
    auto* option = app_->add_option(name, target, description);
    if (required) {
      option->required();
    }
  }
  void Rest(const std::string& name, std::vector<std::string>& target,
            const std::string& description) override {
    app_->add_option(name, target, description);
    app_->positionals_at_end();
  }
  void OnRun(std::function<int()> run) override {
    app_->callback([this, run = std::move(run)] { exit_code_ = run(); });
  }
  void RequireSubcommand() override { app_->require_subcommand(1); }

  std::optional<int> ExitCode() const {
    if (exit_code_) {
      return exit_code_;
    }
    for (const Cli11Command& child : children_) {
      if (auto code = child.ExitCode()) {
        return code;
      }
    }
    return std::nullopt;
  }

 private:
  CLI::App* app_;
  std::deque<Cli11Command> children_;
  std::optional<int> exit_code_;
};

class Cli11CommandLine : public CommandLine {
 public:
  Cli11CommandLine(const std::string& name, const std::string& description)
      : app_(description, name), root_(&app_) {}

  Command& Root() override { return root_; }

  int Run(int argc, char** argv) override {
    try {
      app_.parse(argc, argv);
    } catch (const CLI::ParseError& failure) {
      return app_.exit(failure) == 0 ? 0 : 2;
    }
    return root_.ExitCode().value_or(0);
  }

 private:
  CLI::App app_;
  Cli11Command root_;
};

}  // namespace

std::unique_ptr<CommandLine> NewCommandLine(const std::string& name,
                                            const std::string& description) {
  return std::make_unique<Cli11CommandLine>(name, description);
}

}  // namespace velmora::cli
