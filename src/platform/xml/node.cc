#include "velmora/xml/node.h"

#include <libxml/tree.h>

#include "platform/xml/dom_state.h"
#include "velmora/base/error.h"
#include "velmora/xml/document.h"

namespace velmora::xml {
namespace {

using internal::DocState;
using internal::NodeAccess;
using internal::ToString;

constexpr const char* kSource = "Velmora.Xml.Node";

[[noreturn]] void Misuse(const std::string& description) {
  throw Error(kErrInvalidProcedureCall, kSource, description);
}

bool IsDocument(xmlNodePtr node) {
  return node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE;
}

// Element, attribute, document and fragment nodes own their children; entity references
// only show the entity's shared content, which is not exposed.
bool HasOwnChildren(xmlNodePtr node) {
  return node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE || IsDocument(node) ||
         node->type == XML_DOCUMENT_FRAG_NODE;
}

std::string QualifiedName(xmlNodePtr node) {
  std::string name = ToString(node->name);
  if ((node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) && node->ns != nullptr &&
      node->ns->prefix != nullptr) {
    return ToString(node->ns->prefix) + ":" + name;
  }
  return name;
}

xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view name) {
  if (element->type != XML_ELEMENT_NODE) {
    return nullptr;
  }
  for (xmlAttrPtr attribute = element->properties; attribute != nullptr;
       attribute = attribute->next) {
    if (QualifiedName(reinterpret_cast<xmlNodePtr>(attribute)) == name) {
      return attribute;
    }
  }
  return nullptr;
}

std::string Content(xmlNodePtr node) {
  internal::XmlCharPtr text(xmlNodeGetContent(node));
  return ToString(text.get());
}

std::optional<Node> Wrap(const std::shared_ptr<DocState>& state, xmlNodePtr node) {
  if (node == nullptr) {
    return std::nullopt;
  }
  return NodeAccess::Make(state, node);
}

void RequireElement(xmlNodePtr node, const char* operation) {
  if (node->type != XML_ELEMENT_NODE) {
    Misuse(std::string(operation) + " needs an element");
  }
}

// Detaches `node` from wherever it is and records it as a detached root.
void Detach(DocState& state, xmlNodePtr node) {
  xmlUnlinkNode(node);
  state.Adopt(node);
}

// Replaces every child of `parent` by one text node (none for empty text).
void ReplaceChildrenWithText(DocState& state, xmlNodePtr parent, std::string_view text) {
  while (parent->children != nullptr) {
    Detach(state, parent->children);
  }
  if (text.empty()) {
    return;
  }
  std::string value(text);
  xmlNodePtr node = xmlNewDocText(state.doc.get(), internal::ToXmlChar(value));
  node->parent = parent;
  parent->children = node;
  parent->last = node;
}

bool ChildAllowed(xmlNodePtr parent, xmlNodePtr child) {
  switch (child->type) {
    case XML_ELEMENT_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return true;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
      return parent->type == XML_ELEMENT_NODE;
    default:
      return false;
  }
}

bool IsAncestorOrSelf(xmlNodePtr candidate, xmlNodePtr node) {
  for (xmlNodePtr current = node; current != nullptr; current = current->parent) {
    if (current == candidate) {
      return true;
    }
  }
  return false;
}

// Links `child` under `parent` before `reference` (at the end when null), moving it when it is
// already in the tree. `replacing` is the child about to be removed, if any (it may be the
// document element that `child` replaces). Never merges text nodes.
void Link(DocState& state, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr reference,
          xmlNodePtr replacing) {
  if (parent->type != XML_ELEMENT_NODE && !IsDocument(parent)) {
    Misuse("Only elements and documents can have child nodes inserted");
  }
  if (!ChildAllowed(parent, child)) {
    Misuse("A node of this kind cannot be a child of a " +
           std::string(IsDocument(parent) ? "document" : "element"));
  }
  if (IsAncestorOrSelf(child, parent)) {
    Misuse("A node cannot be inserted below itself");
  }
  if (reference != nullptr && reference->parent != parent) {
    Misuse("The reference node is not a child of this node");
  }
  if (IsDocument(parent) && child->type == XML_ELEMENT_NODE) {
    xmlNodePtr root = xmlDocGetRootElement(state.doc.get());
    if (root != nullptr && root != child && root != replacing) {
      Misuse("The document already has a document element");
    }
  }
  if (reference == child) {
    return;
  }
  xmlUnlinkNode(child);
  state.Release(child);
  child->parent = parent;
  if (reference != nullptr) {
    child->next = reference;
    child->prev = reference->prev;
    if (reference->prev != nullptr) {
      reference->prev->next = child;
    } else {
      parent->children = child;
    }
    reference->prev = child;
  } else {
    child->prev = parent->last;
    child->next = nullptr;
    if (parent->last != nullptr) {
      parent->last->next = child;
    } else {
      parent->children = child;
    }
    parent->last = child;
  }
  if (child->type == XML_ELEMENT_NODE) {
    xmlReconciliateNs(state.doc.get(), child);
  }
}

void RequireSameTree(const std::shared_ptr<DocState>& mine, const Node& other) {
  if (NodeAccess::State(other) != mine) {
    Misuse("The node belongs to another document; import it first");
  }
}

}  // namespace

