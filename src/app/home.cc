#include "app/home.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "core/database_setup.h"
#include "platform/host/configuration.h"
#include "platform/host/installation_registry.h"
#include "platform/host/secret_box.h"
#include "platform/host/xml_file.h"
#include "velmora/base/error.h"
#include "velmora/db/connection.h"

namespace velmora::app {
namespace {

namespace fs = std::filesystem;
using host::XmlElement;

constexpr const char* kVersion = "0.1.0";

XmlElement Key(const std::string& name, const std::string& value) {
  return XmlElement{"key", {{"name", name}}, value, {}};
}

XmlElement Section(const std::string& name, std::vector<XmlElement> keys) {
  return XmlElement{"section", {{"name", name}}, {}, std::move(keys)};
}

XmlElement B2BConfiguration(const std::string& connection_string) {
  return XmlElement{"configuration",
                    {},
                    {},
                    {Section("GLOBAL", {Key("B2BLogging", "0"),
                                        Key("ReceiveUrl", "http://127.0.0.1:8080/receive"),
                                        Key("ShowCountNewDocuments", "1")}),
                     XmlElement{"connection", {{"application", "Velmora"}}, connection_string, {}},
                     XmlElement{"application", {{"name", "Velmora"}, {"id", "1"}}, {}, {}}}};
}

XmlElement SiteConfiguration(const std::string& home) {
  return XmlElement{
      "configuration",
      {},
      {},
      {Section("GLOBAL",
               {Key("IISVirtId", "1"), Key("NONSECUREHOSTNAME", "localhost:8080"),
                Key("SECUREHOSTNAME", "localhost:8443"), Key("APPLICATIONDIRECTORY", "velmora")}),
       Section("COMMONPARAMETERS", {Key("SSLMODE", "none")}),
       Section("MEMBERSHIP",
               {Key("MemScriptUser", "velmora-service"), Key("MemScriptCode", NewServiceToken())}),
       Section("SERVICE", {Key("Token", NewServiceToken())}),
       Section("MAIL", {Key("Service", "pickup:" + home + "/folders/mail-pickup")}),
       Section("SHARES", {}), Section("DRIVES", {}), Section("MAILBOXES", {})}};
}

void WriteIfMissing(const fs::path& path, const XmlElement& content) {
  if (!fs::exists(path)) {
    host::WriteXmlFile(path.string(), content);
  }
}

// The home is private: its folders 0700, the files of config/, data/ and log/ 0600, also in a
// home made before it was.
void MakePrivate(const fs::path& home) {
  constexpr fs::perms kFolder = fs::perms::owner_all;
  constexpr fs::perms kFile = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(home, kFolder);
  for (const char* const* folder = kHomeFolders; *folder != nullptr; ++folder) {
    for (fs::path step = home / *folder; step != home; step = step.parent_path()) {
      fs::permissions(step, kFolder);
    }
  }
  for (const char* folder : {"config", "data", "log"}) {
    for (const fs::directory_entry& entry : fs::directory_iterator(home / folder)) {
      if (entry.is_regular_file()) {
        fs::permissions(entry.path(), kFile);
      }
    }
  }
}

}  // namespace

const char* const kHomeFolders[] = {"config",
                                    "data",
                                    "log",
                                    "xsl/transform",
                                    "xsl/html",
                                    "plugins",
                                    "templates/excel",
                                    "folders/import",
                                    "folders/pickup",
                                    "folders/error",
                                    "folders/upload",
                                    "folders/attachments",
                                    "folders/temp",
                                    "folders/excel-temp",
                                    "folders/obi",
                                    "folders/edi",
                                    "folders/mail-pickup",
                                    nullptr};

std::string ShownConnectionString(const std::string& connection_string) {
  const size_t scheme = connection_string.find("://");
  const size_t at = connection_string.find('@');
  if (scheme == std::string::npos || at == std::string::npos || at < scheme) {
    return connection_string;
  }
  const size_t colon = connection_string.find(':', scheme + 3);
  if (colon == std::string::npos || colon > at) {
    return connection_string;
  }
  return connection_string.substr(0, colon + 1) + "***" + connection_string.substr(at);
}

std::string ResolveHome(const std::string& home_option) {
  if (!home_option.empty()) {
    return fs::absolute(home_option).lexically_normal().string();
  }
  return host::DefaultHome();
}

std::string NewServiceToken() {
  std::random_device device;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 16; ++i) {
    uint32_t word = device();
    for (int k = 0; k < 4; ++k) {
      token += kDigits[word & 0xF];
      word >>= 4;
    }
  }
  return token;
}

InitResult InitHome(const InitOptions& options) {
  InitResult result;
  result.home = options.home;
  const fs::path home(options.home);
  const fs::path b2b_file = home / "config" / "R2AVidodeConfiguration.xml";
  result.created = !fs::exists(b2b_file);
  try {
    for (const char* const* folder = kHomeFolders; *folder != nullptr; ++folder) {
      fs::create_directories(home / *folder);
    }
  } catch (const fs::filesystem_error& failure) {
    throw Error(
        kErrPermissionDenied, "velmora init",
        "Cannot create the installation home '" + options.home + "': " + failure.code().message());
  }
  WriteIfMissing(b2b_file,
                 B2BConfiguration(options.db_url.empty() ? std::string("sqlite:data/velmora.db")
                                                         : options.db_url));
  WriteIfMissing(home / "config" / "SiteConfiguration.xml", SiteConfiguration(options.home));
  host::EnsureKeyFile(host::KeyFilePath((home / "config").string()));
  host::WriteRegistryRecord(
      host::RegistryPath(options.home),
      host::ProductInfo{"R2AVidode", options.home, (home / "config").string(), kVersion});

  auto configuration = host::NewXmlConfiguration();
  configuration->LoadFile(b2b_file.string());
  const std::string connection_string = configuration->GetConnectionString("Velmora");
  if (!options.db_url.empty() && options.db_url != connection_string) {
    throw Error(kErrInvalidProcedureCall, "velmora init",
                "The installation already uses the database " +
                    ShownConnectionString(connection_string) + "; change it in " +
                    b2b_file.string() + " rather than with --db");
  }
  result.connection_string = ShownConnectionString(connection_string);
  db::OpenOptions open_options;
  open_options.base_folder = home;
  open_options.create_if_missing = true;
  open_options.pool_max_idle = 0;
  std::unique_ptr<db::Connection> connection = db::OpenConnection(connection_string, open_options);
  const core::SetupReport report = core::SetUpDatabase(*connection, options.home);
  connection->Close();
  MakePrivate(home);
  result.schema_created = report.schema_created;
  result.schema_version = report.schema_version;
  result.parameters_added = report.parameters_added;
  result.labels_added = report.labels_added;
  result.templates_added = report.templates_added;
  return result;
}

}  // namespace velmora::app
