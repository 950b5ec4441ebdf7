#include "platform/host/installation_registry.h"

#include <cstdlib>
#include <filesystem>

#include "platform/host/xml_file.h"

namespace velmora::host {
namespace {

constexpr const char* kMainProduct = "R2AVidode";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string DefaultHome() {
  std::string home = Environment("VELMORA_HOME");
  if (home.empty()) {
    home = "velmora-home";
  }
  return std::filesystem::absolute(home).lexically_normal().string();
}

std::string RegistryPath(const std::string& home) {
  const std::string named = Environment("VELMORA_REGISTRY");
  if (!named.empty()) {
    return named;
  }
  return (home.empty() ? DefaultHome() : home) + "/config/registry.xml";
}

std::vector<ProductInfo> ReadRegistry(const std::string& path) {
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) {
    return {};
  }
  std::vector<ProductInfo> records;
  for (const XmlElement& element : ReadXmlFile(path).children) {
    if (element.name == "installation") {
      records.push_back(ProductInfo{element.Attribute("product"), element.Attribute("installdir"),
                                    element.Attribute("configdir"), element.Attribute("version")});
    }
  }
  return records;
}

void WriteRegistryRecord(const std::string& path, const ProductInfo& info) {
  XmlElement root{"registry", {}, {}, {}};
  for (const ProductInfo& record : ReadRegistry(path)) {
    if (record.product == info.product && record.install_dir == info.install_dir) {
      continue;
    }
    root.children.push_back(XmlElement{"installation",
                                       {{"product", record.product},
                                        {"installdir", record.install_dir},
                                        {"configdir", record.config_dir},
                                        {"version", record.version}},
                                       {},
                                       {}});
  }
  root.children.push_back(XmlElement{"installation",
                                     {{"product", info.product},
                                      {"installdir", info.install_dir},
                                      {"configdir", info.config_dir},
                                      {"version", info.version}},
                                     {},
                                     {}});
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteXmlFile(path, root);
}

std::string InstallationHome(const std::string& home) {
  try {
    const std::vector<ProductInfo> records = ReadRegistry(RegistryPath(home));
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
      if (record->product == kMainProduct && !record->install_dir.empty()) {
        return record->install_dir;
      }
    }
  } catch (...) {
    // An unreadable registry leaves the default home in force; the configuration reader
    // reports the registry's fault where it is asked for it.
  }
  return home.empty() ? DefaultHome() : home;
}

}  // namespace velmora::host