Node::Node(std::shared_ptr<internal::DocState> state, _xmlNode* node)
    : state_(std::move(state)), node_(node) {}

NodeType Node::Type() const {
  switch (node_->type) {
    case XML_ELEMENT_NODE:
      return NodeType::kElement;
    case XML_ATTRIBUTE_NODE:
      return NodeType::kAttribute;
    case XML_TEXT_NODE:
      return NodeType::kText;
    case XML_CDATA_SECTION_NODE:
      return NodeType::kCData;
    case XML_ENTITY_REF_NODE:
      return NodeType::kEntityReference;
    case XML_ENTITY_NODE:
    case XML_ENTITY_DECL:
      return NodeType::kEntity;
    case XML_PI_NODE:
      return NodeType::kProcessingInstruction;
    case XML_COMMENT_NODE:
      return NodeType::kComment;
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return NodeType::kDocument;
    case XML_DOCUMENT_TYPE_NODE:
    case XML_DTD_NODE:
      return NodeType::kDocumentType;
    case XML_DOCUMENT_FRAG_NODE:
      return NodeType::kDocumentFragment;
    case XML_NOTATION_NODE:
      return NodeType::kNotation;
    default:
      return NodeType::kOther;
  }
}

std::string Node::Name() const {
  switch (node_->type) {
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return "#document";
    case XML_DOCUMENT_FRAG_NODE:
      return "#document-fragment";
    default:
      return QualifiedName(node_);
  }
}

std::string Node::LocalName() const {
  if (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE) {
    return ToString(node_->name);
  }
  return Name();
}

std::string Node::NamespaceUri() const {
  if ((node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE) &&
      node_->ns != nullptr) {
    return ToString(node_->ns->href);
  }
  return {};
}

std::string Node::Text() const {
  switch (node_->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return ToString(node_->content);
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE:
      return {};
    default:
      return Content(node_);
  }
}

void Node::SetText(std::string_view text) const {
  std::string value(text);
  switch (node_->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
      ReplaceChildrenWithText(*state_, node_, text);
      return;
    case XML_COMMENT_NODE:
      if (value.find("--") != std::string::npos || (!value.empty() && value.back() == '-')) {
        Misuse("A comment cannot hold \"--\" or end with \"-\"");
      }
      break;
    case XML_PI_NODE:
      if (value.find("?>") != std::string::npos) {
        Misuse("Processing instruction data cannot hold \"?>\"");
      }
      break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
      break;
    default:
      Misuse("The text of a " + Name() + " node cannot be set");
  }
  xmlNodeSetContent(node_, internal::ToXmlChar(value));
}

