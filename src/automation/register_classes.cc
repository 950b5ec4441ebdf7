#include <mutex>

#include "automation/registration.h"

namespace velmora::automation {

void RegisterAllClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    ClassRegistry& registry = ClassRegistry::Global();
    RegisterCoreClasses(registry);
    RegisterDocumentClasses(registry);
    RegisterFileClasses(registry);
    RegisterRecipientReaders(registry);
    RegisterDirectoryClasses(registry);
    RegisterXmlClasses(registry);
    RegisterDeliveryClasses(registry);
    RegisterSupportClasses(registry);
  });
}

}  // namespace velmora::automation
