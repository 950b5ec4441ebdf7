#include "core/connection_factory.h"

#include <mutex>
#include <utility>

#include "core/db_utils.h"
#include "core/general.h"
#include "platform/host/configuration.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

class FixedConnectionFactory final : public ConnectionFactory {
 public:
  FixedConnectionFactory(std::string connection_string, std::string base_folder)
      : connection_string_(std::move(connection_string)), base_folder_(std::move(base_folder)) {}

  std::unique_ptr<db::Connection> Open(int statement_timeout_seconds) override {
    db::OpenOptions options = LibraryOpenOptions(statement_timeout_seconds);
    options.base_folder = base_folder_;
    return db::OpenConnection(connection_string_, options);
  }

 private:
  const std::string connection_string_;
  const std::string base_folder_;
};

class ConfiguredConnectionFactory final : public ConnectionFactory {
 public:
  std::unique_ptr<db::Connection> Open(int statement_timeout_seconds) override {
    std::shared_ptr<ConnectionFactory> target = Target();
    if (!target) {
      // No connection string: the adapter names what is missing.
      return db::OpenConnection("", LibraryOpenOptions(statement_timeout_seconds));
    }
    return target->Open(statement_timeout_seconds);
  }

 private:
  std::shared_ptr<ConnectionFactory> Target() {
    std::lock_guard lock(mutex_);
    if (!target_) {
      target_ = Read();
    }
    return target_;
  }

  static std::shared_ptr<ConnectionFactory> Read() {
    try {
      auto configuration = GetComponent<host::Configuration>("Tarvex.Configuration");
      if (!configuration) {
        throw Error(kErrObjectRequired, "Tarvex.Configuration",
                    "The configuration component could not be created");
      }
      configuration->LoadFile(GetB2BConfigFile());
      std::string connection_string = configuration->GetConnectionString("Velmora");
      if (text::TrimView(connection_string).empty()) {
        return nullptr;
      }
      return NewConnectionFactory(std::move(connection_string), getInstallDir());
    } catch (...) {
      LogError("DBUtils.GetConnection",
               Variant("Couldn't get the connection string from the Tarvex dll. Trying the "
                       "default connectionstring."));
      return nullptr;
    }
  }

  std::mutex mutex_;
  std::shared_ptr<ConnectionFactory> target_;
};

}  // namespace

std::shared_ptr<ConnectionFactory> NewConnectionFactory(std::string connection_string,
                                                        std::string base_folder) {
  return std::make_shared<FixedConnectionFactory>(std::move(connection_string),
                                                  std::move(base_folder));
}

std::shared_ptr<ConnectionFactory> NewConfiguredConnectionFactory() {
  return std::make_shared<ConfiguredConnectionFactory>();
}

}  // namespace velmora::core
