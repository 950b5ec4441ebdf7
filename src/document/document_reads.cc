// Document's reads of one DOCUMENT row: bodies, properties, status, children.
#include <optional>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/lookup_scope.h"
#include "core/publication_errors.h"
#include "core/sql_literals.h"
#include "document/document_dom.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"

namespace velmora {
namespace {

// The text of a value read by core::FirstField: "" for no row and for NULL.
std::string TextOrEmpty(const std::optional<Variant>& value) {
  return value && !value->IsNull() ? value->ToText() : std::string();
}

// Every row of `sql` in the GetRows form, or Empty when there is none.
Variant AllRows(db::Connection& connection, const std::string& sql) {
  auto recordset = connection.Query(sql);
  Variant rows;
  if (!recordset->IsEOF()) {
    rows = Variant(recordset->GetRows());
  }
  recordset->Close();
  return rows;
}

// Refuses anything but a comma-separated list of DOCUMENT's column names (blanks around
// each allowed, case ignored), so that the list can stand in a select list as written.
void CheckDocumentColumnList(db::Connection& connection, const std::string& fieldNames) {
  auto columns = connection.Query("SELECT * FROM DOCUMENT WHERE 0=1");
  std::vector<std::string> known;
  for (int32_t i = 0; i < columns->FieldCount(); ++i) {
    known.push_back(columns->FieldName(i));
  }
  columns->Close();
  for (const std::string& piece : text::Split(fieldNames, ",")) {
    const std::string_view name = text::TrimView(piece);
    bool found = false;
    for (const std::string& column : known) {
      found = found || text::IEquals(name, column);
    }
    if (!found) {
      RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Document.getDocumentProperty",
                 "The field list '" + fieldNames + "' holds '" + std::string(name) +
                     "', which is not a column of DOCUMENT; give column names separated "
                     "by commas.");
    }
  }
}

}  // namespace

std::string Document::GetXmlDocument(int32_t iDocID) {
  return core::Guarded("Velmora.Document.GetXmlDocument", [&]() -> std::string {
    return TextOrEmpty(core::FirstField(
        "SELECT xmlbody FROM document WHERE documentid = " + core::SqlLong(iDocID), "XMLBODY"));
    return {};
  });
}

std::shared_ptr<xml::Document> Document::GetXmlDomDocument(int32_t iDocID) {
  return core::Guarded(
      "Velmora.Document.GetXmlDomDocument", [&]() -> std::shared_ptr<xml::Document> {
        return document::LoadBodyIntoDom(
            "SELECT XMLBODY FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID), "XMLBODY",
            document::DomErrorSource::kFixed);
        return nullptr;
      });
}

std::string Document::GetOriginalXmlDocument(int32_t iDocID) {
  return core::Guarded("Velmora.Document.GetOriginalXmlDocument", [&]() -> std::string {
    return TextOrEmpty(core::FirstField(
        "SELECT ORIGINALXMLBODY FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID),
        "ORIGINALXMLBODY"));
    return {};
  });
}

std::string Document::GetDocumentTypeOfDocument(int32_t iDocID) {
  return core::Guarded("Velmora.Document.GetDocumentTypeOfDocument",
                       [&]() -> std::string { return core::DocumentTypeOfDocument(iDocID); });
}

std::string Document::GetSenderOfDocument(int32_t iDocID) {
  return core::Guarded("Velmora.Document.GetSenderOfDocument", [&]() -> std::string {
    return core::Remembered("sender of", std::to_string(iDocID), [&] {
      return TextOrEmpty(core::FirstField(
          "SELECT SENDER FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID), "SENDER"));
    });
  });
}

DOCUMENTSTATUS Document::GetStatusOfDocument(int32_t iDocID) {
  return core::Guarded("Velmora.Document.GetStatusOfDocument", [&]() -> DOCUMENTSTATUS {
    const std::optional<Variant> value = core::FirstField(
        "SELECT STATUS FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID), "STATUS");
    if (!value || value->IsNull()) {
      return DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS;
    }
    const int32_t status = value->ToInt32();
    if (status < 0 || status > 5) {
      return DOCUMENTSTATUS::DOCUMENTUNKNOWNSTATUS;
    }
    return static_cast<DOCUMENTSTATUS>(status);
  });
}

bool Document::GetShowFlag(int32_t i_lDocID) {
  return core::Guarded("Velmora.Document.GetShowFlag", [&]() -> bool {
    const std::optional<Variant> value = core::FirstField(
        "SELECT SHOW FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(i_lDocID), "SHOW");
    return value && !value->IsNull() && value->ToBool();
  });
}

int32_t Document::GetParentDocIdOfDocument(int32_t iDocID) {
  return core::Guarded("Velmora.Document.GetParentDocIdOfDocument", [&]() -> int32_t {
    const std::optional<Variant> value = core::FirstField(
        "SELECT DOC_DOCUMENTID FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(iDocID),
        "DOC_DOCUMENTID");
    return value && !value->IsNull() ? value->ToInt32() : -1;
  });
}

Variant Document::getChildDocuments(int32_t i_lParentDocID) {
  return core::Guarded("Velmora.Document.getChildDocuments", [&]() -> Variant {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    Variant rows = AllRows(*connection,
                           "SELECT DOCUMENTID, DOCUMENTTYPEID FROM DOCUMENT WHERE "
                           "DOC_DOCUMENTID = " +
                               core::SqlLong(i_lParentDocID));
    core::CloseConnection(connection);
    return rows;
  });
}

Variant Document::getDocumentProperty(int32_t i_lDocID, const std::string& i_sFieldNames) {
  return core::Guarded("Velmora.Document.getDocumentProperty", [&]() -> Variant {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    CheckDocumentColumnList(*connection, i_sFieldNames);
    Variant rows =
        AllRows(*connection, "SELECT TOP 1 " + i_sFieldNames +
                                 " FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(i_lDocID));
    core::CloseConnection(connection);
    return rows;
  });
}

}  // namespace velmora
