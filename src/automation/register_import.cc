#include "automation/registration.h"
#include "velmora/import/document_import.h"

namespace velmora::automation {

// The scheduled imports, each with its one published method.
void RegisterImportClasses(ClassRegistry& registry) {
  registry.Add("Velmora.DocumentImport").Bind("Run", &DocumentImport::Run);
}

}  // namespace velmora::automation
