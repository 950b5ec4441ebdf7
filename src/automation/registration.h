#pragma once

#include "automation/class_registry.h"

// One registration function per subsystem: each adds its public classes with all their
// methods (published names, published argument names, optional arguments with defaults).
namespace velmora::automation {

void RegisterCoreClasses(ClassRegistry& registry);
void RegisterDirectoryClasses(ClassRegistry& registry);
void RegisterDocumentClasses(ClassRegistry& registry);
void RegisterFileClasses(ClassRegistry& registry);
void RegisterRecipientReaders(ClassRegistry& registry);
void RegisterRecipientResolution(ClassRegistry& registry);
void RegisterXmlClasses(ClassRegistry& registry);
void RegisterDeliveryClasses(ClassRegistry& registry);
void RegisterPluginClasses(ClassRegistry& registry);
void RegisterRulesClasses(ClassRegistry& registry);
void RegisterSupportClasses(ClassRegistry& registry);
void RegisterBase64Classes(ClassRegistry& registry);
void RegisterConvertClasses(ClassRegistry& registry);
void RegisterExcelClasses(ClassRegistry& registry);
void RegisterFieldAndAttachmentClasses(ClassRegistry& registry);
void RegisterQueryClasses(ClassRegistry& registry);
void RegisterCollaborationClasses(ClassRegistry& registry);
void RegisterEmailOperations(ClassRegistry& registry);
void RegisterNotificationClasses(ClassRegistry& registry);

}  // namespace velmora::automation
