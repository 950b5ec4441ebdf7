#pragma once

// Internal to src/platform/xml: the shared tree behind a Document and its Node handles, and the
// tree operations and serialisers the public classes are built from.

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/xml/libxml_runtime.h"
#include "velmora/xml/document.h"
#include "velmora/xml/node.h"

namespace velmora::xml::internal {

// One libxml2 tree, shared by the Document that loaded or built it and by every Node handle
// on it. Nodes are never freed while the tree lives: detached subtrees (removed, replaced, or
// created and not yet inserted) are kept in `orphans` and freed with the tree, so that a
// handle can never point at freed memory.
struct DocState {
  DocState(DocPtr document, bool declaration);
  ~DocState();
  DocState(const DocState&) = delete;
  DocState& operator=(const DocState&) = delete;

  // Records `node` as the root of a detached subtree. REQUIRES: node has no parent.
  void Adopt(xmlNodePtr node) { orphans.insert(node); }
  // `node` was linked into a tree: no longer a detached root.
  void Release(xmlNodePtr node) { orphans.erase(node); }

  DocPtr doc;
  bool had_declaration;
  std::unordered_set<xmlNodePtr> orphans;
};

// A new state holding an empty document.
std::shared_ptr<DocState> NewEmptyState();

struct NodeAccess {
  static Node Make(std::shared_ptr<DocState> state, xmlNodePtr node) {
    return Node(std::move(state), node);
  }
  static xmlNodePtr Raw(const Node& node) { return node.node_; }
  static const std::shared_ptr<DocState>& State(const Node& node) { return node.state_; }
};

struct DocumentAccess {
  static std::unique_ptr<Document> Make(std::shared_ptr<DocState> state) {
    return std::make_unique<Document>(std::move(state));
  }
  static const std::shared_ptr<DocState>& State(const Document& document) {
    return document.state_;
  }
};

// Raises kErrInvalidProcedureCall unless `name` is an XML name (colons allowed).
void RequireXmlName(std::string_view name, const char* source);
// A new detached attribute without value. REQUIRES: name passed RequireXmlName.
xmlNodePtr NewAttribute(DocState& state, std::string_view name);

// One node serialised as UTF-8 XML (attributes as name="value").
std::string SerializeNode(xmlNodePtr node);
// The document text of Document::Xml().
std::string SerializeDocumentText(const DocState& state);
// The document as file bytes in the libxml2 encoding `encoding_name`, with a declaration.
std::string SerializeDocumentBytes(xmlDocPtr doc, const char* encoding_name);

// XPath selection from `context`; see Node::SelectNodes. `source` names the raising method.
NodeList SelectFrom(const std::shared_ptr<DocState>& state, xmlNodePtr context,
                    std::string_view xpath, const char* source);

// Clears the document-order numbers that XSLT processing stores in elements, so that later
// tree changes cannot make XPath results come out of document order.
void ClearElementOrder(xmlDocPtr doc);

}  // namespace velmora::xml::internal
