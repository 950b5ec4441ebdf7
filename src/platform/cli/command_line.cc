#include "platform/cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <deque>

namespace velmora::cli {
namespace {

// `arguments` are the words of the command line after the program name, as given; they are
// filled in before parsing.
class Cli11Command : public Command {
 public:
  Cli11Command(CLI::App* app, const std::vector<std::string>& arguments)
      : app_(app), arguments_(arguments) {}

  Command& Add(const std::string& name, const std::string& description) override {
    children_.emplace_back(app_->add_subcommand(name, description), arguments_);
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
  // The parser reads a word in brackets given to a list ("[1,2]", "[]") as several values, or
  // none. The words themselves are taken instead: after the first positional argument every
  // word is positional, so the list's words are the last ones of the command line, one per
  // time the parser handed a word to the list.
  void Rest(const std::string& name, std::vector<std::string>& target,
            const std::string& description) override {
    rest_option_ = app_->add_option(name, parsed_rest_, description);
    rest_target_ = &target;
    app_->positionals_at_end();
  }
  void OnRun(std::function<int()> run) override {
    app_->callback([this, run = std::move(run)] {
      TakeRestAsGiven();
      exit_code_ = run();
    });
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
  void TakeRestAsGiven() {
    if (rest_target_ == nullptr) {
      return;
    }
    const auto& order = app_->parse_order();
    const auto words = static_cast<size_t>(std::count(order.begin(), order.end(), rest_option_));
    rest_target_->assign(arguments_.end() - static_cast<std::ptrdiff_t>(words), arguments_.end());
  }

  CLI::App* app_;
  const std::vector<std::string>& arguments_;
  std::deque<Cli11Command> children_;
  std::optional<int> exit_code_;
  CLI::Option* rest_option_ = nullptr;
  std::vector<std::string> parsed_rest_;
  std::vector<std::string>* rest_target_ = nullptr;
};

class Cli11CommandLine : public CommandLine {
 public:
  Cli11CommandLine(const std::string& name, const std::string& description)
      : app_(description, name), root_(&app_, arguments_) {}

  Command& Root() override { return root_; }

  int Run(int argc, char** argv) override {
    arguments_.assign(argv + std::min(argc, 1), argv + argc);
    try {
      app_.parse(argc, argv);
    } catch (const CLI::ParseError& failure) {
      return app_.exit(failure) == 0 ? 0 : 2;
    }
    return root_.ExitCode().value_or(0);
  }

 private:
  std::vector<std::string> arguments_;
  CLI::App app_;
  Cli11Command root_;
};

}  // namespace

std::unique_ptr<CommandLine> NewCommandLine(const std::string& name,
                                            const std::string& description) {
  return std::make_unique<Cli11CommandLine>(name, description);
}

}  // namespace velmora::cli
