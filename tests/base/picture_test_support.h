#pragma once

#include <ostream>
#include <string>

#include "velmora/base/picture_format.h"
#include "velmora/base/variant.h"

namespace velmora {

// One case of the picture formatter: a value, a picture and the text expected.
struct PictureCase {
  Variant value;
  std::string picture;
  std::string expected;
};

inline std::ostream& operator<<(std::ostream& out, const PictureCase& c) {
  return out << "'" << c.value.ToText() << "' with '" << c.picture << "'";
}

inline std::string Formatted(const PictureCase& c) {
  return FormatPicture(c.value, Variant(c.picture)).ToText();
}

}  // namespace velmora
