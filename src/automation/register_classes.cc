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
    RegisterRecipientResolution(registry);
    RegisterDirectoryClasses(registry);
    RegisterXmlClasses(registry);
    RegisterDeliveryClasses(registry);
    RegisterPluginClasses(registry);
    RegisterRulesClasses(registry);
    RegisterSupportClasses(registry);
    RegisterBase64Classes(registry);
    RegisterConvertClasses(registry);
    RegisterExcelClasses(registry);
    RegisterFieldAndAttachmentClasses(registry);
    RegisterQueryClasses(registry);
    RegisterCollaborationClasses(registry);
    RegisterBoxListClasses(registry);
    RegisterPublishingClasses(registry);
    RegisterEmailOperations(registry);
    RegisterNotificationClasses(registry);
    RegisterEmailImportClasses(registry);
  });
}

}  // namespace velmora::automation
