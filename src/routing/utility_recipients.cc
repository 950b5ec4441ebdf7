// Utility's readers of the publication table. The query itself lives with the document record,
// which needs it for its access checks; this is the published entry point.
#include "document/publication_readers.h"
#include "velmora/routing/utility.h"

namespace velmora {

std::shared_ptr<db::Recordset> Utility::GetRecipientsFromPublicationTable(
    int32_t iDocID, const std::string& iDocTypeID, bool iEmail) {
  return document::GetRecipientsFromPublicationTable(iDocID, iDocTypeID, iEmail);
}

}  // namespace velmora
