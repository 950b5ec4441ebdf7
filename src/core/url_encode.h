#pragma once

#include <string>
#include <string_view>

namespace velmora::core {

// `text` form-encoded (application/x-www-form-urlencoded): letters, digits and "-._~" stay,
// a space becomes "+", every other byte of the UTF-8 text becomes "%XX" (upper-case hex).
std::string URLEncode(std::string_view text);

}  // namespace velmora::core
