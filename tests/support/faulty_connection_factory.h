#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

#include "core/connection_factory.h"
#include "platform/db/errors.h"
#include "velmora/base/error.h"

namespace velmora::testing {

// A connection factory in front of a real one that counts the connections opened and refuses a
// range of them (1-based) as a database that has gone away does: kErrDbConnect. Connections
// opened before keep working. Safe to use from several threads.
class FaultyConnectionFactory : public core::ConnectionFactory {
 public:
  explicit FaultyConnectionFactory(std::shared_ptr<core::ConnectionFactory> real)
      : real_(std::move(real)) {}

  std::unique_ptr<db::Connection> Open(int statement_timeout_seconds) override {
    const int64_t number = ++opened_;
    if (number >= fail_from_ && number - fail_from_ < fail_count_) {
      throw Error(db::kErrDbConnect, "Database", db::kDescUnreachable);
    }
    return real_->Open(statement_timeout_seconds);
  }

  // Counts again from 0 and refuses `count` connections from the n-th open on; n = 0 refuses
  // none.
  void Fail(int64_t n, int64_t count = std::numeric_limits<int64_t>::max()) {
    opened_ = 0;
    fail_from_ = n > 0 ? n : std::numeric_limits<int64_t>::max();
    fail_count_ = count;
  }
  // The connections asked for since the last Fail.
  int64_t opened() const { return opened_; }

 private:
  std::shared_ptr<core::ConnectionFactory> real_;
  std::atomic<int64_t> opened_{0};
  std::atomic<int64_t> fail_from_{std::numeric_limits<int64_t>::max()};
  std::atomic<int64_t> fail_count_{0};
};

}  // namespace velmora::testing
