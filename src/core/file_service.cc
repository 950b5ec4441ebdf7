#include "core/file_service.h"

#include <cstdio>
#include <cstdlib>

#include "core/db_utils.h"
#include "core/env.h"
#include "core/general.h"
#include "platform/files/native_path.h"
#include "platform/host/xml_file.h"
#include "velmora/base/error.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"

namespace velmora::core {

files::PathMaps ReadSitePathMaps() {
  files::PathMaps maps;
  const std::string site_config = getSiteConfigFile();
  if (site_config.empty()) {
    return maps;
  }
  // The configuration component answers single keys only; share names compare without regard
  // to case, so the two sections are read whole from the same file.
  const host::XmlElement root = host::ReadXmlFile(files::ToNativePath(site_config));
  for (const host::XmlElement& section : root.children) {
    if (section.name != "section") {
      continue;
    }
    const std::string name = section.Attribute("name");
    auto* target = name == "SHARES" ? &maps.shares : name == "DRIVES" ? &maps.drives : nullptr;
    if (target == nullptr) {
      continue;
    }
    for (const host::XmlElement& key : section.children) {
      if (key.name == "key") {
        target->emplace_back(key.Attribute("name"), text::Trim(key.text));
      }
    }
  }
  return maps;
}

namespace {

// Whether parameter `name` names a folder: it ends in Folder, Path, Dir or XMLPath<n>.
bool IsFolderParameter(const std::string& name) {
  std::string_view rest = name;
  while (!rest.empty() && rest.back() >= '0' && rest.back() <= '9') {
    rest.remove_suffix(1);
  }
  return text::IEndsWith(rest, "Folder") || text::IEndsWith(rest, "Path") ||
         text::IEndsWith(rest, "Dir");
}

void AddParameterFolders(std::vector<std::string>& roots, files::PathResolver& resolver) {
  std::unique_ptr<db::Connection> connection = GetConnection();
  auto rows = connection->Query("SELECT PARAMNAME, PARAMVALUE FROM COLLABORATIONPARAMETER");
  for (; !rows->IsEOF(); rows->MoveNext()) {
    const Variant name = rows->Field("PARAMNAME");
    const Variant value = rows->Field("PARAMVALUE");
    const std::string folder = value.IsNull() ? std::string() : text::Trim(value.ToText());
    if (name.IsNull() || folder.empty() || !IsFolderParameter(name.ToText()) ||
        text::IStartsWith(folder, "http:") || text::IStartsWith(folder, "https:")) {
      continue;
    }
    try {
      roots.push_back(resolver.ToNative(folder));
    } catch (const Error&) {
      // A folder on a share or drive without a mapping cannot be used, so it adds nothing.
    }
  }
  rows->Close();
  CloseConnection(connection);
}

// The trimmed, non-empty values of every section `name` of the site configuration.
std::vector<std::string> SiteSectionValues(const std::string& name) {
  std::vector<std::string> values;
  const std::string site_config = getSiteConfigFile();
  if (site_config.empty()) {
    return values;
  }
  const host::XmlElement root = host::ReadXmlFile(files::ToNativePath(site_config));
  for (const host::XmlElement& section : root.children) {
    if (section.name == "section" && section.Attribute("name") == name) {
      for (const host::XmlElement& key : section.children) {
        if (key.name == "key" && !text::Trim(key.text).empty()) {
          values.push_back(text::Trim(key.text));
        }
      }
    }
  }
  return values;
}

}  // namespace

std::vector<std::string> InstallationRoots() {
  files::PathResolver resolver(&ReadSitePathMaps);
  std::vector<std::string> roots = {files::ToNativePath(getInstallDir()), TempFolderPath()};
  const files::PathMaps maps = ReadSitePathMaps();
  for (const auto* map : {&maps.shares, &maps.drives}) {
    for (const auto& [key, folder] : *map) {
      roots.push_back(files::ToNativePath(folder));
    }
  }
  AddParameterFolders(roots, resolver);
  for (const std::string& folder : SiteSectionValues("ALLOWEDROOTS")) {
    roots.push_back(files::ToNativePath(folder));
  }
  return roots;
}

std::vector<std::string> ConfiguredHosts() { return SiteSectionValues("ALLOWEDHOSTS"); }

files::PathResolver NewSitePathResolver() {
  files::PathResolver resolver(&ReadSitePathMaps);
  if (const auto& roots = CurrentEnv().allowed_roots) {
    resolver.ConfineTo(*roots);
  }
  return resolver;
}

std::unique_ptr<files::FileSystem> NewSiteFileSystem() { return CurrentEnv().NewFileSystem(); }

std::unique_ptr<files::FileSystem> NewLocalSiteFileSystem() {
  return files::NewLocalFileSystem(NewSitePathResolver());
}

ObjectRef NewSiteRemoteFile() {
  return files::NewMountedShareFile(NewSitePathResolver(),
                                    []() -> mail::Transport& { return CurrentEnv().Mail(); });
}

std::shared_ptr<files::RemoteFile> GetRemoteFile(const std::string& path) {
  auto component = GetComponent<files::RemoteFile>(files::RemoteFile::kProgId);
  if (!component) {
    throw Error(kErrObjectRequired, path,
                std::string("Object required: ") + files::RemoteFile::kProgId);
  }
  return component;
}

std::string NewTempFileName() {
  const GuidBytes guid = CurrentGuidSource().NewGuid();
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02X%02X%01X", guid[0], guid[1], guid[2] >> 4);
  return std::string("rad") + digits + ".tmp";
}

std::string TempFolderPath() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string folder = tmpdir != nullptr ? text::Trim(tmpdir) : std::string();
  while (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  return folder.empty() ? std::string("/tmp") : folder;
}

}  // namespace velmora::core
