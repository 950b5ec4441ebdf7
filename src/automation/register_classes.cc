#include <mutex>

#include "automation/registration.h"
#include "core/sheet_engine.h"
#include "platform/sheet/office_engine.h"

namespace velmora::automation {

void RegisterAllClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    // The programs that reach the library through this layer work on workbooks with the
    // office engine, unless a caller installed another engine first.
    core::SetDefaultSheetEngineFactory(
        [](const sheet::OfficeSettings& settings) -> std::shared_ptr<sheet::Engine> {
          return sheet::NewOfficeEngine(settings);
        });
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
    RegisterEmailOperations(registry);
    RegisterNotificationClasses(registry);
  });
}

}  // namespace velmora::automation
