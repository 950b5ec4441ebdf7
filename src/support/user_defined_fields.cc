#include "velmora/support/user_defined_fields.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "routing/node_queries.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;

constexpr size_t kMaxTagValueLength = 100;

std::string Path(const std::string& method) { return "Velmora.UserDefinedFields." + method; }

// The caller's connection, else a new one kept in `own`.
db::Connection& Borrow(db::Connection* passed, std::unique_ptr<db::Connection>& own) {
  if (passed != nullptr) {
    return *passed;
  }
  own = core::GetConnection();
  return *own;
}

std::string TextOrEmpty(const Variant& value) {
  return value.IsNull() || value.IsEmpty() ? std::string() : value.ToText();
}

// The node query of a TAGSCONFIG row (columns TAGATTRXSL and XSLPATTERN).
std::string TagPattern(const db::Recordset& definition) {
  const Variant kind = definition.Field("TAGATTRXSL");
  const int32_t number = kind.IsNull() || kind.IsEmpty() ? 0 : kind.ToInt32();
  return routing::node_queries::QueryFor(static_cast<TagAttrXsl>(number),
                                         TextOrEmpty(definition.Field("XSLPATTERN")));
}

void DeleteDocumentValues(db::Connection& connection, int32_t doc_id) {
  connection.Execute("DELETE FROM TAGSVALUE WHERE DOCUMENTID = " + SqlLong(doc_id));
}

// Adds TAGSVALUE rows through one updatable recordset on the connection.
class TagValueWriter {
 public:
  explicit TagValueWriter(db::Connection& connection)
      : rows_(connection.OpenRecordset(
            "SELECT * FROM TAGSVALUE WHERE 0 = 1",
            db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic})) {}
  TagValueWriter(const TagValueWriter&) = delete;
  TagValueWriter& operator=(const TagValueWriter&) = delete;
  ~TagValueWriter() { rows_->Close(); }

  // Stores the value `pattern` finds in `xml`, cut to its first 100 characters.
  void Add(int32_t doc_id, int32_t tag_id, const xml::Document& xml, const std::string& pattern) {
    const std::string value =
        text::Utf8Left(routing::node_queries::FirstText(xml, pattern), kMaxTagValueLength);
    rows_->AddNew();
    rows_->SetField("DOCUMENTID", Variant(doc_id));
    rows_->SetField("TAGID", Variant(tag_id));
    rows_->SetField("TAGVALUE", Variant(value));
    try {
      rows_->Update();
    } catch (...) {
      // The refused row must not be written again by the next AddNew.
      rows_->CancelUpdate();
      throw;
    }
  }

 private:
  std::unique_ptr<db::Recordset> rows_;
};

// Stores the tag's value for each document of `documents` (DOCUMENTID, XMLBODY) whose body
// loads into a non-empty XML document. A document that fails is logged and skipped.
void AddValuesForDocuments(db::Connection& connection, db::Recordset& documents,
                           const std::string& doc_type, int32_t tag_id,
                           const std::string& pattern) {
  TagValueWriter writer(connection);
  for (; !documents.IsEOF(); documents.MoveNext()) {
    const Variant id = documents.Field("DOCUMENTID");
    try {
      const Variant body = documents.Field("XMLBODY");
      xml::Document xml;
      if (body.IsNull() || !xml.LoadXml(body.ToText()) || xml.Xml().empty()) {
        continue;
      }
      connection.Execute("DELETE FROM TAGSVALUE WHERE DOCUMENTID = " + SqlLong(id.ToInt32()) +
                         " AND TAGID = " + SqlLong(tag_id));
      writer.Add(id.ToInt32(), tag_id, xml, pattern);
    } catch (...) {
      core::LogError("Velmora.Utility.AddTagsValueTable",
                     Variant("Unable to update user-defined fields for xml document with id '" +
                             id.ToText() + " and type '" + doc_type + "'"));
    }
  }
}

}  // namespace

