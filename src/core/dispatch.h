#pragma once

#include <string>
#include <vector>

#include "velmora/base/variant.h"

namespace velmora::core {

// An object whose methods are called by name with variant arguments: a public class reached
// through the automation layer, or a plug-in's late-bound entry. By-reference arguments are
// written back into `args`. Raises kErrUnknownMethod for a method it does not have and
// kErrWrongArgumentCount for a call with the wrong number of arguments.
class Dispatch : public Object {
 public:
  virtual Variant Invoke(const std::string& method, std::vector<Variant>& args) = 0;
  virtual bool HasMethod(const std::string& method) const = 0;
};

}  // namespace velmora::core
