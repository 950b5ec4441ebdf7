#pragma once

#include <memory>
#include <vector>

#include "automation/class_registry.h"
#include "velmora/host/referential_integrity.h"

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
void RegisterBoxListClasses(ClassRegistry& registry);

// Adds the operations of the host's IReferentialIntegrity that class `C` implements, under their
// own names and under the interface's published names ("IReferentialIntegrity_Exists", ...),
// and makes `C` a participant in the host's checks under its ProgID. `params` names the three
// arguments of both operations.
template <class C>
ClassInfo& AddReferentialIntegrity(ClassInfo& info, const std::vector<ParamSpec>& params) {
  info.Bind("Exists", &C::Exists, params)
      .Bind("BeforeDelete", &C::BeforeDelete, params)
      .Implements("IReferentialIntegrity", {"Exists", "BeforeDelete"});
  host::ReferentialIntegrityRegistry::Global().Register(info.progid(),
                                                        [] { return std::make_shared<C>(); });
  return info;
}
void RegisterPublishingClasses(ClassRegistry& registry);
void RegisterEmailOperations(ClassRegistry& registry);
void RegisterNotificationClasses(ClassRegistry& registry);
void RegisterEmailImportClasses(ClassRegistry& registry);

}  // namespace velmora::automation
