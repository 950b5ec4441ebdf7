#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/admin.h"
#include "platform/cli/command_line.h"
#include "velmora/base/variant.h"

// What the admin commands share: --json (their own or the one of `admin`), the switch to the
// installation home before a command runs, the outcome printed by RunAdminCommand, and plain
// tables for listings.
namespace velmora::app {

// Bad input to an admin command (exit 1 with the description).
[[noreturn]] void BadInput(const std::string& description);
// A record the command names does not exist (NotPresent).
[[noreturn]] void Missing(const std::string& description);
// A positive 32-bit id written in decimal; `what` names it in the message.
int32_t ParseId(const std::string& what, const std::string& value);
// A dictionary of the given entries, in order: one record of a command's JSON output.
Variant Record(std::initializer_list<std::pair<std::string, Variant>> entries);

// `value` as a Variant; nullopt is Null.
template <class T>
Variant OrNull(const std::optional<T>& value) {
  return value ? Variant(*value) : Variant::MakeNull();
}

// The JSON form of a list of records: an array of what `to_variant` makes of each.
template <class Row, class ToVariant>
Variant ListOf(const std::vector<Row>& rows, ToVariant to_variant) {
  VariantArray array(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    array.At(static_cast<int32_t>(i)) = to_variant(rows[i]);
  }
  return Variant(std::move(array));
}

// A header line and one tab-separated line per row of `list` (an array of dictionaries, the
// JSON form, so that both show the same fields); arrays print comma-separated, Booleans as
// yes/no, Null as nothing.
std::string Table(const Variant& list, const std::vector<std::string>& columns);

// Runs the commands of one group. `Options` is the group's option struct with a `json` flag;
// one struct serves every command of the group, since one command runs per process.
template <class Options>
class AdminCommandRunner {
 public:
  AdminCommandRunner(const AdminOptions& admin_options, std::function<void()> use_home,
                     std::shared_ptr<Options> options)
      : admin_options_(admin_options),
        use_home_(std::move(use_home)),
        options_(std::move(options)) {}

  // Adds --json to `command`, after the options added so far, and runs `body` when the command
  // is chosen; `plain` gives the text printed without --json.
  void OnRun(cli::Command& command, std::function<Variant()> body,
             std::function<std::string(const Variant&)> plain) const {
    command.Flag("--json", options_->json, "Machine-readable output");
    command.OnRun([&admin_options = admin_options_, use_home = use_home_, o = options_,
                   body = std::move(body), plain = std::move(plain)] {
      use_home();
      return RunAdminCommand(admin_options.json || o->json, body, plain, ErrorText::kTrimmed);
    });
  }

  // A "list" command under `parent` that prints `list()`, or its table of `columns`.
  void AddList(cli::Command& parent, const std::string& description, std::function<Variant()> list,
               std::vector<std::string> columns) const {
    OnRun(parent.Add("list", description), std::move(list),
          [columns = std::move(columns)](const Variant& rows) { return Table(rows, columns); });
  }

  const std::shared_ptr<Options>& options() const { return options_; }

 private:
  const AdminOptions& admin_options_;
  std::function<void()> use_home_;
  std::shared_ptr<Options> options_;
};

}  // namespace velmora::app
