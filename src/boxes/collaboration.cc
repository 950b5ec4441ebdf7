// Collaboration's publication statuses: status changes, accepting and deleting.
#include "velmora/boxes/collaboration.h"

#include <optional>
#include <string>

#include "boxes/collaboration_exec.h"
#include "boxes/publication_status_rules.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/document/document.h"
#include "velmora/routing/publication_status.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;

// "WHERE (DOCUMENTID = <doc>) AND (USERID = <user>)" of one publication.
std::string OnePublication(int32_t doc, const std::string& user) {
  return "WHERE (DOCUMENTID = " + SqlLong(doc) + ") AND (USERID = " + SqlText(user) + ")";
}

// The number of the other recipients of `doc` whose publication is neither accepted nor
// accepted and deleted.
int32_t CountAcceptedDocs(int32_t doc, const std::string& user) {
  return core::Guarded("Collaboration.CountAcceptedDocs", [&]() -> int32_t {
    const std::string sql = std::string(" SELECT COUNT(DOCUMENTID) AS NotAcceptedDocuments") +
                            " FROM   PUBLICATION" + " WHERE  DOCUMENTID = " + SqlLong(doc) +
                            " AND    USERID <> " + SqlText(user) + " AND    not STATUS IN (1,3)";
    const std::optional<Variant> count = core::FirstField(sql, "NotAcceptedDocuments");
    return count && !count->IsNull() ? count->ToInt32() : 0;
  });
}

void SetPublicationStatusToAccepted(Collaboration& collaboration, int32_t doc,
                                    const std::string& user) {
  collaboration.SetPublicationStatus(doc, user,
                                     static_cast<int32_t>(PUBLICATIONSTATUS::PUBLICATIONACC));
}

constexpr int32_t kNewDeleted = static_cast<int32_t>(PUBLICATIONSTATUS::PUBLICATIONNEWDEL);

}  // namespace

int32_t Collaboration::GetPublicationStatus(int32_t iDocID, const std::string& iUserID) {
  return core::Guarded("Velmora.Collaboration.GetPublicationStatus", [&]() -> int32_t {
    const std::string sql = std::string(" SELECT STATUS ") +
                            " FROM PUBLICATION WHERE DOCUMENTID = " + SqlLong(iDocID) +
                            " AND USERID = " + SqlText(iUserID);
    const std::optional<Variant> status = core::FirstField(sql, "STATUS");
    return status && !status->IsNull() ? status->ToInt32() : -1;
  });
}

void Collaboration::SetPublicationStatus(int32_t iDocID, const std::string& iUserID,
                                         int32_t iStatus, int32_t iPublicationErrorID) {
  core::Guarded("Velmora.Collaboration.SetPublicationStatus", [&] {
    if (iPublicationErrorID != 0) {
      boxes::ExecQuery(std::string("UPDATE PUBLICATION ") + "SET PUBLICATIONERRORID = " +
                       SqlLong(iPublicationErrorID) + " " + OnePublication(iDocID, iUserID));
      return;
    }
    // A number outside the enumeration would leave a publication no box understands (it
    // would count as current everywhere), so it is refused instead of stored.
    if (iStatus < 0 || iStatus > 9) {
      RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Collaboration.SetPublicationStatus",
                 "The publication status " + std::to_string(iStatus) +
                     " is not one of 0 ... 9 (PUBLICATIONSTATUS); nothing was changed.");
    }
    const int32_t current = GetPublicationStatus(iDocID, iUserID);
    const int32_t next = boxes::NextPublicationStatus(current, iStatus);
    if (next == current) {
      return;
    }
    boxes::ExecQuery(std::string("UPDATE PUBLICATION ") + "SET STATUS = " + SqlLong(next) + " " +
                     OnePublication(iDocID, iUserID));
  });
}

void Collaboration::AcceptPublication(int32_t iDocID, const std::string& iUserID) {
  core::Guarded("Collaboration.AcceptDocument", [&] {
    // Only a recipient accepts: the document's status follows its recipients' publications.
    if (GetPublicationStatus(iDocID, iUserID) < 0) {
      RaiseError(EnumerationErrors::InvalidParamValue, "Collaboration.AcceptDocument",
                 "The user '" + iUserID + "' has no publication of document " +
                     std::to_string(iDocID) + " to accept; nothing was changed.");
    }
    SetPublicationStatusToAccepted(*this, iDocID, iUserID);
    const int32_t not_accepted = CountAcceptedDocs(iDocID, iUserID);
    Document().SetDocumentStatus(iDocID, not_accepted > 0
                                             ? DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED
                                             : DOCUMENTSTATUS::DOCUMENTACCEPTED);
  });
}

bool Collaboration::deleteDocument2(int32_t iDocID, const std::string& /*iDocTypeID*/,
                                    SENDERMODE iSenderMode, const std::string& iUserName,
                                    const std::string& /*iPath*/, bool iIsChildDoc) {
  return core::Guarded("Velmora.Collaboration.deleteDocument2", [&]() -> bool {
    Document document;
    if (iIsChildDoc) {
      const std::string sender = document.GetSenderOfDocument(iDocID);
      if (document.UserIsRecipientOfDoc(iDocID, iUserName)) {
        SetPublicationStatus(iDocID, iUserName, kNewDeleted);
      }
      if (iUserName == sender) {
        document.SetDocumentStatus(iDocID, DOCUMENTSTATUS::DOCUMENTDELETED);
      }
      return true;
    }
    switch (iSenderMode) {
      case SENDERMODE::SENDERMODE:
        // Deleted is final: only the document's sender deletes it for everyone.
        if (document.GetSenderOfDocument(iDocID) != iUserName) {
          RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Collaboration.deleteDocument2",
                     "The user '" + iUserName + "' did not send document " +
                         std::to_string(iDocID) + " and cannot delete it; nothing was changed.");
        }
        document.SetDocumentStatus(iDocID, DOCUMENTSTATUS::DOCUMENTDELETED);
        return true;
      case SENDERMODE::RECEIVERMODE:
      case SENDERMODE::ERRORMODE:
      case SENDERMODE::CHANGEDOCTYPEMODE:
        SetPublicationStatus(iDocID, iUserName, kNewDeleted);
        return true;
      default:
        return false;
    }
  });
}

}  // namespace velmora
