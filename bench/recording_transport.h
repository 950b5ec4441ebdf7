#pragma once

#include <mutex>
#include <vector>

#include "platform/mail/transport.h"

namespace velmora::bench {

// A mail transport that keeps the messages it is given and sends nothing.
class RecordingTransport : public mail::Transport {
 public:
  void Send(const mail::Message& message) override {
    std::lock_guard lock(mutex_);
    messages.push_back(message);
  }
  std::vector<mail::Message> messages;

 private:
  std::mutex mutex_;
};

}  // namespace velmora::bench
