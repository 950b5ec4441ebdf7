#include "app/admin_edinetwork.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "core/secrets.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"

namespace velmora::app {
namespace {

// The columns of EDINETWORK after NETWORKID, each with its option; unset options keep the
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

// The width of EDINETWORK.FTPPASSWORD.
constexpr size_t kFtpPasswordWidth = 255;

// The (column, value) pairs that the options given set.
std::vector<std::pair<std::string, Variant>> Assignments(const NetworkOptions& o) {
  std::vector<std::pair<std::string, Variant>> set;
  const auto text_column = [&](const char* column, const std::optional<std::string>& value) {
    if (value) {
      set.emplace_back(column, Variant(*value));
    }
  };
  if (o.sequence) {
    set.emplace_back("SEQUENCE", Variant(WholeNumber("--sequence", *o.sequence)));
  }
  if (o.use_semaphore) {
    set.emplace_back("USESEMAPHORE", Variant(Choice("--use-semaphore", *o.use_semaphore,
                                                    {{"yes", int16_t{1}}, {"no", int16_t{0}}})));
  }
  text_column("STARTFILE", o.start_file);
  text_column("STOPFILE", o.stop_file);
  text_column("SEMAPHORE", o.semaphore);
  text_column("ROOTFOLDER", o.root_folder);
  text_column("COMFOLDER", o.com_folder);
  text_column("OUTFOLDER", o.out_folder);
  text_column("INFOLDER", o.in_folder);
  if (o.protocol) {
    set.emplace_back("PROTOCOL", Variant(Choice("--protocol", *o.protocol,
                                                {{"folder", int16_t{30}}, {"ftp", int16_t{40}}})));
  }
  if (o.ftp_port) {
    const int32_t port = WholeNumber("--ftp-port", *o.ftp_port);
    if (port < 0 || port > 65535) {
      BadInput("--ftp-port must be a port number from 0 to 65535");
    }
    set.emplace_back("FTPPORT", Variant(port));
  }
  text_column("FTPUSERID", o.ftp_user);
  if (o.ftp_password) {
    // Kept sealed with the installation's key, as send-method passwords are.
    core::CheckSecretFits(*o.ftp_password, kFtpPasswordWidth, "an EDI network",
                          "velmora admin edinetwork");
    set.emplace_back("FTPPASSWORD",
                     Variant(core::SealSecret(*o.ftp_password, "velmora admin edinetwork")));
  }
  if (o.ftp_type) {
    set.emplace_back(
        "FTPTRANSFERTYPE",
        Variant(static_cast<int32_t>(
            Choice("--ftp-type", *o.ftp_type, {{"ascii", int16_t{10}}, {"binary", int16_t{20}}}))));
  }
  text_column("TEMPFOLDER", o.temp_folder);
  return set;
}

bool NetworkExists(const std::string& id) {
  return Exists("SELECT NETWORKID FROM EDINETWORK WHERE NETWORKID = ?", {Variant(id)});
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

Variant NetworkRecord(const db::Recordset& row) {
  const Variant password = TextOf(row, "FTPPASSWORD");
  const bool hidden = !password.IsNull() && !password.ToText().empty();
  return Record({{"id", TextOf(row, "NETWORKID")},
                 {"sequence", NumberOf(row, "SEQUENCE")},
                 {"useSemaphore", Flag(row, "USESEMAPHORE")},
                 {"startFile", TextOf(row, "STARTFILE")},
                 {"stopFile", TextOf(row, "STOPFILE")},
                 {"semaphore", TextOf(row, "SEMAPHORE")},
                 {"rootFolder", TextOf(row, "ROOTFOLDER")},
                 {"comFolder", TextOf(row, "COMFOLDER")},
                 {"outFolder", TextOf(row, "OUTFOLDER")},
                 {"inFolder", TextOf(row, "INFOLDER")},
                 {"protocol", NumberOf(row, "PROTOCOL")},
                 {"ftpPort", NumberOf(row, "FTPPORT")},
                 {"ftpUser", TextOf(row, "FTPUSERID")},
                 {"ftpPassword", hidden ? Variant(std::string(kHidden)) : password},
                 {"ftpTransferType", NumberOf(row, "FTPTRANSFERTYPE")},
                 {"tempFolder", TextOf(row, "TEMPFOLDER")}});
}

Variant Networks(const std::string& id) {
  const std::string sql = "SELECT * FROM EDINETWORK";
  return id.empty() ? Rows(sql + " ORDER BY SEQUENCE, NETWORKID", {}, NetworkRecord)
                    : Rows(sql + " WHERE NETWORKID = ?", {Variant(id)}, NetworkRecord);
}

void Update(const std::string& id, const std::vector<std::pair<std::string, Variant>>& set) {
  if (set.empty()) {
    return;
  }
  std::string sql = "UPDATE EDINETWORK SET ";
  std::vector<Variant> values;
  for (const auto& [column, value] : set) {
    sql += (values.empty() ? "" : ", ") + column + " = ?";
    values.push_back(value);
  }
  values.emplace_back(id);
  Execute(sql + " WHERE NETWORKID = ?", values);
}

void AddAddAndSet(cli::Command& group, const CommandRunner& runner, const Options& o) {
  cli::Command& add = group.Add("add", "Add an EDI network");
  add.Positional("id", o->id, "Network id", true);
  AddOptions(add, o);
  runner.OnRun(
      add,
      [o] {
        RequireText("The network id", o->id, 50);
        const auto set = Assignments(*o);
        if (NetworkExists(o->id)) {
          BadInput("The EDI network '" + o->id + "' exists already");
        }
        Execute("INSERT INTO EDINETWORK (NETWORKID) VALUES (?)", {Variant(o->id)});
        Update(o->id, set);
        return Networks(o->id).AsArray().values().front();
      },
      [o](const Variant&) { return "Added EDI network " + o->id + "\n"; });

  cli::Command& set = group.Add("set", "Change an EDI network");
  set.Positional("id", o->id, "Network id", true);
  AddOptions(set, o);
  runner.OnRun(
      set,
      [o] {
        const auto assignments = Assignments(*o);
        if (!NetworkExists(o->id)) {
          Missing("The EDI network '" + o->id + "' does not exist");
        }
        Update(o->id, assignments);
        return Networks(o->id).AsArray().values().front();
      },
      [o](const Variant&) { return "Changed EDI network " + o->id + "\n"; });
}

void AddListAndRemove(cli::Command& group, const CommandRunner& runner, const Options& o) {
  runner.AddList(
      group, "List the EDI networks", [] { return Networks(""); },
      {"id", "sequence", "protocol", "rootFolder", "tempFolder", "ftpUser", "ftpPassword"});
  cli::Command& remove = group.Add("remove", "Remove an EDI network");
  remove.Positional("id", o->id, "Network id", true);
  runner.OnRun(
      remove,
      [o] {
        if (Execute("DELETE FROM EDINETWORK WHERE NETWORKID = ?", {Variant(o->id)}) == 0) {
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
