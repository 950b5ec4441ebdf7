#include "automation/registration.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// Utility's readers of the publication table.
void RegisterRecipientReaders(ClassRegistry& registry) {
  registry.Add("Velmora.Utility")
      .Bind("GetRecipientsFromPublicationTable", &Utility::GetRecipientsFromPublicationTable,
            {Ref("iDocID"), Ref("iDocTypeID"), OptRef("iEmail", Variant(false))});
}

}  // namespace velmora::automation
