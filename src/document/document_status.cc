// Document statuses and the removal of rows that hang on a document.
#include <array>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "document/publication_readers.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

// The texts ConvertStatusFromStringToEnum accepts, compared exactly; the first match wins.
constexpr std::array<std::pair<std::string_view, DOCUMENTSTATUS>, 33> kStatusTexts = {{
    {"New", DOCUMENTSTATUS::DOCUMENTNEW},
    {"new", DOCUMENTSTATUS::DOCUMENTNEW},
    {"NEW", DOCUMENTSTATUS::DOCUMENTNEW},
    {"Published", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
    {"published", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
    {"PUBLISHED", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
    {"Publish", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
    {"publish", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
    {"PUBLISH", DOCUMENTSTATUS::DOCUMENTPUBLISHED},
    {"Accepted", DOCUMENTSTATUS::DOCUMENTACCEPTED},
    {"accepted", DOCUMENTSTATUS::DOCUMENTACCEPTED},
    {"ACCEPTED", DOCUMENTSTATUS::DOCUMENTACCEPTED},
    {"Accept", DOCUMENTSTATUS::DOCUMENTACCEPTED},
    {"accept", DOCUMENTSTATUS::DOCUMENTACCEPTED},
    {"ACCEPT", DOCUMENTSTATUS::DOCUMENTACCEPTED},
    {"Partially Accepted", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"partially accepted", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"PARTIALLY ACCEPTED", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"Partially", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"partially", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"PARTIALLY", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"Partially Accept", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"partially accept", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"PARTIALLY ACCEPT", DOCUMENTSTATUS::DOCUMENTPARTIALLYACCEPTED},
    {"Deleted", DOCUMENTSTATUS::DOCUMENTDELETED},
    {"deleted", DOCUMENTSTATUS::DOCUMENTDELETED},
    {"DELETED", DOCUMENTSTATUS::DOCUMENTDELETED},
    {"Removed", DOCUMENTSTATUS::DOCUMENTDELETED},
    {"removed", DOCUMENTSTATUS::DOCUMENTDELETED},
    {"REMOVED", DOCUMENTSTATUS::DOCUMENTDELETED},
    {"Sent", DOCUMENTSTATUS::DOCUMENTSENT},
    {"sent", DOCUMENTSTATUS::DOCUMENTSENT},
    {"SENT", DOCUMENTSTATUS::DOCUMENTSENT},
}};

// Deleted is always accepted; out of deleted nothing else is, nor sent back to published.
bool StatusChangeAllowed(DOCUMENTSTATUS from, DOCUMENTSTATUS to) {
  if (to == DOCUMENTSTATUS::DOCUMENTDELETED) {
    return true;
  }
  return from != DOCUMENTSTATUS::DOCUMENTDELETED &&
         !(to == DOCUMENTSTATUS::DOCUMENTPUBLISHED && from == DOCUMENTSTATUS::DOCUMENTSENT);
}

[[noreturn]] void RefuseParent(int32_t child, int32_t parent, const std::string& reason) {
  RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Document.setParentDocument",
             "Document " + std::to_string(parent) + " cannot be the parent of document " +
                 std::to_string(child) + ": " + reason);
}

// Refuses a parent other than 0 (no parent) that is missing, is the child itself, or has the
// child among its ancestors: lists and access checks follow parent links and must end.
void CheckParent(int32_t child, int32_t parent) {
  if (parent == 0) {
    return;
  }
  std::set<int32_t> seen{child};
  for (int32_t at = parent; at != 0;) {
    if (!seen.insert(at).second) {
      RefuseParent(child, parent,
                   at == child ? "the link would close a cycle" : "its ancestors form a cycle");
    }
    const std::optional<Variant> up = core::FirstField(
        "SELECT DOC_DOCUMENTID FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(at),
        "DOC_DOCUMENTID");
    if (!up) {
      if (at == parent) {
        RefuseParent(child, parent, "there is no such document");
      }
      return;
    }
    at = up->IsNull() ? 0 : up->ToInt32();
  }
}

// Runs one statement on a new connection, closing it on every path; reports as `path`.
void ExecuteStatement(const std::string& sql, const char* path) {
  core::Guarded(path, [&] {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    connection->Execute(sql);
    core::CloseConnection(connection);
  });
}

}  // namespace

void Document::RemoveRecipientsForDocument(int32_t iDocID) {
  ExecuteStatement("DELETE FROM PUBLICATION WHERE (DOCUMENTID = " + core::SqlLong(iDocID) + ")",
                   "Velmora.Document.RemoveRecipientsForDocument");
}

void Document::deleteAllUsersFromPublicationList(const Variant& i_lDocID) {
  std::string id;
  try {
    // The id arrives as a variant: only a value that converts to a 32-bit id reaches SQL.
    id = core::SqlLong(i_lDocID.ToInt32());
  } catch (...) {
    core::ReportError("Velmora.Document.deleteAllUsersFromPublicationList");
  }
  ExecuteStatement(" DELETE FROM dbo.PUBLICATION " + std::string(" WHERE DOCUMENTID = ") + id,
                   "Velmora.Document.deleteAllUsersFromPublicationList");
}

void Document::RemoveInvalidDocument(int32_t iDocID) {
  if (iDocID == 0) {
    return;
  }
  ExecuteStatement("DELETE FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID) +
                       " AND (DOCUMENTTYPEID LIKE '' OR DOCUMENTTYPEID IS NULL)",
                   "Velmora.Document.RemoveInvalidDocument");
}

void Document::setParentDocument(int32_t lChildDocID, int32_t lParentDocID) {
  core::Guarded("Velmora.Document.setParentDocument", [&] {
    CheckParent(lChildDocID, lParentDocID);
    std::unique_ptr<db::Connection> connection = core::GetConnection();
    connection->Execute("UPDATE DOCUMENT SET DOC_DOCUMENTID=" + std::to_string(lParentDocID) +
                        " WHERE " + "DOCUMENTID = " + core::SqlLong(lChildDocID));
    core::CloseConnection(connection);
  });
}

void Document::SetDocumentStatus(int32_t iDocID, DOCUMENTSTATUS iDocStatus) {
  core::Guarded("Velmora.Document.SetDocumentStatus", [&] {
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> recordset;
    const int32_t requested = static_cast<int32_t>(iDocStatus);
    if (requested < static_cast<int32_t>(DOCUMENTSTATUS::DOCUMENTNEW) ||
        requested > static_cast<int32_t>(DOCUMENTSTATUS::DOCUMENTSENT)) {
      RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Document.SetDocumentStatus",
                 "The document status " + std::to_string(requested) +
                     " is not one of 0 ... 5 (DOCUMENTSTATUS); nothing was changed.");
    }
    const DOCUMENTSTATUS old = GetStatusOfDocument(iDocID);
    if (!StatusChangeAllowed(old, iDocStatus)) {
      return;
    }
    connection = core::GetConnection();
    recordset = connection->OpenRecordset(
        "SELECT STATUS " + std::string("FROM DOCUMENT ") +
            "WHERE (DOCUMENTID = " + core::SqlLong(iDocID) + ")",
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    if (!recordset->IsEOF()) {
      recordset->SetField("STATUS", Variant(static_cast<int16_t>(iDocStatus)));
      recordset->Update();
    }
    recordset->Close();
    recordset.reset();
    core::CloseConnection(connection);
    if (iDocStatus == DOCUMENTSTATUS::DOCUMENTPUBLISHED && old == DOCUMENTSTATUS::DOCUMENTNEW) {
      document::ClosePublicationErrorsForOneCategory(iDocID, "CannotPublish");
    }
    if (iDocStatus == DOCUMENTSTATUS::DOCUMENTDELETED && old == DOCUMENTSTATUS::DOCUMENTNEW) {
      deleteAllUsersFromPublicationList(Variant(iDocID));
    }
  });
}

DOCUMENTSTATUS Document::ConvertStatusFromStringToEnum(std::string& iStatus) {
  return core::Guarded("Velmora.Document.ConvertStatusFromStringToEnum", [&]() -> DOCUMENTSTATUS {
    iStatus = text::Trim(iStatus);
    for (const auto& [status_text, status] : kStatusTexts) {
      if (iStatus == status_text) {
        return status;
      }
    }
    return DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS;
  });
}

DOCUMENTSTATUS Document::ConvertStatusFromIntToEnum(int16_t iStatus) {
  if (iStatus < 0 || iStatus > 5) {
    return DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS;
  }
  return static_cast<DOCUMENTSTATUS>(iStatus);
}

}  // namespace velmora
