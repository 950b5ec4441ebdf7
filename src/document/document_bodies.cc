// Writing DOCUMENT rows: the new row, its properties and its three XML bodies.
#include <functional>
#include <optional>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/long_text.h"
#include "core/sql_literals.h"
#include "document/document_dom.h"
#include "document/document_store.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

// Connections that write XML bodies run without a statement time-out.
constexpr int32_t kNoTimeout = 0;

std::string Now() { return CurrentClock().Now().ToText(); }

// Opens `sql` on `connection` for writing and, when it has a row, lets `change` set fields
// of the first row and writes it back. Returns whether there was a row.
bool ChangeFirstRow(db::Connection& connection, const std::string& sql,
                    const std::function<void(db::Recordset&)>& change) {
  auto recordset = connection.OpenRecordset(
      sql, db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
  const bool found = !recordset->IsEOF();
  if (found) {
    change(*recordset);
    recordset->Update();
  }
  recordset->Close();
  return found;
}

// Runs ChangeFirstRow on a new connection (without time-out when `bodies`), closing it on every
// path; failures are reported as `path`.
bool ChangeRow(const std::string& sql, const std::function<void(db::Recordset&)>& change,
               const char* path, bool bodies) {
  return core::Guarded(path, [&]() -> bool {
    std::unique_ptr<db::Connection> connection;
    connection = bodies ? core::GetConnectionWithODBCTimeoutIs(kNoTimeout) : core::GetConnection();
    const bool found = ChangeFirstRow(*connection, sql, change);
    core::CloseConnection(connection);
    return found;
  });
}

// The text of a field that may be NULL.
std::string FieldText(const db::Recordset& recordset, const char* column) {
  const Variant value = recordset.Field(column);
  return value.IsNull() ? std::string() : value.ToText();
}

}  // namespace

bool Document::UpdateDocTableWithDocType(int32_t iDocID, const std::string& iDocTypeID) {
  if (iDocTypeID.empty()) {
    return false;
  }
  return ChangeRow(
      "SELECT DOCUMENTTYPEID " + std::string("FROM DOCUMENT ") +
          "WHERE DOCUMENTID =" + core::SqlLong(iDocID),
      [&](db::Recordset& row) { row.SetField("DOCUMENTTYPEID", Variant(iDocTypeID)); },
      "Velmora.Document.UpdateDocTableWithDocType", false);
}

void Document::UpdateDocumentWithXmlBody(int32_t iDocID, const std::string& iXmlBody) {
  ChangeRow(
      "SELECT XMLBODY, CREATIONDATE FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID),
      [&](db::Recordset& row) {
        row.SetField("CREATIONDATE", Variant(Now()));
        core::SetLongTextField(iXmlBody, "XMLBODY", row);
      },
      "Velmora.Document.UpdateDocumentWithXmlBody", true);
}

void Document::UpdateDocumentWithOriginalXmlBody(int32_t iDocID,
                                                 const std::string& iOriginalXmlBody) {
  ChangeRow(
      "SELECT ORIGINALXMLBODY, ENTRANCEDATE FROM DOCUMENT WHERE DOCUMENTID = " +
          core::SqlLong(iDocID),
      [&](db::Recordset& row) {
        row.SetField("ENTRANCEDATE", Variant(Now()));
        core::SetLongTextField(iOriginalXmlBody, "ORIGINALXMLBODY", row);
      },
      "Velmora.Document.UpdateDocumentWithOriginalXmlBody", true);
}

