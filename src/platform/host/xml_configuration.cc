#include <optional>
#include <string>
#include <utility>

#include "platform/files/native_path.h"
#include "platform/host/configuration.h"
#include "platform/host/installation_registry.h"
#include "platform/host/xml_file.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::host {
namespace {

constexpr const char* kSource = "Tarvex.Configuration";

class XmlConfiguration : public Configuration {
 public:
  explicit XmlConfiguration(std::string home) : home_(std::move(home)) {}

  void LoadFile(const std::string& path) override {
    root_ = ReadXmlFile(files::ToNativePath(path));
    if (root_->name != "configuration") {
      const std::string name = root_->name;
      root_.reset();
      throw Error(kErrTypeMismatch, kSource,
                  "'" + path + "' is not a configuration file (root element " + name + ")");
    }
  }

  Variant GetValue(const std::string& section, const std::string& key) override {
    for (const XmlElement& element : Loaded().children) {
      if (element.name != "section" || element.Attribute("name") != section) {
        continue;
      }
      for (const XmlElement& entry : element.children) {
        if (entry.name == "key" && entry.Attribute("name") == key) {
          return Variant(entry.text);
        }
      }
    }
    return Variant();
  }

  std::string GetConnectionString(const std::string& application) override {
    for (const XmlElement& element : Loaded().children) {
      if (element.name == "connection" && element.Attribute("application") == application) {
        return text::Trim(element.text);
      }
    }
    throw Error(kErrInvalidProcedureCall, kSource,
                "No connection string for application '" + application + "'");
  }

  std::vector<ProductInfo> GetProductInfo(const std::string& product) override {
    std::vector<ProductInfo> installations;
    for (ProductInfo& info : ReadRegistry(RegistryPath(home_))) {
      if (info.product == product) {
        installations.push_back(std::move(info));
      }
    }
    return installations;
  }

  int32_t GetApplicationID(const std::string& name) override {
    for (const XmlElement& element : Loaded().children) {
      if (element.name == "application" && element.Attribute("name") == name) {
        int64_t id = 0;
        if (text::ParseInt64(element.Attribute("id"), id)) {
          return static_cast<int32_t>(id);
        }
      }
    }
    throw Error(kErrInvalidProcedureCall, kSource, "Unknown application '" + name + "'");
  }

 private:
  const XmlElement& Loaded() const {
    if (!root_) {
      throw Error(kErrObjectRequired, kSource, "No configuration file is loaded");
    }
    return *root_;
  }

  const std::string home_;
  std::optional<XmlElement> root_;
};

}  // namespace

std::shared_ptr<Configuration> NewXmlConfiguration(const std::string& home) {
  return std::make_shared<XmlConfiguration>(home);
}

}  // namespace velmora::host
