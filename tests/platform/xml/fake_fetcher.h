#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/xml/fetcher.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora::xml::testing {

// An in-memory Fetcher: answers the replies it was given; any other URL fails as an
// unreachable host would (CannotLoadFile). Records every URL asked for. Thread-safe.
class FakeFetcher : public Fetcher {
 public:
  void Serve(const std::string& url, long status, std::string body) {
    std::lock_guard<std::mutex> lock(mutex_);
    FetchReply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.final_url = url;
    replies_[url] = std::move(reply);
  }

  FetchReply Get(const std::string& url) override {
    std::lock_guard<std::mutex> lock(mutex_);
    requested_.push_back(url);
    auto found = replies_.find(url);
    if (found == replies_.end()) {
      RaiseError(EnumerationErrors::CannotLoadFile, "FakeFetcher",
                 "The document at '" + url + "' could not be downloaded: host unreachable");
    }
    return found->second;
  }

  std::vector<std::string> requested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requested_;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, FetchReply> replies_;
  std::vector<std::string> requested_;
};

}  // namespace velmora::xml::testing