std::string Node::Xml() const {
  if (IsDocument(node_)) {
    return internal::SerializeDocumentText(*state_);
  }
  return internal::SerializeNode(node_);
}

std::optional<std::string> Node::GetAttribute(std::string_view name) const {
  xmlAttrPtr attribute = FindAttribute(node_, name);
  if (attribute == nullptr) {
    return std::nullopt;
  }
  return Content(reinterpret_cast<xmlNodePtr>(attribute));
}

void Node::SetAttribute(std::string_view name, std::string_view value) const {
  RequireElement(node_, "SetAttribute");
  if (xmlAttrPtr existing = FindAttribute(node_, name)) {
    ReplaceChildrenWithText(*state_, reinterpret_cast<xmlNodePtr>(existing), value);
    return;
  }
  internal::RequireXmlName(name, "Velmora.Xml.Node.SetAttribute");
  Node attribute = NodeAccess::Make(state_, internal::NewAttribute(*state_, name));
  attribute.SetText(value);
  SetAttributeNode(attribute);
}

bool Node::RemoveAttribute(std::string_view name) const {
  RequireElement(node_, "RemoveAttribute");
  xmlAttrPtr attribute = FindAttribute(node_, name);
  if (attribute == nullptr) {
    return false;
  }
  Detach(*state_, reinterpret_cast<xmlNodePtr>(attribute));
  return true;
}

std::optional<Node> Node::GetAttributeNode(std::string_view name) const {
  return Wrap(state_, reinterpret_cast<xmlNodePtr>(FindAttribute(node_, name)));
}

std::optional<Node> Node::SetAttributeNode(const Node& attribute) const {
  RequireElement(node_, "SetAttributeNode");
  RequireSameTree(state_, attribute);
  xmlNodePtr raw = attribute.node_;
  if (raw->type != XML_ATTRIBUTE_NODE) {
    Misuse("SetAttributeNode needs an attribute node");
  }
  if (raw->parent == node_) {
    return std::nullopt;
  }
  if (raw->parent != nullptr) {
    Misuse("The attribute belongs to another element");
  }
  std::optional<Node> replaced;
  xmlAttrPtr old = FindAttribute(node_, QualifiedName(raw));
  xmlAttrPtr previous = nullptr;
  xmlAttrPtr next = nullptr;
  if (old != nullptr) {
    previous = old->prev;
    next = old->next;
    replaced = NodeAccess::Make(state_, reinterpret_cast<xmlNodePtr>(old));
    Detach(*state_, reinterpret_cast<xmlNodePtr>(old));
  }
  xmlAttrPtr added = reinterpret_cast<xmlAttrPtr>(raw);
  state_->Release(raw);
  added->parent = node_;
  // Keep the replaced attribute's position; append otherwise.
  if (next != nullptr || previous != nullptr) {
    added->prev = previous;
    added->next = next;
    if (previous != nullptr) {
      previous->next = added;
    } else {
      node_->properties = added;
    }
    if (next != nullptr) {
      next->prev = added;
    }
  } else if (node_->properties == nullptr) {
    node_->properties = added;
  } else {
    xmlAttrPtr last = node_->properties;
    while (last->next != nullptr) {
      last = last->next;
    }
    last->next = added;
    added->prev = last;
  }
  return replaced;
}

NodeList Node::Attributes() const {
  std::vector<Node> nodes;
  if (node_->type == XML_ELEMENT_NODE) {
    for (xmlAttrPtr attribute = node_->properties; attribute != nullptr;
         attribute = attribute->next) {
      nodes.push_back(NodeAccess::Make(state_, reinterpret_cast<xmlNodePtr>(attribute)));
    }
  }
  return NodeList(std::move(nodes));
}

std::optional<Node> Node::Parent() const { return Wrap(state_, node_->parent); }

