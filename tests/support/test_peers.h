#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

// The loopback peers that scripts/test starts (scripts/peers), found through environment
// variables. A missing peer skips the test, except under CI=true, where it fails it.
namespace velmora::testing {

inline std::optional<std::string> PeerVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value != nullptr && *value != '\0') {
    return std::string(value);
  }
  return std::nullopt;
}

inline bool UnderCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

}  // namespace velmora::testing

// Sets `target` to the value of environment variable `name`, or skips (fails under CI=true)
// the current test when it is not set.
#define VELMORA_REQUIRE_PEER(target, name)                                            \
  do {                                                                                \
    const auto velmora_peer_value = ::velmora::testing::PeerVariable(name);           \
    if (!velmora_peer_value) {                                                        \
      if (::velmora::testing::UnderCi()) {                                            \
        FAIL() << name << " is not set: the test peer is missing (run scripts/test)"; \
      }                                                                               \
      GTEST_SKIP() << name << " is not set: start the test peers with scripts/test";  \
    }                                                                                 \
    target = *velmora_peer_value;                                                     \
  } while (false)
