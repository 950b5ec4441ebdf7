#include "core/env.h"

#include <utility>

#include "velmora/base/error.h"

namespace velmora::core {
namespace {

Env& Installed() {
  static Env env;
  return env;
}

[[noreturn]] void RaiseMissing(const char* what) {
  throw Error(kErrObjectRequired, "Velmora.Env", std::string("Object required: ") + what);
}

}  // namespace

mail::Transport& Env::Mail() const {
  if (!mail) {
    RaiseMissing("mail transport");
  }
  return *mail;
}

net::TransferClient& Env::Transfer() const {
  if (!transfer) {
    RaiseMissing("transfer client");
  }
  return *transfer;
}

const Env& CurrentEnv() { return Installed(); }

void InstallEnv(Env env) { Installed() = std::move(env); }

ScopedEnv::ScopedEnv(Env env) : previous_(std::exchange(Installed(), std::move(env))) {}

ScopedEnv::~ScopedEnv() { Installed() = std::move(previous_); }

}  // namespace velmora::core
