#include "core/file_service.h"

#include <cstdio>
#include <cstdlib>

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

files::PathResolver NewSitePathResolver() { return files::PathResolver(&ReadSitePathMaps); }

std::unique_ptr<files::FileSystem> NewSiteFileSystem() {
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
