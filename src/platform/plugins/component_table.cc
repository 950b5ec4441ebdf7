#include "platform/plugins/component_table.h"

#include <filesystem>

#include "platform/host/xml_file.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::plugins {

std::string ComponentTablePath(const std::string& home) {
  return (std::filesystem::path(home) / "config" / "components.xml").string();
}

std::vector<PluginEntry> ReadComponentTable(const std::string& path, const std::string& home) {
  std::vector<PluginEntry> entries;
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) {
    return entries;
  }
  const host::XmlElement root = host::ReadXmlFile(path);
  for (const host::XmlElement& element : root.children) {
    if (element.name != "component") {
      continue;
    }
    PluginEntry entry{element.Attribute("progid"),
                      element.Attribute("library"),
                      {},
                      element.Attribute("factory")};
    if (entry.progid.empty() || entry.library.empty() || entry.factory.empty()) {
      throw Error(kErrCannotCreateObject, path,
                  "A component of '" + path + "' lacks its progid, library or factory ('" +
                      entry.progid + "')");
    }
    const std::filesystem::path library(entry.library);
    entry.library_path =
        library.is_absolute() ? library.string() : (std::filesystem::path(home) / library).string();
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<PluginEntry> FindPluginEntry(const std::string& home, const std::string& progid) {
  for (PluginEntry& entry : ReadComponentTable(ComponentTablePath(home), home)) {
    if (text::IEquals(entry.progid, progid)) {
      return std::move(entry);
    }
  }
  return std::nullopt;
}

}  // namespace velmora::plugins
