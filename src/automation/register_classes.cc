#include <mutex>

#include "automation/class_registry.h"
#include "velmora/core/enums_constants_global_vars.h"

namespace velmora::automation {

void RegisterAllClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    ClassRegistry& registry = ClassRegistry::Global();
    registry.Add("Velmora.EnumsConstantsGlobalVars");
  });
}

}  // namespace velmora::automation
