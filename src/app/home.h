#pragma once

#include <string>

// The installation home: configuration files, the installation registry record, the working
// folders, and (with the data layer) the database.
namespace velmora::app {

struct InitOptions {
  std::string home;    // absolute path of the home
  std::string db_url;  // "" for the embedded default, sqlite:data/velmora.db
};

struct InitResult {
  bool created = false;  // false: the home existed and its configuration was kept
  std::string home;
  std::string connection_string;  // as configured; a password is not shown
  bool schema_created = false;
  int schema_version = 0;
  int parameters_added = 0;
  int labels_added = 0;
  int templates_added = 0;
};

// The folders of a home, relative to it.
extern const char* const kHomeFolders[];

// Creates the home or completes an existing one: folders that are missing are made, existing
// configuration files and the service token are kept, and the database is created and seeded
// (schema, default parameters, English labels) or completed. Raises an Error with a clear
// description when the home cannot be written or the database cannot be reached.
InitResult InitHome(const InitOptions& options);

// The connection string without its password, for messages.
std::string ShownConnectionString(const std::string& connection_string);

// The home in force: --home, else $VELMORA_HOME, else ./velmora-home, absolute.
std::string ResolveHome(const std::string& home_option);

// A new service token: 64 hexadecimal digits from the system's random source.
std::string NewServiceToken();

}  // namespace velmora::app