namespace document {

int32_t StoreOriginalDocument(const std::string& xml) {
  return core::Guarded("Velmora.Document.StoreOriginalDocument", [&]() -> int32_t {
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> recordset;
    connection = core::GetConnectionWithODBCTimeoutIs(kNoTimeout);
    recordset = connection->OpenRecordset(
        "SELECT * FROM DOCUMENT WHERE 0=1",
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    recordset->AddNew();
    const std::string now = Now();
    recordset->SetField("CREATIONDATE", Variant(now));
    recordset->SetField("ENTRANCEDATE", Variant(now));
    recordset->SetField("STATUS", Variant(static_cast<int16_t>(-1)));
    core::SetLongTextField(xml, "ORIGINALXMLBODY", *recordset);
    recordset->Update();
    const int32_t id = recordset->Field("DocumentID").ToInt32();
    recordset->Close();
    recordset.reset();
    core::CloseConnection(connection);
    return id;
  });
}

void UpdateDocument(int32_t docId, const std::string& docTypeId, const std::string& sender,
                    const std::string& defaultReceiver, int16_t status, bool show,
                    int32_t parentDocId) {
  ChangeRow(
      "SELECT * FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(docId),
      [&](db::Recordset& row) {
        if (!text::TrimView(docTypeId).empty()) {
          row.SetField("DOCUMENTTYPEID", Variant(docTypeId));
        }
        row.SetField("STATUS", Variant(status));
        row.SetField("SENDER", Variant(sender));
        row.SetField("DEFAULTRECEIVER", Variant(defaultReceiver));
        if (parentDocId != -1) {
          row.SetField("DOC_DOCUMENTID", Variant(parentDocId));
        }
        row.SetField("SHOW", Variant(static_cast<int16_t>(show ? 1 : 0)));
      },
      "Velmora.Document.UpdateDocument", false);
}

void CopyOriginalXMLtoXMLBody(int32_t docId, bool alsoTemp) {
  ChangeRow(
      "SELECT XMLBODY, TEMPXMLBODY, CREATIONDATE, ORIGINALXMLBODY " +
          std::string("FROM DOCUMENT WHERE DOCUMENTID = ") + core::SqlLong(docId),
      [&](db::Recordset& row) {
        const std::string original = FieldText(row, "ORIGINALXMLBODY");
        core::SetLongTextField(original, "XMLBODY", row);
        if (alsoTemp) {
          core::SetLongTextField(original, "TEMPXMLBODY", row);
        }
        row.SetField("CREATIONDATE", Variant(Now()));
      },
      "Velmora.Document.CopyOriginalXMLtoXMLBody", true);
}

void CopyTempXMLtoXMLBody(int32_t docId) {
  ChangeRow(
      "SELECT XMLBODY, TEMPXMLBODY, CREATIONDATE " +
          std::string("FROM DOCUMENT WHERE DOCUMENTID = ") + core::SqlLong(docId),
      [&](db::Recordset& row) {
        core::SetLongTextField(FieldText(row, "TEMPXMLBODY"), "XMLBODY", row);
        row.SetField("CREATIONDATE", Variant(Now()));
      },
      "Velmora.Document.CopyOriginalXMLtoXMLBody", true);
}

void CopyOriginalXMLtoTempXMLBody(int32_t docId) {
  core::Guarded("Velmora.Document.CopyOriginalXMLtoTempXMLBody", [&] {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnectionWithODBCTimeoutIs(kNoTimeout);
    ChangeFirstRow(*connection,
                   "SELECT TEMPXMLBODY, XMLBODY " + std::string("FROM DOCUMENT ") +
                       "WHERE DOCUMENTID = " + core::SqlLong(docId) +
                       " AND (TEMPXMLBODY LIKE '' OR " +
                       "TEMPXMLBODY IS NULL) AND NOT (XMLBODY LIKE '' OR " + "XMLBODY IS NULL)",
                   [](db::Recordset& row) {
                     core::SetLongTextField(FieldText(row, "XMLBODY"), "TEMPXMLBODY", row);
                   });
    ChangeFirstRow(*connection,
                   "SELECT ORIGINALXMLBODY, TEMPXMLBODY " +
                       std::string("FROM DOCUMENT WHERE DOCUMENTID = ") + core::SqlLong(docId) +
                       " AND " + "(TEMPXMLBODY LIKE '' OR TEMPXMLBODY IS NULL)",
                   [](db::Recordset& row) {
                     core::SetLongTextField(FieldText(row, "ORIGINALXMLBODY"), "TEMPXMLBODY", row);
                   });
    core::CloseConnection(connection);
  });
}

std::shared_ptr<xml::Document> GetTempXmlDomDocument(int32_t docId) {
  return core::Guarded(
      "Velmora.Document.GetTempXmlDomDocument", [&]() -> std::shared_ptr<xml::Document> {
        return LoadBodyIntoDom("SELECT TEMPXMLBODY " +
                                   std::string("FROM DOCUMENT WHERE DOCUMENTID = ") +
                                   core::SqlLong(docId),
                               "TEMPXMLBODY", DomErrorSource::kParserText);
        return nullptr;
      });
}

void UpdateTempXMLBodyWithNULLInDocument(int32_t docId) {
  core::Guarded("Velmora.Document.UpdateTempXMLBodyWithNULLInDocument", [&] {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnectionWithODBCTimeoutIs(kNoTimeout);
    connection->Execute("Update DOCUMENT Set TEMPXMLBODY = Null WHERE " +
                        std::string("DOCUMENTID = ") + core::SqlLong(docId));
    core::CloseConnection(connection);
  });
}

std::string GetXSLFromDoctypeToDoctypeTable(const std::string& oldDocTypeId,
                                            const std::string& newDocTypeId) {
  return core::Guarded("Velmora.Utility.GetXSLFromDoctypeToDoctypeTable", [&]() -> std::string {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    auto recordset = connection->Query(
        "SELECT TRANSFORMXSLNAME FROM DOCTYPETODOCTYPE WHERE " + std::string("DOCUMENTTYPEID = ") +
        core::SqlText(oldDocTypeId) + " AND NEWDOCUMENTTYPEID =" + core::SqlText(newDocTypeId));
    std::string name;
    if (!recordset->IsEOF()) {
      name = FieldText(*recordset, "TRANSFORMXSLNAME");
    }
    recordset.reset();
    core::CloseConnection(connection);
    return name;
  });
}

}  // namespace document
}  // namespace velmora