std::optional<Node> Node::FirstChild() const {
  return HasOwnChildren(node_) ? Wrap(state_, node_->children) : std::nullopt;
}

std::optional<Node> Node::LastChild() const {
  return HasOwnChildren(node_) ? Wrap(state_, node_->last) : std::nullopt;
}

std::optional<Node> Node::NextSibling() const {
  return IsDocument(node_) ? std::nullopt : Wrap(state_, node_->next);
}

std::optional<Node> Node::PreviousSibling() const {
  return IsDocument(node_) ? std::nullopt : Wrap(state_, node_->prev);
}

bool Node::HasChildNodes() const { return HasOwnChildren(node_) && node_->children != nullptr; }

NodeList Node::ChildNodes() const {
  std::vector<Node> nodes;
  if (HasOwnChildren(node_)) {
    for (xmlNodePtr child = node_->children; child != nullptr; child = child->next) {
      nodes.push_back(NodeAccess::Make(state_, child));
    }
  }
  return NodeList(std::move(nodes));
}

Node Node::AppendChild(const Node& child) const {
  RequireSameTree(state_, child);
  Link(*state_, node_, child.node_, nullptr, nullptr);
  return child;
}

Node Node::InsertBefore(const Node& child, const std::optional<Node>& reference) const {
  RequireSameTree(state_, child);
  xmlNodePtr before = nullptr;
  if (reference) {
    RequireSameTree(state_, *reference);
    before = reference->node_;
  }
  Link(*state_, node_, child.node_, before, nullptr);
  return child;
}

Node Node::RemoveChild(const Node& child) const {
  RequireSameTree(state_, child);
  if (child.node_->parent != node_ || child.node_->type == XML_ATTRIBUTE_NODE) {
    Misuse("The node is not a child of this node");
  }
  Detach(*state_, child.node_);
  return child;
}

Node Node::ReplaceChild(const Node& replacement, const Node& old_child) const {
  RequireSameTree(state_, replacement);
  RequireSameTree(state_, old_child);
  if (old_child.node_->parent != node_ || old_child.node_->type == XML_ATTRIBUTE_NODE) {
    Misuse("The node to replace is not a child of this node");
  }
  if (replacement.node_ == old_child.node_) {
    return old_child;
  }
  Link(*state_, node_, replacement.node_, old_child.node_, old_child.node_);
  Detach(*state_, old_child.node_);
  return old_child;
}

Node Node::CloneNode(bool deep) const {
  if (IsDocument(node_) || node_->type == XML_DTD_NODE) {
    Misuse("A " + Name() + " node cannot be cloned");
  }
  xmlNodePtr copy = xmlDocCopyNode(node_, state_->doc.get(), deep ? 1 : 2);
  if (copy == nullptr) {
    throw Error(kErrOutOfMemory, kSource, "The node could not be copied");
  }
  state_->Adopt(copy);
  return NodeAccess::Make(state_, copy);
}

NodeList Node::SelectNodes(std::string_view xpath) const {
  return internal::SelectFrom(state_, node_, xpath, "Velmora.Xml.Node.SelectNodes");
}

std::optional<Node> Node::SelectSingleNode(std::string_view xpath) const {
  NodeList nodes = internal::SelectFrom(state_, node_, xpath, "Velmora.Xml.Node.SelectSingleNode");
  if (nodes.Empty()) {
    return std::nullopt;
  }
  return nodes.Item(0);
}

std::shared_ptr<Document> Node::OwnerDocument() const { return std::make_shared<Document>(state_); }

const Node& NodeList::Item(size_t index) const {
  if (index >= nodes_.size()) {
    throw Error(kErrSubscriptOutOfRange, "Velmora.Xml.NodeList.Item",
                "Index " + std::to_string(index) + " is outside the list of " +
                    std::to_string(nodes_.size()) + " nodes");
  }
  return nodes_[index];
}

}  // namespace velmora::xml
