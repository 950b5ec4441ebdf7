#include "automation/registration.h"
#include "velmora/import/document_import.h"
#include "velmora/import/email_import.h"

namespace velmora::automation {

// The scheduled imports: the folder import and the mailbox import, which pages may also ask
// for one of its settings.
void RegisterImportClasses(ClassRegistry& registry) {
  registry.Add("Velmora.DocumentImport").Bind("Run", &DocumentImport::Run);
  registry.Add("Velmora.EMailImport")
      .Bind("Run", &EMailImport::Run)
      .Bind("GetEmailParameter", &EMailImport::GetEmailParameter, {"iParamName"});
}

}  // namespace velmora::automation
