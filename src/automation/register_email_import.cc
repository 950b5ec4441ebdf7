#include "automation/registration.h"
#include "velmora/import/email_import.h"

namespace velmora::automation {

// The mailbox import, run by the scheduled job and callable by pages.
void RegisterEmailImportClasses(ClassRegistry& registry) {
  registry.Add("Velmora.EMailImport")
      .Bind("Run", &EMailImport::Run)
      .Bind("GetEmailParameter", &EMailImport::GetEmailParameter, {"iParamName"});
}

}  // namespace velmora::automation
