#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The EDI networks (EDINETWORK) as the maintenance adds, changes, lists and removes them. Each
// operation opens its own connection of the installation and closes it on every path;
// database failures raise. The callers check the values.
namespace velmora::edi {

// The columns after NETWORKID; each set member is written, the others keep the stored value
// (the column's default for a new network).
struct EdiNetworkChanges {
  std::optional<int32_t> sequence;
  std::optional<bool> use_semaphore;
  std::optional<std::string> start_file;
  std::optional<std::string> stop_file;
  std::optional<std::string> semaphore;
  std::optional<std::string> root_folder;
  std::optional<std::string> com_folder;
  std::optional<std::string> out_folder;
  std::optional<std::string> in_folder;
  std::optional<int32_t> protocol;
  std::optional<int32_t> ftp_port;
  std::optional<std::string> ftp_user;
  // Already sealed with the installation's key.
  std::optional<std::string> ftp_password;
  std::optional<int32_t> ftp_transfer_type;
  std::optional<std::string> temp_folder;
};

// A row of EDINETWORK: its id and its columns, Null columns nullopt (USESEMAPHORE is always
// set; Null reads as false). The stored FTP password is as stored (sealed).
struct EdiNetworkRow : EdiNetworkChanges {
  std::optional<std::string> id;
};

class EdiNetworkStore {
 public:
  bool Exists(const std::string& id);
  // Adds network `id` with `changes`, in one transaction: a failure leaves no network behind.
  // A taken id raises the database's error.
  void Add(const std::string& id, const EdiNetworkChanges& changes);
  // Writes `changes` to network `id`; false when there is no such network.
  bool Change(const std::string& id, const EdiNetworkChanges& changes);
  std::optional<EdiNetworkRow> Get(const std::string& id);
  // Every network, by sequence and id.
  std::vector<EdiNetworkRow> List();
  // Whether a network was removed.
  bool Remove(const std::string& id);
};

}  // namespace velmora::edi
