#include "document/document_type_store.h"

#include "core/bound_sql.h"

namespace velmora::document {
namespace {

Variant TextOrNull(const std::string& text) {
  return text.empty() ? Variant::MakeNull() : Variant(text);
}

DocumentTypeRecord ReadType(const db::Recordset& row) {
  return DocumentTypeRecord{
      core::TextOrEmpty(row, "DOCUMENTTYPEID"),    core::TextOrEmpty(row, "DESCRIPTION"),
      core::TextOrEmpty(row, "EXTDESCRIPTION"),    core::TextOrEmpty(row, "ICONFILENAME"),
      core::TextOrEmpty(row, "HTMLATTACHMENTXSL"), row.Field("SHOWACCEPTREJECT").ToInt32() == 1};
}

DocumentTypeConversion ReadConversion(const db::Recordset& row) {
  return DocumentTypeConversion{
      row.Field("TABLEID").ToInt32(), core::OptionalText(row, "DOCUMENTTYPEID"),
      core::OptionalText(row, "NEWDOCUMENTTYPEID"), core::OptionalText(row, "TRANSFORMXSLNAME")};
}

}  // namespace

bool DocumentTypeStore::Exists(const std::string& id) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::AnyRow(connection,
                        "SELECT DOCUMENTTYPEID FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = ?",
                        {Variant(id)});
  });
}

void DocumentTypeStore::Add(const DocumentTypeRecord& type) {
  core::OnConnection([&](db::Connection& connection) {
    core::ExecuteBound(
        connection,
        "INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION, EXTDESCRIPTION, ICONFILENAME, "
        "HTMLATTACHMENTXSL, SHOWACCEPTREJECT) VALUES (?, ?, ?, ?, ?, ?)",
        {Variant(type.id), Variant(type.description), TextOrNull(type.ext_description),
         TextOrNull(type.icon_file), TextOrNull(type.html_xsl),
         Variant(static_cast<int16_t>(type.show_accept_reject ? 1 : 0))});
  });
}

std::vector<DocumentTypeRecord> DocumentTypeStore::List() {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(
        connection,
        "SELECT DOCUMENTTYPEID, DESCRIPTION, EXTDESCRIPTION, ICONFILENAME, HTMLATTACHMENTXSL, "
        "SHOWACCEPTREJECT FROM DOCUMENTTYPE ORDER BY DOCUMENTTYPEID",
        {}, ReadType);
  });
}

bool DocumentTypeStore::Remove(const std::string& id) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ExecuteBound(connection, "DELETE FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = ?",
                              {Variant(id)}) > 0;
  });
}

std::vector<DocumentTypeConversion> DocumentTypeStore::Conversions() {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(
        connection,
        "SELECT TABLEID, DOCUMENTTYPEID, NEWDOCUMENTTYPEID, TRANSFORMXSLNAME FROM "
        "DOCTYPETODOCTYPE ORDER BY DOCUMENTTYPEID, NEWDOCUMENTTYPEID",
        {}, ReadConversion);
  });
}

bool DocumentTypeStore::ConversionExists(const std::string& doctype,
                                         const std::string& new_doctype) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::AnyRow(connection,
                        "SELECT TABLEID FROM DOCTYPETODOCTYPE WHERE DOCUMENTTYPEID = ? AND "
                        "NEWDOCUMENTTYPEID = ?",
                        {Variant(doctype), Variant(new_doctype)});
  });
}

int32_t DocumentTypeStore::AddConversion(const std::string& doctype, const std::string& new_doctype,
                                         const std::string& xsl) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::InsertReturningId(connection, "DOCTYPETODOCTYPE", "TABLEID",
                                   {{"DOCUMENTTYPEID", Variant(doctype)},
                                    {"NEWDOCUMENTTYPEID", Variant(new_doctype)},
                                    {"TRANSFORMXSLNAME", Variant(xsl)}});
  });
}

bool DocumentTypeStore::RemoveConversion(const std::string& doctype,
                                         const std::string& new_doctype) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ExecuteBound(connection,
                              "DELETE FROM DOCTYPETODOCTYPE WHERE DOCUMENTTYPEID = ? AND "
                              "NEWDOCUMENTTYPEID = ?",
                              {Variant(doctype), Variant(new_doctype)}) > 0;
  });
}

}  // namespace velmora::document
