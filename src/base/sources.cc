#include "velmora/base/sources.h"

#include <atomic>
#include <ctime>
#include <random>

#include "velmora/base/error.h"

namespace velmora {
namespace {

class SystemClock : public Clock {
 public:
  DateTime Now() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
  }
};

class RandomGuidSource : public GuidSource {
 public:
  GuidBytes NewGuid() override {
    thread_local std::random_device device;
    GuidBytes bytes{};
    try {
      for (size_t i = 0; i < bytes.size(); i += 4) {
        const uint32_t word = device();
        for (size_t k = 0; k < 4; ++k) {
          bytes[i + k] = static_cast<uint8_t>(word >> (8 * k));
        }
      }
    } catch (const std::exception&) {
      throw Error(kErrUnexpected, "Velmora.iGeneral_GenerateGUID",
                  "Could not generate GUID (unique identifier)");
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    return bytes;
  }
};

SystemClock system_clock;
RandomGuidSource random_guid_source;
std::atomic<Clock*> clock_in_force{&system_clock};
std::atomic<GuidSource*> guid_source_in_force{&random_guid_source};

}  // namespace

Clock& CurrentClock() { return *clock_in_force.load(); }
GuidSource& CurrentGuidSource() { return *guid_source_in_force.load(); }

ScopedClock::ScopedClock(Clock& clock) : previous_(clock_in_force.exchange(&clock)) {}
ScopedClock::~ScopedClock() { clock_in_force.store(previous_); }

ScopedGuidSource::ScopedGuidSource(GuidSource& source)
    : previous_(guid_source_in_force.exchange(&source)) {}
ScopedGuidSource::~ScopedGuidSource() { guid_source_in_force.store(previous_); }

}  // namespace velmora
