#include "convert/edi_network_store.h"

#include <utility>

#include "core/bound_sql.h"

namespace velmora::edi {
namespace {

// The (column, value) pairs that `changes` sets, in the order of the columns.
std::vector<std::pair<const char*, Variant>> Assignments(const EdiNetworkChanges& changes) {
  std::vector<std::pair<const char*, Variant>> set;
  const auto column = [&set](const char* name, const auto& value) {
    if (value) {
      set.emplace_back(name, Variant(*value));
    }
  };
  column("SEQUENCE", changes.sequence);
  if (changes.use_semaphore) {
    set.emplace_back("USESEMAPHORE", Variant(static_cast<int16_t>(*changes.use_semaphore ? 1 : 0)));
  }
  column("STARTFILE", changes.start_file);
  column("STOPFILE", changes.stop_file);
  column("SEMAPHORE", changes.semaphore);
  column("ROOTFOLDER", changes.root_folder);
  column("COMFOLDER", changes.com_folder);
  column("OUTFOLDER", changes.out_folder);
  column("INFOLDER", changes.in_folder);
  if (changes.protocol) {
    set.emplace_back("PROTOCOL", Variant(static_cast<int16_t>(*changes.protocol)));
  }
  column("FTPPORT", changes.ftp_port);
  column("FTPUSERID", changes.ftp_user);
  column("FTPPASSWORD", changes.ftp_password);
  column("FTPTRANSFERTYPE", changes.ftp_transfer_type);
  column("TEMPFOLDER", changes.temp_folder);
  return set;
}

// Writes `changes` to network `id` on `connection`; returns the rows changed (1 when there is
// nothing to write and the network exists).
int64_t Write(db::Connection& connection, const std::string& id, const EdiNetworkChanges& changes) {
  const auto set = Assignments(changes);
  if (set.empty()) {
    return core::AnyRow(connection, "SELECT NETWORKID FROM EDINETWORK WHERE NETWORKID = ?",
                        {Variant(id)})
               ? 1
               : 0;
  }
  std::string sql = "UPDATE EDINETWORK SET ";
  std::vector<Variant> values;
  for (const auto& [column, value] : set) {
    sql += std::string(values.empty() ? "" : ", ") + column + " = ?";
    values.push_back(value);
  }
  values.emplace_back(id);
  return core::ExecuteBound(connection, sql + " WHERE NETWORKID = ?", values);
}

EdiNetworkRow ReadRow(const db::Recordset& row) {
  EdiNetworkRow network;
  network.id = core::OptionalText(row, "NETWORKID");
  network.sequence = core::OptionalNumber(row, "SEQUENCE");
  network.use_semaphore = core::IsSet(row, "USESEMAPHORE");
  network.start_file = core::OptionalText(row, "STARTFILE");
  network.stop_file = core::OptionalText(row, "STOPFILE");
  network.semaphore = core::OptionalText(row, "SEMAPHORE");
  network.root_folder = core::OptionalText(row, "ROOTFOLDER");
  network.com_folder = core::OptionalText(row, "COMFOLDER");
  network.out_folder = core::OptionalText(row, "OUTFOLDER");
  network.in_folder = core::OptionalText(row, "INFOLDER");
  network.protocol = core::OptionalNumber(row, "PROTOCOL");
  network.ftp_port = core::OptionalNumber(row, "FTPPORT");
  network.ftp_user = core::OptionalText(row, "FTPUSERID");
  network.ftp_password = core::OptionalText(row, "FTPPASSWORD");
  network.ftp_transfer_type = core::OptionalNumber(row, "FTPTRANSFERTYPE");
  network.temp_folder = core::OptionalText(row, "TEMPFOLDER");
  return network;
}

}  // namespace

bool EdiNetworkStore::Exists(const std::string& id) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::AnyRow(connection, "SELECT NETWORKID FROM EDINETWORK WHERE NETWORKID = ?",
                        {Variant(id)});
  });
}

void EdiNetworkStore::Add(const std::string& id, const EdiNetworkChanges& changes) {
  core::InOneTransaction([&](db::Connection& connection) {
    core::ExecuteBound(connection, "INSERT INTO EDINETWORK (NETWORKID) VALUES (?)", {Variant(id)});
    Write(connection, id, changes);
  });
}

bool EdiNetworkStore::Change(const std::string& id, const EdiNetworkChanges& changes) {
  return core::OnConnection(
      [&](db::Connection& connection) { return Write(connection, id, changes) > 0; });
}

std::optional<EdiNetworkRow> EdiNetworkStore::Get(const std::string& id) {
  std::vector<EdiNetworkRow> rows = core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(connection, "SELECT * FROM EDINETWORK WHERE NETWORKID = ?", {Variant(id)},
                          ReadRow);
  });
  return rows.empty() ? std::nullopt : std::optional<EdiNetworkRow>(rows.front());
}

std::vector<EdiNetworkRow> EdiNetworkStore::List() {
  return core::OnConnection([](db::Connection& connection) {
    return core::ReadRows(connection, "SELECT * FROM EDINETWORK ORDER BY SEQUENCE, NETWORKID", {},
                          ReadRow);
  });
}

bool EdiNetworkStore::Remove(const std::string& id) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ExecuteBound(connection, "DELETE FROM EDINETWORK WHERE NETWORKID = ?",
                              {Variant(id)}) > 0;
  });
}

}  // namespace velmora::edi
