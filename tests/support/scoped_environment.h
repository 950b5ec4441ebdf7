#pragma once

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace velmora::testing {

// Sets an environment variable (or unsets it, for nullopt) for the life of the object, then puts
// back what it was. Not safe across threads, as the environment is not.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)) {
    if (const char* previous = getenv(name_.c_str())) {
      previous_ = previous;
    }
    Set(value);
  }
  ~ScopedEnvironmentVariable() { Set(previous_); }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

  // Changes the variable again; the value before the object was made still comes back.
  void Set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace velmora::testing
