#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Velmora.PublishForwardDocument: a recipient forwards a received document as a new document
// of another type. The received working XML is processed interactively on behalf of the
// forwarding user (converted from its type to the new one, the user as sender and as the one
// recipient, the received document as parent, no delivery or notification); its attachments
// (rows and files) are copied and the user's publication of the received document is marked
// forwarded. Stateless; every call opens and closes its own connections.
class PublishForwardDocument {
 public:
  // Deprecated: writes a log entry and returns -1 without forwarding anything.
  int32_t Main(int32_t iDocID, const std::string& iUser, const std::string& iAttPath);
  // Forwards received document `iDocID` as type `iNewDocTypeID` for user `iUser`, with the
  // attachment folders under `iAttPath`. Returns the new document id. A failure to read the
  // received document (also an OBI document) is reported with label "ZODAR4307", a failure to
  // find the sender's partner with "ZODAR4306", a failure of processing with "ZODAR4305",
  // anything else with "ZODAR4308". Attachment copies and the forward flag that fail become
  // PUBLICATIONERRORS rows of the new document ("ZODAR1808", "ZODAR1814") and do not undo it.
  int32_t Main2(int32_t iDocID, const std::string& iNewDocTypeID, const std::string& iUser,
                const std::string& iAttPath);
  // Whether DOCTYPETODOCTYPE holds a conversion from the type of document `iDocID`.
  bool TransformExist(int32_t& iDocID);
  // Deletes every PUBLICATION row of the document.
  void RemoveAllRecipientsForDocument(int32_t& iDocID);
};

}  // namespace velmora
