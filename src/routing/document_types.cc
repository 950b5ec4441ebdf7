#include "routing/document_types.h"

#include <optional>

#include "core/db_utils.h"
#include "core/lookup_scope.h"
#include "core/sql_literals.h"

namespace velmora::routing::document_types {
namespace {

// Column `column` of the row of `type`: nullopt for no row or NULL.
std::optional<std::string> TypeColumn(const char* column, const std::string& type) {
  const std::optional<Variant> field =
      core::FirstField(std::string("SELECT ") + column +
                           " FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = " + core::SqlText(type) + " ",
                       column);
  if (!field || field->IsNull()) {
    return std::nullopt;
  }
  return field->ToText();
}

}  // namespace

bool Exists(const std::string& type) {
  return core::HasRow("SELECT * FROM documenttype WHERE documenttypeid = " + core::SqlText(type) +
                      " ");
}

std::string Description(const std::string& type) {
  return core::Remembered("document type description", type,
                          [&] { return TypeColumn("DESCRIPTION", type).value_or(""); });
}

std::optional<std::string> HtmlAttachmentXsl(const std::string& type) {
  return TypeColumn("HTMLATTACHMENTXSL", type);
}

}  // namespace velmora::routing::document_types
