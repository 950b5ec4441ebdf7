#pragma once

#include <memory>
#include <string>
#include <vector>

#include "velmora/base/variant.h"

namespace velmora::host {

// One installation of a product, as the installation registry records it.
struct ProductInfo {
  std::string product;
  std::string install_dir;
  std::string config_dir;
  std::string version;
};

// The host configuration component (ProgID "Tarvex.Configuration"): reads one configuration
// file at a time and the installation registry. Configuration files are XML:
//   <configuration>
//     <section name="GLOBAL"><key name="B2BLogging">2</key></section>
//     <connection application="Velmora">sqlite:data/velmora.db</connection>
//     <application name="Velmora" id="1"/>
//   </configuration>
// Not safe for concurrent use; each caller creates its own.
class Configuration : public Object {
 public:
  std::string TypeName() const override { return "Tarvex.Configuration"; }

  // Loads the file at `path` (either separator). Raises an Error naming the file when it
  // cannot be read or is not a configuration file.
  virtual void LoadFile(const std::string& path) = 0;
  // The text of key `key` of section `section` of the loaded file, or Empty when either is
  // absent. Raises when no file is loaded. Names compare exactly.
  virtual Variant GetValue(const std::string& section, const std::string& key) = 0;
  // The connection string of `application` in the loaded file; raises when it has none.
  virtual std::string GetConnectionString(const std::string& application) = 0;
  // The installations of `product`, in the order the registry lists them (may be empty).
  // Raises when the registry exists but cannot be read.
  virtual std::vector<ProductInfo> GetProductInfo(const std::string& product) = 0;
  // The id of application `name` in the loaded file; raises when it is not listed.
  virtual int32_t GetApplicationID(const std::string& name) = 0;
};

// The configuration component over XML files and the installation registry of `home` (empty:
// the default home; see installation_registry.h).
std::shared_ptr<Configuration> NewXmlConfiguration(const std::string& home = {});

}  // namespace velmora::host
