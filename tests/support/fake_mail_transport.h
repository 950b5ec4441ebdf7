#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/env.h"
#include "platform/mail/message_check.h"
#include "platform/mail/transport.h"
#include "velmora/base/error.h"

// A mail transport that keeps every message it accepts and fails on demand, installed as the
// environment's transport for the life of a ScopedFakeMail.
namespace velmora::testing {

class FakeMailTransport : public mail::Transport {
 public:
  // Makes the next `count` sends fail with kErrMailNotSent and `description`.
  void FailNext(int count, std::string description = "The relay is down.") {
    std::lock_guard lock(mutex_);
    failures_ = count;
    description_ = std::move(description);
  }
  // Makes every send to a list that contains `address` fail (a relay refusing a recipient).
  void Refuse(std::string address) {
    std::lock_guard lock(mutex_);
    refused_.push_back(std::move(address));
  }

  // Checks the message as every real transport does, then keeps it or fails.
  void Send(const mail::Message& message) override {
    mail::CheckMessage(message);
    std::lock_guard lock(mutex_);
    for (const std::string& address : refused_) {
      if (message.to.find(address) != std::string::npos) {
        throw Error(mail::kErrMailNotSent, "Velmora.Mail",
                    "The mail relay refused the recipient <" + address + ">.");
      }
    }
    if (failures_ > 0) {
      --failures_;
      throw Error(mail::kErrMailNotSent, "Velmora.Mail", description_);
    }
    sent_.push_back(message);
  }

  std::vector<mail::Message> Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<mail::Message> sent_;
  std::vector<std::string> refused_;
  int failures_ = 0;
  std::string description_;
};

// Installs a FakeMailTransport in the environment (keeping the rest of it) for its lifetime.
class ScopedFakeMail {
 public:
  ScopedFakeMail() : fake_(std::make_shared<FakeMailTransport>()), env_(WithMail(fake_)) {}

  FakeMailTransport& operator*() { return *fake_; }
  FakeMailTransport* operator->() { return fake_.get(); }

 private:
  static core::Env WithMail(std::shared_ptr<FakeMailTransport> fake) {
    core::Env env = core::CurrentEnv();
    env.mail = std::move(fake);
    return env;
  }

  std::shared_ptr<FakeMailTransport> fake_;
  core::ScopedEnv env_;
};

}  // namespace velmora::testing
