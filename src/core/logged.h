#pragma once

#include <functional>
#include <string_view>

namespace velmora::core {

// Runs a step whose failure must not replace the error the caller is about to receive: a
// failure of `body` is written to the log under `path` and not raised (a log that cannot be
// written is passed over).
void LogAndContinue(std::string_view path, const std::function<void()>& body);

}  // namespace velmora::core
