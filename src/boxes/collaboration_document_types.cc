// Collaboration's dictionary of document types, with a checked order.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/boxes/collaboration.h"

namespace velmora {
namespace {

constexpr const char* kSource = "Velmora.getAllDocumentTypes";

[[noreturn]] void RefuseOrder(const std::string& order, const std::string& reason) {
  RaiseError(EnumerationErrors::InvalidParamValue, kSource,
             "The order '" + order + "' is refused: " + reason +
                 ". Give DOCUMENTTYPE column names separated by commas, each optionally "
                 "followed by ASC or DESC.");
}

// Refuses anything but a comma-separated list of DOCUMENTTYPE's column names (optionally
// written DOCUMENTTYPE.<column>), each optionally followed by ASC or DESC, so that the order
// can stand after ORDER BY as written.
void CheckOrder(db::Connection& connection, const std::string& order) {
  auto columns = connection.Query("SELECT * FROM DOCUMENTTYPE WHERE 0=1");
  std::vector<std::string> known;
  for (int32_t i = 0; i < columns->FieldCount(); ++i) {
    known.push_back(columns->FieldName(i));
  }
  columns->Close();
  for (const std::string& item : text::Split(order, ",")) {
    std::vector<std::string> words;
    for (const std::string& word : text::Split(text::Trim(item), " ")) {
      if (!word.empty()) {
        words.push_back(word);
      }
    }
    if (words.empty() || words.size() > 2) {
      RefuseOrder(order, "'" + item + "' is not a column with an optional direction");
    }
    std::string_view column = words[0];
    if (text::IStartsWith(column, "DOCUMENTTYPE.")) {
      column.remove_prefix(std::string_view("DOCUMENTTYPE.").size());
    }
    bool found = false;
    for (const std::string& name : known) {
      found = found || text::IEquals(column, name);
    }
    if (!found) {
      RefuseOrder(order, "'" + words[0] + "' is not a column of DOCUMENTTYPE");
    }
    if (words.size() == 2 && !text::IEquals(words[1], "ASC") && !text::IEquals(words[1], "DESC")) {
      RefuseOrder(order, "'" + words[1] + "' is neither ASC nor DESC");
    }
  }
}

}  // namespace

std::shared_ptr<Dictionary> Collaboration::getAllDocumentTypes(const Variant& iOrderBy) {
  return core::Guarded(kSource, [&]() -> std::shared_ptr<Dictionary> {
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> recordset;
    const std::string order =
        iOrderBy.IsEmpty() || iOrderBy.IsNull() ? std::string() : iOrderBy.ToText();
    std::string sql = "SELECT DOCUMENTTYPEID, DESCRIPTION FROM DOCUMENTTYPE";
    connection = core::GetConnection();
    if (!order.empty()) {
      CheckOrder(*connection, order);
      sql += " ORDER BY " + order;
    }
    recordset = connection->Query(sql);
    auto types = std::make_shared<Dictionary>();
    while (!recordset->IsEOF()) {
      const Variant description = recordset->Field("DESCRIPTION");
      types->Add(text::Trim(recordset->Field("DOCUMENTTYPEID").ToText()),
                 description.IsNull() ? description : Variant(text::Trim(description.ToText())));
      recordset->MoveNext();
    }
    core::CloseRecordset(recordset);
    core::CloseConnection(connection);
    return types;
  });
}

}  // namespace velmora
