#pragma once

#include <memory>
#include <string>

#include "velmora/routing/tag_attr_xsl.h"
#include "velmora/xml/document.h"
#include "velmora/xml/node.h"

// Node queries (XPath 1.0) on parsed documents, and the queries of stored values.
namespace velmora::routing::node_queries {

// The text of the first node `query` selects in `document`, without leading and trailing
// blanks; "" for an empty query, no match, or an invalid query. Never raises.
std::string FirstText(const xml::Document& document, const std::string& query);

// Every node `query` selects, in document order; nullptr when the query is invalid. Never
// raises.
std::shared_ptr<xml::NodeList> AllNodes(const xml::Document& document, const std::string& query);

// The query for a stored value: TAGVALUE "//" + value, ATTRVALUE "//@" + value, XSLPATTERN
// the value unchanged, any other kind "".
std::string QueryFor(TagAttrXsl kind, const std::string& value);

}  // namespace velmora::routing::node_queries
