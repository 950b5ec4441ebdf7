#include "automation/registration.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// Utility's readers of the publication table.
void RegisterRecipientReaders(ClassRegistry& registry) {
  registry.Add("Velmora.Utility")
      .Bind("GetRecipientsFromPublicationTable", &Utility::GetRecipientsFromPublicationTable,
            {"iDocID", "iDocTypeID", Opt("iEmail", Variant(false))});
}

}  // namespace velmora::automation
