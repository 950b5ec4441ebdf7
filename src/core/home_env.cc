#include "core/home_env.h"

#include <utility>

#include "core/connection_factory.h"

namespace velmora::core {

Env NewHomeEnv(std::string home) {
  Env env;
  env.home = std::move(home);
  env.databases = NewConfiguredConnectionFactory();
  return env;
}

}  // namespace velmora::core
