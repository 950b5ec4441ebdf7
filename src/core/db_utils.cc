#include "core/db_utils.h"

#include "core/general.h"
#include "core/sql_literals.h"
#include "platform/host/configuration.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

// The data-access layer's default command time-out.
constexpr int kDefaultTimeoutSeconds = 30;

thread_local std::string connection_string;
thread_local std::string base_folder;

std::unique_ptr<db::Connection> Open(int timeout_seconds) {
  if (text::TrimView(connection_string).empty()) {
    LoadConnectionString();
  }
  return db::OpenConnection(connection_string, LibraryOpenOptions(timeout_seconds));
}

}  // namespace

db::OpenOptions LibraryOpenOptions(int statement_timeout_seconds) {
  db::OpenOptions options;
  options.base_folder = base_folder;
  options.statement_timeout_seconds = statement_timeout_seconds;
  options.on_translate = [](std::string_view original, std::string_view translated) {
    Trace("DBUtils", Variant("Statement translated: " + std::string(original) + " => " +
                             std::string(translated)));
  };
  return options;
}

std::string LoadConnectionString() {
  if (connection_string.empty()) {
    try {
      auto configuration = GetComponent<host::Configuration>("Tarvex.Configuration");
      if (!configuration) {
        throw Error(kErrObjectRequired, "Tarvex.Configuration",
                    "The configuration component could not be created");
      }
      configuration->LoadFile(GetB2BConfigFile());
      connection_string = configuration->GetConnectionString("Velmora");
      base_folder = getInstallDir();
    } catch (...) {
      LogError("DBUtils.GetConnection",
               Variant("Couldn't get the connection string from the Tarvex dll. Trying the "
                       "default connectionstring."));
      connection_string.clear();
    }
  }
  return connection_string;
}

void ForgetConnectionString() {
  connection_string.clear();
  base_folder.clear();
}

std::unique_ptr<db::Connection> GetConnection() {
  try {
    return Open(kDefaultTimeoutSeconds);
  } catch (...) {
    ReportError("DBUtils.GetConnection");
  }
  return nullptr;
}

std::unique_ptr<db::Connection> GetConnectionWithODBCTimeoutIs(int32_t timeout) {
  try {
    return Open(timeout);
  } catch (...) {
    ReportError("DBUtils.GetConnectionWithODBCTimeoutIs");
  }
  return nullptr;
}

std::string GetParameter(const std::string& name) {
  std::unique_ptr<db::Connection> connection;
  std::unique_ptr<db::Recordset> recordset;
  try {
    connection = GetConnection();
    recordset = connection->Query(
        "SELECT PARAMVALUE FROM COLLABORATIONPARAMETER WHERE PARAMNAME = " + SqlText(name));
    if (recordset->IsEOF()) {
      RaiseError(EnumerationErrors::MissingParameter, "DBUtils.GetParameter",
                 "Couldn't get the parameter '" + name + "' from the database.");
    }
    std::string value = text::Trim(recordset->Field("PARAMVALUE").ToText());
    recordset->Close();
    recordset.reset();
    CloseConnection(connection);
    return value;
  } catch (...) {
    recordset.reset();
    CloseConnection(connection);
    ReportError("DBUtils.GetParameter");
  }
  return {};
}

std::unique_ptr<db::Recordset> getDisconnectedReadOnlyRecordSet(const std::string& sql) {
  std::unique_ptr<db::Connection> connection;
  try {
    connection = GetConnection();
    std::unique_ptr<db::Recordset> recordset = connection->QueryDisconnected(sql);
    CloseConnection(connection);
    return recordset;
  } catch (...) {
    CloseConnection(connection);
    ReportError("Velmora.DBUtils.getDisconnectedReadOnlyRecordSet", Variant(sql));
  }
  return nullptr;
}

std::optional<Variant> FirstField(const std::string& sql, std::string_view column) {
  std::unique_ptr<db::Connection> connection = GetConnection();
  try {
    auto recordset = connection->Query(sql);
    std::optional<Variant> value;
    if (!recordset->IsEOF()) {
      value = recordset->Field(column);
    }
    recordset.reset();
    CloseConnection(connection);
    return value;
  } catch (...) {
    CloseConnection(connection);
    throw;
  }
}

void CloseRecordset(std::unique_ptr<db::Recordset>& recordset) {
  try {
    if (recordset && recordset->IsOpen()) {
      recordset->Close();
    }
    recordset.reset();
  } catch (...) {
    recordset.reset();
    ReportError("Velmora.DBUtils.CloseRecordset");
  }
}

}  // namespace velmora::core
