#pragma once

#include <array>
#include <cstdint>

#include "velmora/base/date_time.h"

// The clock and the unique-name source, reached through one place so that tests can fix them.
namespace velmora {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time.
  virtual DateTime Now() = 0;
};

using GuidBytes = std::array<uint8_t, 16>;

class GuidSource {
 public:
  virtual ~GuidSource() = default;
  // A new random (version 4) GUID. Raises an Error when no randomness can be had.
  virtual GuidBytes NewGuid() = 0;
};

// The sources in force: the system's, unless a test installed its own.
Clock& CurrentClock();
GuidSource& CurrentGuidSource();

// Installs a test's source for the life of the object (process-wide; tests that use it do not
// run concurrently with other users of the source).
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

class ScopedGuidSource {
 public:
  explicit ScopedGuidSource(GuidSource& source);
  ~ScopedGuidSource();
  ScopedGuidSource(const ScopedGuidSource&) = delete;
  ScopedGuidSource& operator=(const ScopedGuidSource&) = delete;

 private:
  GuidSource* previous_;
};

}  // namespace velmora
