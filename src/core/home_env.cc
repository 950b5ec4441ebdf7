#include "core/home_env.h"

#include <utility>

#include "core/connection_factory.h"
#include "core/mail_service.h"
#include "platform/net/transfer_client.h"

namespace velmora::core {

Env NewHomeEnv(std::string home) {
  Env env;
  env.home = std::move(home);
  env.databases = NewConfiguredConnectionFactory();
  env.transfer = net::NewCurlTransferClient();
  env.mail = NewSiteMailTransport(env.home);
  return env;
}

}  // namespace velmora::core
