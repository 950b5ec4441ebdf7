#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "velmora/db/connection.h"

// Creating and seeding an installation's database: the schema, the default parameters, the
// English label texts and the default notification templates (type "-1": partner -1 for the
// sender's and the recipients' mails, partner -2 for the copy mail). Running it again adds only
// what is missing and never changes a value an administrator has set.
namespace velmora::core {

inline constexpr int kSchemaVersion = 1;

struct SetupReport {
  bool schema_created = false;
  int schema_version = 0;
  int parameters_added = 0;
  int labels_added = 0;
  int templates_added = 0;
};

SetupReport SetUpDatabase(db::Connection& connection, const std::string& home);

// The schema version recorded in SCHEMAVERSION, or 0 when the schema is absent.
int SchemaVersion(db::Connection& connection);

// Tab-separated rows after the header line; fields unescaped ("\n", "\t", "\\").
std::vector<std::vector<std::string>> ReadTsv(std::string_view content);

}  // namespace velmora::core
