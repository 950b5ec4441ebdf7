// Who may see a document: its sender, its recipients, and the users of its parent document.
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "document/publication_readers.h"
#include "velmora/document/document.h"

namespace velmora {

bool Document::UserIsSenderOfDocument(int32_t i_lDocID, const std::string& i_sUser) {
  return core::Guarded("Velmora.Document.UserIsSenderOfDocument",
                       [&]() -> bool { return GetSenderOfDocument(i_lDocID) == i_sUser; });
}

bool Document::UserIsRecipientOfDoc(int32_t iDocID, const std::string& iUser) {
  return core::Guarded("Velmora.Document.UserIsRecipientOfDoc", [&]() -> bool {
    std::unique_ptr<db::Recordset> recipients;
    const std::string type = GetDocumentTypeOfDocument(iDocID);
    if (type.empty()) {
      return false;
    }
    recipients = document::GetRecipientsFromPublicationTable(iDocID, type, false);
    bool found = false;
    while (!found && !recipients->IsEOF()) {
      const Variant user = recipients->Field("USERID");
      found = !user.IsNull() && user.ToText() == iUser;
      recipients->MoveNext();
    }
    core::CloseRecordset(recipients);
    return found;
  });
}

bool Document::IsValidChildDoc(int32_t iDocID, const std::string& iUser,
                               SENDERMODE /*iSenderMode*/) {
  return core::Guarded("Velmora.Document.IsValidChildDoc", [&]() -> bool {
    if (GetDocumentTypeOfDocument(iDocID).empty()) {
      return false;
    }
    const DOCUMENTSTATUS status = GetStatusOfDocument(iDocID);
    const bool is_sender = GetSenderOfDocument(iDocID) == iUser;
    if (!is_sender && status == DOCUMENTSTATUS::DOCUMENTNEW) {
      return false;
    }
    if (!is_sender || status == DOCUMENTSTATUS::DOCUMENTDELETED) {
      return UserIsRecipientOfDoc(iDocID, iUser);
    }
    return true;
  });
}

bool Document::IsValidParentDoc(int32_t iDocID, const std::string& iUser, SENDERMODE iSenderMode) {
  return core::Guarded("Velmora.Document.IsValidParentDoc", [&]() -> bool {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    auto children = connection->QueryDisconnected(
        "SELECT DOCUMENTID, SENDER, DOCUMENTTYPEID FROM DOCUMENT WHERE DOC_DOCUMENTID = " +
        core::SqlLong(iDocID));
    core::CloseConnection(connection);
    std::vector<int32_t> ids;
    for (; !children->IsEOF(); children->MoveNext()) {
      ids.push_back(children->Field("DOCUMENTID").ToInt32());
    }
    children->Close();
    for (int32_t child : ids) {
      if (IsValidChildDoc(child, iUser, iSenderMode)) {
        return true;
      }
    }
    return false;
  });
}

}  // namespace velmora