bool UserDefinedFields::FillTagsValueTable(int32_t iDocID, const std::string& iDocTypeID,
                                           const std::shared_ptr<xml::Document>& iXmlDoc,
                                           db::Connection* iConn) {
  return core::Guarded(Path("FillTagsValueTable"), [&]() -> bool {
    std::unique_ptr<db::Connection> own;
    db::Connection& connection = Borrow(iConn, own);
    const auto xml = iXmlDoc ? iXmlDoc : std::make_shared<xml::Document>();
    if (own) {
      own->Begin();
    }
    if (xml->Xml().empty()) {
      DeleteDocumentValues(connection, iDocID);
    } else {
      auto definitions = connection.QueryDisconnected(
          "SELECT XSLPATTERN, TAGID, TAGATTRXSL FROM TAGSCONFIG WHERE DOCUMENTTYPEID = " +
          SqlText(iDocTypeID) + " ");
      DeleteDocumentValues(connection, iDocID);
      TagValueWriter writer(connection);
      for (; !definitions->IsEOF(); definitions->MoveNext()) {
        writer.Add(iDocID, definitions->Field("TAGID").ToInt32(), *xml, TagPattern(*definitions));
      }
    }
    if (own) {
      own->Commit();
    }
    core::CloseConnection(own);
    return true;
  });
}

void UserDefinedFields::UpdateValuesInTagsValueTable(int32_t iDocID,
                                                     const std::string& iDocTypeID) {
  core::Guarded(Path("UpdateValuesInTagsValueTable"), [&] {
    std::unique_ptr<db::Connection> connection;
    const std::shared_ptr<xml::Document> xml = Document().GetXmlDomDocument(iDocID);
    connection = core::GetConnection();
    connection->Begin();
    DeleteTagsForDocument(iDocID, connection.get());
    FillTagsValueTable(iDocID, iDocTypeID, xml, connection.get());
    connection->Commit();
    core::CloseConnection(connection);
  });
}

void UserDefinedFields::DeleteTagsForDocument(int32_t iDocID, db::Connection* iConn) {
  core::Guarded(Path("DeleteTagsForDocument"), [&] {
    std::unique_ptr<db::Connection> own;
    DeleteDocumentValues(Borrow(iConn, own), iDocID);
    core::CloseConnection(own);
  });
}

void UserDefinedFields::UpdateTagsValueTable(const std::string& iDocTypeID, int32_t iTagID) {
  core::Guarded(
      Path("UpdateTagsValueTable"),
      [&] {
        std::unique_ptr<db::Connection> connection;
        connection = core::GetConnection();
        connection->Execute("DELETE FROM TAGSVALUE WHERE TAGID = " + SqlLong(iTagID));
        AddTagsValueTable(iDocTypeID, iTagID, connection.get());
        core::CloseConnection(connection);
      },
      [&] {
        return Variant("Doc. Type ID: '" + iDocTypeID + "' Tag ID: '" + SqlLong(iTagID) + "'");
      });
}

void UserDefinedFields::AddTagsValueTable(const std::string& iDocTypeID, int32_t iTagID,
                                          db::Connection* iConn) {
  std::string pattern;
  core::Guarded(
      Path("AddTagsValueTable"),
      [&] {
        std::unique_ptr<db::Connection> own;
        db::Connection& connection = Borrow(iConn, own);
        auto definition = connection.QueryDisconnected(
            "SELECT XSLPATTERN, TAGATTRXSL FROM TAGSCONFIG WHERE DOCUMENTTYPEID = " +
            SqlText(iDocTypeID) + " AND TAGID = " + SqlLong(iTagID));
        if (!definition->IsEOF()) {
          pattern = TagPattern(*definition);
          auto documents = connection.QueryDisconnected(
              "SELECT DOCUMENTID, XMLBODY FROM DOCUMENT WHERE DOCUMENTTYPEID = " +
              SqlText(iDocTypeID) + " ");
          AddValuesForDocuments(connection, *documents, iDocTypeID, iTagID, pattern);
        }
        core::CloseConnection(own);
      },
      [&] {
        return Variant("Document Type ID: '" + iDocTypeID + "', Tag ID: '" + SqlLong(iTagID) +
                       "', XSL pattern: '" + pattern + "'");
      });
}

}  // namespace velmora
