#include "core/publication_errors.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/long_text.h"
#include "core/lookup_scope.h"
#include "core/sql_literals.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"

namespace velmora::core {
namespace {

constexpr size_t kSourceLength = 255;

bool IsPlainTableName(const std::string& table) {
  if (table.empty() || table.size() > 128) {
    return false;
  }
  for (size_t i = 0; i < table.size(); ++i) {
    const char c = table[i];
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0)) {
      return false;
    }
  }
  return true;
}

// The type of document `docId`, "" when it has none or there is no such document.
std::string ReadDocumentType(int32_t docId) {
  std::unique_ptr<db::Connection> connection = GetConnection();
  try {
    auto recordset = connection->Query("SELECT DOCUMENTTYPEID FROM DOCUMENT WHERE DOCUMENTID = " +
                                       SqlLong(docId));
    std::string type;
    if (!recordset->IsEOF()) {
      const Variant value = recordset->Field("DOCUMENTTYPEID");
      type = value.IsNull() ? std::string() : text::Trim(value.ToText());
    }
    recordset.reset();
    CloseConnection(connection);
    return type;
  } catch (...) {
    CloseConnection(connection);
    throw;
  }
}

}  // namespace

std::string DocumentTypeOfDocument(int32_t docId) {
  return Remembered("document type of", std::to_string(docId),
                    [&] { return ReadDocumentType(docId); });
}

int32_t LogPublicationError(int32_t docId, int32_t number, const std::string& description,
                            const std::string& source, const std::string& code,
                            const XmlDocumentRef& replacements) {
  std::unique_ptr<db::Connection> connection;
  std::unique_ptr<db::Recordset> recordset;
  try {
    if (DocumentTypeOfDocument(docId).empty()) {
      return 0;
    }
    connection = GetConnection();
    recordset = connection->OpenRecordset(
        "SELECT * FROM PUBLICATIONERRORS WHERE PUBLICATIONERRORID=-1",
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    recordset->AddNew();
    recordset->SetField("DOCUMENTID", Variant(docId));
    recordset->SetField("ERRORNUMBER", Variant(number));
    recordset->SetField("DESCRIPTION", Variant(description));
    recordset->SetField("SOURCE", Variant(text::Utf8Left(source, kSourceLength)));
    if (!code.empty()) {
      recordset->SetField("LABEL", Variant(code));
    }
    recordset->SetField("CREATIONDATE", Variant(CurrentClock().Now().ToText()));
    if (replacements) {
      core::SetLongTextField(replacements->Xml(), "REPLACEMENTS", *recordset);
    }
    recordset->Update();
    const int32_t id = recordset->Field("PUBLICATIONERRORID").ToInt32();
    recordset.reset();
    CloseConnection(connection);
    return id;
  } catch (...) {
    recordset.reset();
    CloseConnection(connection);
    ReportError("Velmora.General.LogPublicationError");
  }
  return 0;
}

int32_t LogPublicationError(int32_t docId, int32_t number, const std::string& description,
                            const std::string& source, const std::string& code) {
  try {
    return LogPublicationError(docId, number, description, source, code, nullptr);
  } catch (...) {
    ReportError("Velmora.PublicationErrorHandlingLogPublicationError");
  }
  return 0;
}

XmlDocumentRef NewReplacementsXml() {
  auto doc = std::make_shared<xml::Document>();
  doc->SetDocumentElement(doc->CreateElement("REPS"));
  return doc;
}

void AddReplacement(xml::Document& doc, const std::string& key, const std::string& value) {
  xml::Node rep = doc.CreateElement("REP");
  rep.AppendChild(doc.CreateTextNode(value));
  rep.SetAttribute("name", key);
  auto root = doc.DocumentElement();
  if (!root) {
    throw Error(kErrObjectRequired, "Velmora.General.AddReplacement",
                "The replacements document has no document element");
  }
  root->AppendChild(rep);
}

void FillReplacementsXml(XmlDocumentRef& doc, const Dictionary& replacements) {
  std::optional<xml::Node> root = doc ? doc->DocumentElement() : std::nullopt;
  if (!root || text::Trim(root->Name()) != "REPS") {
    doc = NewReplacementsXml();
  }
  for (const auto& [key, value] : replacements.entries()) {
    AddReplacement(*doc, key, value.IsNull() ? std::string() : value.ToText());
  }
}

void GetAllReplacementsFromTable(std::shared_ptr<Dictionary>& dictionary, const std::string& table,
                                 int32_t id) {
  if (!dictionary) {
    dictionary = std::make_shared<Dictionary>();
  }
  if (!IsPlainTableName(table)) {
    RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.General.GetAllReplacementsFromTable",
               "'" + table + "' is not a table name");
  }
  std::unique_ptr<db::Connection> connection = GetConnection();
  try {
    auto recordset = connection->Query(" SELECT REPLACEMENTS FROM " + table +
                                       " WHERE PUBLICATIONERRORID = " + SqlLong(id));
    std::string stored;
    if (!recordset->IsEOF()) {
      const Variant value = recordset->Field("REPLACEMENTS");
      stored = value.IsNull() ? std::string() : value.ToText();
    }
    recordset.reset();
    CloseConnection(connection);
    if (text::TrimView(stored).empty()) {
      return;
    }
    xml::Document doc;
    if (!doc.LoadXml(stored)) {
      return;
    }
    for (const xml::Node& rep : doc.SelectNodes("//REP")) {
      dictionary->Add(rep.GetAttribute("name").value_or(""), Variant(rep.Text()));
    }
  } catch (...) {
    CloseConnection(connection);
    throw;
  }
}

}  // namespace velmora::core
