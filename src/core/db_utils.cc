#include "core/db_utils.h"

#include "core/connection_factory.h"
#include "core/env.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/lookup_scope.h"
#include "core/sql_literals.h"
#include "platform/host/configuration.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

// The data-access layer's default command time-out.
constexpr int kDefaultTimeoutSeconds = 30;

}  // namespace

db::OpenOptions LibraryOpenOptions(int statement_timeout_seconds) {
  db::OpenOptions options;
  options.statement_timeout_seconds = statement_timeout_seconds;
  options.on_translate = [](std::string_view original, std::string_view translated) {
    Trace("DBUtils", Variant("Statement translated: " + std::string(original) + " => " +
                             std::string(translated)));
  };
  return options;
}

void ForgetConnectionString() { ForgetConfiguredDatabase(); }

std::unique_ptr<db::Connection> GetConnection() {
  return Guarded("DBUtils.GetConnection",
                 [] { return CurrentEnv().Databases()->Open(kDefaultTimeoutSeconds); });
}

std::unique_ptr<db::Connection> GetConnectionWithODBCTimeoutIs(int32_t timeout) {
  return Guarded("DBUtils.GetConnectionWithODBCTimeoutIs",
                 [&] { return CurrentEnv().Databases()->Open(timeout); });
}

std::string GetParameter(const std::string& name) {
  return Guarded("DBUtils.GetParameter", [&] {
    return Remembered("parameter", name, [&] {
      auto connection = GetConnection();
      auto recordset = connection->Query(
          "SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = " + SqlText(name));
      if (recordset->IsEOF()) {
        RaiseError(EnumerationErrors::MissingParameter, "DBUtils.GetParameter",
                   "Couldn't get the parameter '" + name + "' from the database.");
      }
      return text::Trim(recordset->Field("PARAMVALUE").ToText());
    });
  });
}

std::unique_ptr<db::Recordset> getDisconnectedReadOnlyRecordSet(const std::string& sql) {
  return Guarded(
      "Velmora.DBUtils.getDisconnectedReadOnlyRecordSet",
      [&] { return GetConnection()->QueryDisconnected(sql); }, [&] { return Variant(sql); });
}

std::unique_ptr<db::Recordset> getDisconnectedReadOnlyRecordSet(
    const std::string& sql, const std::vector<Variant>& params) {
  return Guarded(
      "Velmora.DBUtils.getDisconnectedReadOnlyRecordSet",
      [&] {
        const auto connection = GetConnection();
        auto rows = connection->Query(sql, params);
        rows->Disconnect();
        return rows;
      },
      [&] { return Variant(sql); });
}

std::optional<Variant> FirstField(const std::string& sql, std::string_view column) {
  auto connection = GetConnection();
  auto recordset = connection->Query(sql);
  if (recordset->IsEOF()) {
    return std::nullopt;
  }
  return recordset->Field(column);
}

bool HasRow(const std::string& sql) {
  auto connection = GetConnection();
  return !connection->Query(sql)->IsEOF();
}

void CloseRecordset(std::unique_ptr<db::Recordset>& recordset) {
  std::unique_ptr<db::Recordset> closing = std::move(recordset);
  Guarded("Velmora.DBUtils.CloseRecordset", [&] {
    if (closing && closing->IsOpen()) {
      closing->Close();
    }
  });
}

}  // namespace velmora::core
