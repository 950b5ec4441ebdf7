#include "document/document_dom.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "document/document_store.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::document {

std::shared_ptr<xml::Document> LoadBodyIntoDom(const std::string& sql, const std::string& column,
                                               DomErrorSource source) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  std::string body;
  bool found = false;
  try {
    auto recordset = connection->Query(sql);
    if (!recordset->IsEOF()) {
      found = true;
      const Variant value = recordset->Field(column);
      body = value.IsNull() ? std::string() : value.ToText();
    }
    recordset.reset();
    core::CloseConnection(connection);
  } catch (...) {
    core::CloseConnection(connection);
    throw;
  }
  auto doc = std::make_shared<xml::Document>();
  if (found && !doc->LoadXml(body)) {
    const xml::ParseError& failure = doc->parse_error();
    throw Error(failure.code,
                source == DomErrorSource::kFixed ? "Velmora.Document.GetXMLDomDocument"
                                                 : failure.source_text,
                "DOM Error: " + failure.reason, failure.url, failure.line);
  }
  return doc;
}

bool GetShowFlagFromDoc(const xml::Document* doc) {
  return core::Guarded("Velmora.Document.GetShowFlagFromDoc", [&]() -> bool {
    if (doc == nullptr) {
      return false;
    }
    const std::optional<xml::Node> node = doc->SelectSingleNode("//B2BSHOW");
    const std::string flag = node ? text::Trim(node->Text()) : std::string();
    return text::ToUpper(flag) == "TRUE" || flag == "1";
  });
}

}  // namespace velmora::document
