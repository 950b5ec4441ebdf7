#pragma once

#include <string>
#include <string_view>

namespace velmora::core {

// `text` for a URL query value or a form field: every byte outside A-Z, a-z, 0-9 and "-", "_",
// ".", "~" as "%" and two upper-case hexadecimal digits (UTF-8 bytes one by one; a blank is
// "%20", "=" is "%3D"). Never raises.
std::string URLEncode(std::string_view text);

}  // namespace velmora::core
