#pragma once

#include <functional>
#include <string_view>

// Steps whose failure must not replace the error the caller is about to receive.
namespace velmora::publish {

// Runs `body`; a failure is written to the log under `path` and not raised (a log that cannot
// be written is passed over).
void LogAndContinue(std::string_view path, const std::function<void()>& body);

}  // namespace velmora::publish
