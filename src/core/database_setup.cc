#include "core/database_setup.h"

#include <string>
#include <string_view>

#include "core/installation_data.h"
#include "core/labels.h"
#include "platform/db/schema_script.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size()) {
      const char next = field[++i];
      out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    } else {
      out += field[i];
    }
  }
  return out;
}

int AddParameters(db::Connection& connection, const std::string& home) {
  int added = 0;
  for (const auto& row : ReadTsv(embedded::DefaultParameters())) {
    const std::string value = text::ReplaceAll(row.at(1), "{{HOME}}", home);
    const std::string note = row.size() > 2 ? row[2] : std::string();
    auto insert = connection.Prepare(
        "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE, NOTE) SELECT ?, ?, ? "
        "WHERE NOT EXISTS (SELECT 1 FROM COLLABORATIONPARAMETER WHERE PARAMNAME = ?)");
    insert->Bind(1, Variant(row.at(0)));
    insert->Bind(2, Variant(value));
    insert->Bind(3, Variant(note));
    insert->Bind(4, Variant(row.at(0)));
    added += static_cast<int>(insert->Execute());
  }
  return added;
}

int AddLabels(db::Connection& connection) {
  int added = 0;
  auto insert = connection.Prepare(
      "INSERT INTO I18NTEXT (LABEL, LOCALEID, TEXT) SELECT ?, ?, ? "
      "WHERE NOT EXISTS (SELECT 1 FROM I18NTEXT WHERE LABEL = ? AND LOCALEID = ?)");
  for (const auto& row : ReadTsv(embedded::EnglishLabels())) {
    insert->Bind(1, Variant(row.at(0)));
    insert->Bind(2, Variant(kDefaultLanguage));
    insert->Bind(3, Variant(row.at(1)));
    insert->Bind(4, Variant(row.at(0)));
    insert->Bind(5, Variant(kDefaultLanguage));
    added += static_cast<int>(insert->Execute());
  }
  return added;
}

// A template is added only when its type, partner and mode have none.
int AddNotificationTemplates(db::Connection& connection) {
  int added = 0;
  auto insert = connection.Prepare(
      "INSERT INTO NOTIFICATIONTEMPLATE (DOCUMENTTYPEID, BUSINESSPARTNERID, MODE, SUBJECT, BODY, "
      "CCDOC, CCATT) SELECT ?, ?, ?, ?, ?, ?, ? WHERE NOT EXISTS (SELECT 1 FROM "
      "NOTIFICATIONTEMPLATE WHERE DOCUMENTTYPEID = ? AND BUSINESSPARTNERID = ? AND MODE = ?)");
  for (const auto& row : ReadTsv(embedded::DefaultNotificationTemplates())) {
    const Variant type(row.at(0));
    const Variant partner(Variant(row.at(1)).ToInt32());
    const Variant mode(Variant(row.at(2)).ToInt16());
    const std::vector<Variant> values{type,
                                      partner,
                                      mode,
                                      Variant(row.at(3)),
                                      Variant(row.at(4)),
                                      Variant(Variant(row.at(5)).ToInt16()),
                                      Variant(Variant(row.at(6)).ToInt16()),
                                      type,
                                      partner,
                                      mode};
    for (size_t i = 0; i < values.size(); ++i) {
      insert->Bind(static_cast<int32_t>(i + 1), values[i]);
    }
    added += static_cast<int>(insert->Execute());
  }
  return added;
}

}  // namespace

std::vector<std::vector<std::string>> ReadTsv(std::string_view content) {
  std::vector<std::vector<std::string>> rows;
  bool header = true;
  for (const std::string& line : text::Split(content, "\n")) {
    std::string_view trimmed = line;
    if (!trimmed.empty() && trimmed.back() == '\r') {
      trimmed.remove_suffix(1);
    }
    if (header) {
      header = false;
      continue;
    }
    if (trimmed.empty()) {
      continue;
    }
    std::vector<std::string> fields;
    for (const std::string& field : text::Split(trimmed, "\t")) {
      fields.push_back(Unescape(field));
    }
    rows.push_back(std::move(fields));
  }
  return rows;
}

int SchemaVersion(db::Connection& connection) {
  try {
    auto recordset = connection.Query("SELECT MAX(VERSION) AS V FROM SCHEMAVERSION");
    const Variant version = recordset->IsEOF() ? Variant() : recordset->Field("V");
    return version.IsNull() || version.IsEmpty() ? 0 : version.ToInt32();
  } catch (const Error&) {
    return 0;
  }
}

namespace {

// Creates the indexes of the schema script that an existing database lacks, so that a newer
// program's indexes reach installations made before them.
void AddMissingIndexes(db::Connection& connection) {
  for (const std::string& statement :
       db::SplitSchemaScript(embedded::SchemaScript(), connection.engine())) {
    for (std::string_view start : {"CREATE INDEX ", "CREATE UNIQUE INDEX "}) {
      if (statement.rfind(start, 0) == 0) {
        connection.Execute(std::string(start) + "IF NOT EXISTS " + statement.substr(start.size()));
      }
    }
  }
}

}  // namespace

SetupReport SetUpDatabase(db::Connection& connection, const std::string& home) {
  SetupReport report;
  report.schema_version = SchemaVersion(connection);
  if (report.schema_version == 0) {
    db::RunSchemaScript(connection, embedded::SchemaScript());
    report.schema_created = true;
    report.schema_version = SchemaVersion(connection);
  }
  if (report.schema_version > kSchemaVersion) {
    throw Error(kErrInvalidProcedureCall, "velmora init",
                "The database has schema version " + std::to_string(report.schema_version) +
                    ", newer than this program's " + std::to_string(kSchemaVersion));
  }
  if (!report.schema_created) {
    AddMissingIndexes(connection);
  }
  connection.Begin();
  try {
    report.parameters_added = AddParameters(connection, home);
    report.labels_added = AddLabels(connection);
    report.templates_added = AddNotificationTemplates(connection);
    connection.Commit();
  } catch (...) {
    connection.Rollback();
    throw;
  }
  return report;
}

}  // namespace velmora::core
