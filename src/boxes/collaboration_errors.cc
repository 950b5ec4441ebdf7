// Collaboration's publication errors: closing, hiding from a box, deleting.
#include <memory>
#include <string>

#include "boxes/collaboration_exec.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"
#include "document/publication_readers.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

using core::SqlLong;

constexpr int16_t kClosed = core::kErrorClosed;
constexpr int16_t kRemovedFromSenderBox = core::kErrorRemovedFromSenderBox;
constexpr int16_t kRemovedFromRecipientBox = core::kErrorRemovedFromRecipientBox;

db::RecordsetOptions Updatable() {
  return db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic};
}

// Sets the closed bit of CLOSED on every row of `sql`, a query of PUBLICATIONERRORS; the other
// bits stay.
void setPublicationErrorsToClosedUsingSQLQueryString(const std::string& sql) {
  std::unique_ptr<db::Connection> connection;
  std::unique_ptr<db::Recordset> recordset;
  try {
    connection = core::GetConnection();
    recordset = connection->OpenRecordset(sql, Updatable());
    while (!recordset->IsEOF()) {
      const int16_t closed = recordset->Field("CLOSED").ToInt16();
      recordset->SetField("CLOSED", Variant(static_cast<int16_t>(closed | kClosed)));
      recordset->Update();
      recordset->MoveNext();
    }
    core::CloseRecordset(recordset);
    core::CloseConnection(connection);
  } catch (...) {
    core::CloseRecordset(recordset);
    core::CloseConnection(connection);
    throw;
  }
}

}  // namespace

namespace boxes {

void ExecQuery(const std::string& sql) {
  core::Guarded(
      "Velmora.Collaboration.ExecQuery",
      [&] {
        std::unique_ptr<db::Connection> connection;
        connection = core::GetConnection();
        connection->Execute(sql);
        core::CloseConnection(connection);
      },
      [&] { return Variant(sql); });
}

}  // namespace boxes

void Collaboration::ClosePublicationErrorsForOneCategory(int32_t i_lDocID,
                                                         const std::string& i_sCategory) {
  document::ClosePublicationErrorsForOneCategory(i_lDocID, i_sCategory);
}

void Collaboration::ClosePublicationErrors(int32_t iPublicationErrorID, int32_t iDocID) {
  core::Guarded("Velmora.Collaboration.ClosePublicationErrors", [&] {
    std::string sql = std::string(" SELECT * FROM PUBLICATIONERRORS ") +
                      " WHERE PUBLICATIONERRORID = " + SqlLong(iPublicationErrorID);
    if (iDocID != 0) {
      sql += " AND   DOCUMENTID = " + SqlLong(iDocID);
    }
    sql += " AND   CLOSED IN " + core::ClosedValuesWithout(core::kErrorClosed) + " ";
    setPublicationErrorsToClosedUsingSQLQueryString(sql);
  });
}

void Collaboration::DeletePublicationErrors(int32_t iDocID) {
  core::Guarded("Velmora.Collaboration.DeletePublicationErrors", [&] {
    boxes::ExecQuery(std::string("DELETE FROM PUBLICATIONERRORS ") +
                     "WHERE DOCUMENTID = " + SqlLong(iDocID));
  });
}

void Collaboration::SetPublicationErrorStatusToRemoved(int32_t i_lDocID, const std::string& i_sUser,
                                                       int32_t i_lPublicationErrorID) {
  core::Guarded("Velmora.Collaboration.SetPublicationErrorStatusToRemoved", [&] {
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> recordset;
    connection = core::GetConnection();
    recordset = connection->OpenRecordset(
        std::string("SELECT * FROM PUBLICATIONERRORS ") +
            "WHERE PUBLICATIONERRORID = " + SqlLong(i_lPublicationErrorID),
        Updatable());
    if (!recordset->IsEOF()) {
      Document document;
      int16_t closed = recordset->Field("CLOSED").ToInt16();
      if (document.UserIsSenderOfDocument(i_lDocID, i_sUser)) {
        closed |= kRemovedFromSenderBox;
      }
      if (document.UserIsRecipientOfDoc(i_lDocID, i_sUser)) {
        closed |= kRemovedFromRecipientBox;
      }
      recordset->SetField("CLOSED", Variant(closed));
      recordset->Update();
    }
    core::CloseRecordset(recordset);
    core::CloseConnection(connection);
  });
}

}  // namespace velmora
