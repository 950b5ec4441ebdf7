#include "routing/node_queries.h"

#include <optional>

#include "velmora/base/text.h"

namespace velmora::routing::node_queries {

std::string FirstText(const xml::Document& document, const std::string& query) {
  if (query.empty()) {
    return "";
  }
  try {
    std::optional<xml::Node> node = document.SelectSingleNode(query);
    return node ? text::Trim(node->Text()) : std::string();
  } catch (...) {
    // An invalid query finds nothing; callers read "" as "not found".
    return "";
  }
}

std::shared_ptr<xml::NodeList> AllNodes(const xml::Document& document, const std::string& query) {
  try {
    return std::make_shared<xml::NodeList>(document.SelectNodes(query));
  } catch (...) {
    // An invalid query gives no list; callers read nothing as "not found".
    return nullptr;
  }
}

std::string QueryFor(TagAttrXsl kind, const std::string& value) {
  switch (kind) {
    case TagAttrXsl::TAGVALUE:
      return "//" + value;
    case TagAttrXsl::ATTRVALUE:
      return "//@" + value;
    case TagAttrXsl::XSLPATTERN:
      return value;
    default:
      return "";
  }
}

}  // namespace velmora::routing::node_queries
