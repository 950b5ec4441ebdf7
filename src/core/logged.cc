#include "core/logged.h"

#include "core/general.h"
#include "velmora/base/error.h"

namespace velmora::core {

void LogAndContinue(std::string_view path, const std::function<void()>& body) {
  try {
    body();
  } catch (...) {
    const Error failure = CurrentError();
    try {
      LogError(failure, path);
    } catch (...) {
      // The log itself is unavailable; the caller's own error is what matters.
    }
  }
}

}  // namespace velmora::core
