#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/base/variant.h"

struct _xmlNode;

namespace velmora::xml {

namespace internal {
struct DocState;
struct NodeAccess;
}  // namespace internal

class Document;
class NodeList;

// Kinds of nodes, numbered as the DOM numbers them.
enum class NodeType {
  kOther = 0,
  kElement = 1,
  kAttribute = 2,
  kText = 3,
  kCData = 4,
  kEntityReference = 5,
  kEntity = 6,
  kProcessingInstruction = 7,
  kComment = 8,
  kDocument = 9,
  kDocumentType = 10,
  kDocumentFragment = 11,
  kNotation = 12,
};

// A handle on one node of a Document: cheap to copy, and valid for as long as the handle
// exists, because it shares ownership of the document's tree (a node may outlive the Document
// object it came from). A node that is removed from the tree, or created and never inserted,
// stays alive until the tree itself is freed. Handles behave like pointers: a const Node still
// names a node that can be changed. A tree and all handles on it may be used by one thread at a
// time; different documents may be used on different threads.
//
// Misuse (a node of another document, a cycle, a second document element, an invalid name, an
// operation the node kind does not have) raises Error kErrInvalidProcedureCall.
class Node {
 public:
  NodeType Type() const;
  // nodeName: the qualified name of elements, attributes, processing instructions and entity
  // references; "#text", "#cdata-section", "#comment", "#document" otherwise.
  std::string Name() const;
  // The name without its prefix, and the namespace URI ("" when none).
  std::string LocalName() const;
  std::string NamespaceUri() const;

  // The text: for elements and documents every descendant text and CDATA section
  // concatenated in document order (comments and processing instructions excluded), for
  // attributes their value, for text, CDATA, comments and processing instructions their
  // content. Nothing is trimmed.
  std::string Text() const;
  // Elements and attributes: replaces every child by one text node holding `text` (no child
  // at all when `text` is empty). Text, CDATA, comment, processing instruction: sets the
  // content. Raises for documents, entity references and document types, for a comment holding
  // "--" or ending in "-", and for processing instruction data holding "?>".
  void SetText(std::string_view text) const;
  // The node serialised as UTF-8 XML text without added whitespace: elements with no children
  // as <a/>; attributes as name="value"; a document as Document::Xml().
  std::string Xml() const;

  // Attributes of an element, found by qualified name. Namespace declarations are not
  // attributes here. The setters raise for nodes that are not elements.
  std::optional<std::string> GetAttribute(std::string_view name) const;
  // Creates the attribute or replaces its value; the value is taken literally ("&", "<" and
  // quotes are escaped when serialised).
  void SetAttribute(std::string_view name, std::string_view value) const;
  // True when the attribute existed.
  bool RemoveAttribute(std::string_view name) const;
  std::optional<Node> GetAttributeNode(std::string_view name) const;
  // Attaches an attribute node (from Document::CreateAttribute or detached); returns the
  // attribute of the same name it replaced, if any.
  std::optional<Node> SetAttributeNode(const Node& attribute) const;
  // The attribute nodes of an element in document order; empty for other kinds.
  NodeList Attributes() const;

  // The parent: the element or document holding the node; for an attribute, its element;
  // none for the document, for detached nodes and for nodes never inserted.
  std::optional<Node> Parent() const;
  std::optional<Node> FirstChild() const;
  std::optional<Node> LastChild() const;
  std::optional<Node> NextSibling() const;
  std::optional<Node> PreviousSibling() const;
  bool HasChildNodes() const;
  // Children of elements, documents and attributes, in document order (a snapshot, not live).
  NodeList ChildNodes() const;

  // Tree changes for element and document parents. A child that is already in the tree is
  // moved. Adjacent text nodes are never merged. Each returns the node the DOM returns: the
  // child appended, inserted or removed, or the child replaced.
  Node AppendChild(const Node& child) const;
  // Inserts `child` before `reference`, or at the end when `reference` is empty. Raises when
  // `reference` is not a child of this node.
  Node InsertBefore(const Node& child, const std::optional<Node>& reference) const;
  // Raises when `child` is not a child of this node.
  Node RemoveChild(const Node& child) const;
  Node ReplaceChild(const Node& replacement, const Node& old_child) const;
  // A detached copy in the same document: with attributes always, with descendants when
  // `deep`. Raises for the document node.
  Node CloneNode(bool deep) const;

  // XPath 1.0 evaluated with this node as context node; the namespace prefixes declared in
  // scope of the node may be used. Results are in document order; namespace nodes are left
  // out. An invalid expression, or one that does not select nodes, raises Error
  // EnumerationErrors::InvalidXSLPatternError with the parser's message.
  NodeList SelectNodes(std::string_view xpath) const;
  // The first node of SelectNodes in document order, or none.
  std::optional<Node> SelectSingleNode(std::string_view xpath) const;

  // A Document object over the tree this node belongs to (a new wrapper sharing the tree).
  std::shared_ptr<Document> OwnerDocument() const;

  // Same node of the same tree.
  bool operator==(const Node& other) const { return node_ == other.node_; }

 private:
  friend struct internal::NodeAccess;
  Node(std::shared_ptr<internal::DocState> state, _xmlNode* node);

  std::shared_ptr<internal::DocState> state_;
  _xmlNode* node_;
};

// An ordered list of nodes, as selections and child lists return them: a snapshot that does
// not follow later tree changes. Can be held by a Variant (TypeName "NodeList").
class NodeList : public Object {
 public:
  NodeList() = default;
  explicit NodeList(std::vector<Node> nodes) : nodes_(std::move(nodes)) {}

  std::string TypeName() const override { return "NodeList"; }

  size_t Count() const { return nodes_.size(); }
  bool Empty() const { return nodes_.empty(); }
  // 0-based. Raises Error kErrSubscriptOutOfRange when index >= Count().
  const Node& Item(size_t index) const;

  std::vector<Node>::const_iterator begin() const { return nodes_.begin(); }
  std::vector<Node>::const_iterator end() const { return nodes_.end(); }

 private:
  std::vector<Node> nodes_;
};

}  // namespace velmora::xml
