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
void RegisterXmlClasses(ClassRegistry& registry);
void RegisterDeliveryClasses(ClassRegistry& registry);
void RegisterSupportClasses(ClassRegistry& registry);

}  // namespace velmora::automation
