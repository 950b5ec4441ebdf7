#include "document/publication_readers.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::document {
namespace {

// Label codes of the publication errors of each category that ClosePublicationErrorsForOneCategory
// closes, the first one written "LABEL = ", the others " OR LABEL = ".
constexpr const char* kCannotPublishLabels[] = {"ZODAR0008", "ZODAR4475", "ZODAR4476",
                                                "ZODAR4477", "ZODAR4478", "ZODAR4479",
                                                "ZODAR4480", "ZODAR4481", "ZODAR4482"};
constexpr const char* kSelectRecipientsLabels[] = {"ZODAR0008", "ZODAR4476"};

template <size_t N>
std::string OpenErrorsWithLabels(int32_t docId, const char* const (&labels)[N]) {
  std::string sql = " SELECT * FROM PUBLICATIONERRORS" + std::string(" WHERE DOCUMENTID = ") +
                    core::SqlLong(docId) + " AND   CLOSED IN " +
                    core::ClosedValuesWithout(core::kErrorClosed) + " " +
                    " AND ( LABEL = " + core::SqlText(labels[0]);
  for (size_t i = 1; i < N; ++i) {
    sql += std::string(" OR ") + "       LABEL = " + core::SqlText(labels[i]);
  }
  sql += ")";
  return sql;
}

// Sets the closed bit of CLOSED on every row of `sql` (a query of PUBLICATIONERRORS).
void SetPublicationErrorsToClosed(const std::string& sql) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  std::unique_ptr<db::Recordset> recordset;
  try {
    recordset = connection->OpenRecordset(
        sql, db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    while (!recordset->IsEOF()) {
      const int32_t closed = recordset->Field("CLOSED").ToInt32();
      recordset->SetField("CLOSED", Variant(static_cast<int16_t>(closed | core::kErrorClosed)));
      recordset->Update();
      recordset->MoveNext();
    }
    recordset.reset();
    core::CloseConnection(connection);
  } catch (...) {
    recordset.reset();
    core::CloseConnection(connection);
    throw;
  }
}

}  // namespace

std::string PublicationRecipientsSql(int32_t docId, const std::string& docTypeId, bool email,
                                     bool email_column, bool trailing_blank) {
  std::string sql =
      email_column ? "SELECT EMAIL, HTMLATTACHMENTXSL, " : "SELECT HTMLATTACHMENTXSL, ";
  sql += email
             ? "PUBLICATION.USERID, DISTRIBUTIONLIST.HTMLATTACHMENT, DISTRIBUTIONLIST.ATTACHMENTS "
             : "PUBLICATION.USERID, DISTRIBUTIONLIST.HTMLATTACHMENT ";
  sql += std::string("FROM PUBLICATION INNER JOIN DISTRIBUTIONLIST ON PUBLICATION.USERID = ") +
         "DISTRIBUTIONLIST.USERID LEFT OUTER JOIN DOCUMENTTYPE ON DOCUMENTTYPE.DOCUMENTTYPEID = " +
         "DISTRIBUTIONLIST.DOCUMENTTYPEID WHERE (PUBLICATION.DOCUMENTID = " + core::SqlLong(docId) +
         ") " + "AND (DISTRIBUTIONLIST.DOCUMENTTYPEID = " + core::SqlText(docTypeId) + ") ";
  if (email) {
    sql += "AND (DISTRIBUTIONLIST.EMAIL = 1) ";
  }
  sql += "AND (PUBLICATION.STATUS NOT IN " + core::DeletedPublicationStatusList() + " )";
  return trailing_blank ? sql + " " : sql;
}

std::unique_ptr<db::Recordset> GetRecipientsFromPublicationTable(int32_t docId,
                                                                 const std::string& docTypeId,
                                                                 bool email) {
  return core::Guarded(
      "Velmora.Utility.GetRecipientsFromPublicationTable", [&]() -> std::unique_ptr<db::Recordset> {
        std::unique_ptr<db::Connection> connection;
        const std::string sql = PublicationRecipientsSql(docId, docTypeId, email, true, false);
        connection = core::GetConnection();
        std::unique_ptr<db::Recordset> recordset = connection->QueryDisconnected(sql);
        core::CloseConnection(connection);
        return recordset;
      });
}

void ClosePublicationErrorsForOneCategory(int32_t docId, const std::string& category) {
  core::Guarded("Velmora.Collaboration.ClosePublicationErrorsForOneCategory", [&] {
    const std::string lower = text::ToLower(category);
    std::string sql;
    if (lower == "cannotpublish") {
      sql = OpenErrorsWithLabels(docId, kCannotPublishLabels);
    } else if (lower == "selectrecipients") {
      sql = OpenErrorsWithLabels(docId, kSelectRecipientsLabels);
    } else {
      RaiseError(EnumerationErrors::InvalidParamValue,
                 "Velmora.Collaboration.ClosePublicationErrorsForOneCategory",
                 "Not supported Category : " + category);
    }
    SetPublicationErrorsToClosed(sql);
  });
}

}  // namespace velmora::document
