#pragma once

#include "velmora/base/date_time.h"
#include "velmora/base/sources.h"

// Clock and GUID sources that stand still, for tests that compare written dates and names.
namespace velmora::testing {

// Tells the time `now` until the test moves it.
class FixedClock : public Clock {
 public:
  explicit FixedClock(DateTime start) : now(start) {}
  DateTime Now() override { return now; }

  DateTime now;
};

// Gives the same GUID every time.
class FixedGuids : public GuidSource {
 public:
  FixedGuids() = default;
  explicit FixedGuids(const GuidBytes& bytes) : bytes_(bytes) {}
  GuidBytes NewGuid() override { return bytes_; }

 private:
  GuidBytes bytes_ = {0xAB, 0xCD, 0xEF, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
};

}  // namespace velmora::testing
