#include "app/admin_edinetwork.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "convert/edi_network_store.h"
#include "core/secrets.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/convert/edi.h"
#include "velmora/delivery/send_method.h"

namespace velmora::app {
namespace {

// The settings of a network after its id, each with its option; unset options keep the
// stored value.
struct NetworkOptions {
  bool json = false;
  std::string id;
  std::optional<std::string> sequence;
  std::optional<std::string> use_semaphore;
  std::optional<std::string> start_file;
  std::optional<std::string> stop_file;
  std::optional<std::string> semaphore;
  std::optional<std::string> root_folder;
  std::optional<std::string> com_folder;
  std::optional<std::string> out_folder;
  std::optional<std::string> in_folder;
  std::optional<std::string> protocol;
  std::optional<std::string> ftp_port;
  std::optional<std::string> ftp_user;
  std::optional<std::string> ftp_password;
  std::optional<std::string> ftp_type;
  std::optional<std::string> temp_folder;
};

using Options = std::shared_ptr<NetworkOptions>;
using CommandRunner = AdminCommandRunner<NetworkOptions>;

constexpr const char* kHidden = "********";

int32_t WholeNumber(const std::string& what, const std::string& value) {
  int64_t number = 0;
  if (!text::ParseInt64(value, number) || number < INT32_MIN || number > INT32_MAX) {
    BadInput(what + " must be a whole number, not '" + value + "'");
  }
  return static_cast<int32_t>(number);
}

int16_t Choice(const std::string& what, const std::string& value,
               const std::vector<std::pair<std::string, int16_t>>& words) {
  std::string choices;
  for (const auto& [word, number] : words) {
    if (text::IEquals(value, word)) {
      return number;
    }
    choices += (choices.empty() ? "" : ", ") + word;
  }
  BadInput(what + " must be one of " + choices + ", not '" + value + "'");
}

// The width of the stored FTP password.
constexpr size_t kFtpPasswordWidth = 255;

constexpr int16_t Number(ESendMethodProtocol protocol) { return static_cast<int16_t>(protocol); }
constexpr int16_t Number(ESendMethodFTPTransferType type) { return static_cast<int16_t>(type); }

// What the options given change.
edi::EdiNetworkChanges Changes(const NetworkOptions& o) {
  edi::EdiNetworkChanges changes;
  if (o.sequence) {
    changes.sequence = WholeNumber("--sequence", *o.sequence);
  }
  if (o.use_semaphore) {
    changes.use_semaphore =
        Choice("--use-semaphore", *o.use_semaphore, {{"yes", int16_t{1}}, {"no", int16_t{0}}}) != 0;
  }
  changes.start_file = o.start_file;
  changes.stop_file = o.stop_file;
  changes.semaphore = o.semaphore;
  changes.root_folder = o.root_folder;
  changes.com_folder = o.com_folder;
  changes.out_folder = o.out_folder;
  changes.in_folder = o.in_folder;
  if (o.protocol) {
    changes.protocol = Choice("--protocol", *o.protocol,
                              {{"folder", Number(ESendMethodProtocol::FilePath)},
                               {"ftp", Number(ESendMethodProtocol::Ftp)}});
  }
  if (o.ftp_port) {
    const int32_t port = WholeNumber("--ftp-port", *o.ftp_port);
    if (port < 0 || port > 65535) {
      BadInput("--ftp-port must be a port number from 0 to 65535");
    }
    changes.ftp_port = port;
  }
  changes.ftp_user = o.ftp_user;
  if (o.ftp_password) {
    // Kept sealed with the installation's key, as send-method passwords are.
    core::CheckSecretFits(*o.ftp_password, kFtpPasswordWidth, "an EDI network",
                          "velmora admin edinetwork");
    changes.ftp_password = core::SealSecret(*o.ftp_password, "velmora admin edinetwork");
  }
  if (o.ftp_type) {
    changes.ftp_transfer_type = Choice("--ftp-type", *o.ftp_type,
                                       {{"ascii", Number(ESendMethodFTPTransferType::ASCII)},
                                        {"binary", Number(ESendMethodFTPTransferType::Binary)}});
  }
  changes.temp_folder = o.temp_folder;
  return changes;
}

void AddOptions(cli::Command& command, const Options& o) {
  command.Option("--sequence", o->sequence, "Order in which the EDI run processes the network");
  command.Option("--use-semaphore", o->use_semaphore, "yes or no: semaphore handshake");
  command.Option("--start-file", o->start_file, "Start marker file name");
  command.Option("--stop-file", o->stop_file, "Stop marker file name");
  command.Option("--semaphore", o->semaphore, "Semaphore marker file name");
  command.Option("--root-folder", o->root_folder, "Root folder, or ftp://server/folder");
  command.Option("--com-folder", o->com_folder, "Command folder under the root");
  command.Option("--out-folder", o->out_folder, "Outgoing folder under the root");
  command.Option("--in-folder", o->in_folder, "Incoming folder under the root");
  command.Option("--protocol", o->protocol, "folder or ftp");
  command.Option("--ftp-port", o->ftp_port, "FTP port");
  command.Option("--ftp-user", o->ftp_user, "FTP account");
  command.Option("--ftp-password", o->ftp_password, "FTP password");
  command.Option("--ftp-type", o->ftp_type, "ascii or binary FTP transfers");
  command.Option("--temp-folder", o->temp_folder,
                 "Local working folder (messages are dropped here)");
}

Variant NetworkRecord(const edi::EdiNetworkRow& row) {
  const bool hidden = row.ftp_password && !row.ftp_password->empty();
  return Record({{"id", OrNull(row.id)},
                 {"sequence", OrNull(row.sequence)},
                 {"useSemaphore", Variant(row.use_semaphore.value_or(false))},
                 {"startFile", OrNull(row.start_file)},
                 {"stopFile", OrNull(row.stop_file)},
                 {"semaphore", OrNull(row.semaphore)},
                 {"rootFolder", OrNull(row.root_folder)},
                 {"comFolder", OrNull(row.com_folder)},
                 {"outFolder", OrNull(row.out_folder)},
                 {"inFolder", OrNull(row.in_folder)},
                 {"protocol", OrNull(row.protocol)},
                 {"ftpPort", OrNull(row.ftp_port)},
                 {"ftpUser", OrNull(row.ftp_user)},
                 {"ftpPassword", hidden ? Variant(std::string(kHidden)) : OrNull(row.ftp_password)},
                 {"ftpTransferType", OrNull(row.ftp_transfer_type)},
                 {"tempFolder", OrNull(row.temp_folder)}});
}

void AddAddAndSet(cli::Command& group, const CommandRunner& runner, const Options& o) {
  cli::Command& add = group.Add("add", "Add an EDI network");
  add.Positional("id", o->id, "Network id", true);
  AddOptions(add, o);
  runner.OnRun(
      add,
      [o] {
        RequireText("The network id", o->id, 50);
        const edi::EdiNetworkChanges changes = Changes(*o);
        edi::EdiNetworkStore store;
        if (store.Exists(o->id)) {
          BadInput("The EDI network '" + o->id + "' exists already");
        }
        store.Add(o->id, changes);
        return NetworkRecord(*store.Get(o->id));
      },
      [o](const Variant&) { return "Added EDI network " + o->id + "\n"; });

  cli::Command& set = group.Add("set", "Change an EDI network");
  set.Positional("id", o->id, "Network id", true);
  AddOptions(set, o);
  runner.OnRun(
      set,
      [o] {
        const edi::EdiNetworkChanges changes = Changes(*o);
        edi::EdiNetworkStore store;
        if (!store.Change(o->id, changes)) {
          Missing("The EDI network '" + o->id + "' does not exist");
        }
        return NetworkRecord(*store.Get(o->id));
      },
      [o](const Variant&) { return "Changed EDI network " + o->id + "\n"; });
}

void AddListAndRemove(cli::Command& group, const CommandRunner& runner, const Options& o) {
  runner.AddList(
      group, "List the EDI networks",
      [] { return ListOf(edi::EdiNetworkStore().List(), NetworkRecord); },
      {"id", "sequence", "protocol", "rootFolder", "tempFolder", "ftpUser", "ftpPassword"});
  cli::Command& remove = group.Add("remove", "Remove an EDI network");
  remove.Positional("id", o->id, "Network id", true);
  runner.OnRun(
      remove,
      [o] {
        // A network that EDI send methods still name stays: they would send into nothing.
        if (!EDI().checkEdiReferences(o->id).empty()) {
          RaiseError(
              EnumerationErrors::ReferentialDelete, "velmora admin",
              "The EDI network '" + o->id + "' cannot be removed: send methods still use it");
        }
        if (!edi::EdiNetworkStore().Remove(o->id)) {
          Missing("The EDI network '" + o->id + "' does not exist");
        }
        return Variant(o->id);
      },
      [o](const Variant&) { return "Removed EDI network " + o->id + "\n"; });
}

}  // namespace

void AddEdiNetworkCommands(cli::Command& admin, const AdminOptions& options,
                           const std::function<void()>& use_home) {
  auto mine = std::make_shared<NetworkOptions>();
  const CommandRunner runner(options, use_home, mine);
  cli::Command& group = admin.Add("edinetwork", "EDI networks the EDI send methods drop into");
  group.RequireSubcommand();
  AddAddAndSet(group, runner, mine);
  AddListAndRemove(group, runner, mine);
}

}  // namespace velmora::app
