#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/base/variant.h"
#include "velmora/xml/node.h"
#include "velmora/xml/parse_error.h"

namespace velmora::xml {

namespace internal {
struct DocumentAccess;
struct ParseOutcome;
}  // namespace internal

class Fetcher;

// An XML document: a DOM tree that can be loaded, built, queried with XPath, serialised and
// transformed (see Stylesheet). A velmora::Object (TypeName "DOMDocument") so that a Variant
// can hold it. Not copyable. One document, with every Node handle on it, may be used by one
// thread at a time; independent documents may be used on different threads at once.
//
// Loading never throws for bad input: LoadXml, LoadFile and LoadUrl return false and leave the
// reason in parse_error(); the document is then empty. Every parse runs with network access,
// DTD loading and entity substitution off and entity expansion bounded (see parser.h).
//
// Serialisation (Xml()): UTF-8; an XML declaration only when the loaded input began with one,
// written as <?xml version="1.0"?> (plus standalone when declared; no encoding, since the text
// is UTF-8 and may be re-encoded); the declaration and the top-level nodes separated by one
// line feed, no trailing line feed; whitespace exactly as loaded or built; elements without
// children as <a/>; in text &, < and > escaped; in attribute values &, <, > and double quotes
// escaped and tab, CR, LF as character references; everything else, including non-ASCII
// characters, written as itself.
class Document : public Object {
 public:
  // An empty document: no declaration, no children.
  Document();
  // For this folder's internals: a document over an existing tree.
  explicit Document(std::shared_ptr<internal::DocState> state);
  ~Document() override;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  std::string TypeName() const override { return "DOMDocument"; }
  // The document as callers outside the process see it: its XML text (Xml()).
  Variant Export() const override;

  // Replaces the content with the parsed `text` (UTF-8; an encoding declared inside is
  // ignored). Whitespace is kept as it is. False on failure, with parse_error() filled.
  bool LoadXml(std::string_view text);
  // Replaces the content with the parsed file; its encoding is detected from the byte-order
  // mark or the XML declaration (UTF-8, UTF-16, windows-1252, ISO-8859-x, ...). A missing file
  // gives ParseFailure::kFileNotFound, distinct from a malformed one.
  bool LoadFile(const std::string& path);
  // Replaces the content with the document at an http(s) URL. Status 404 or 410 gives
  // kFileNotFound; any other failure to fetch gives kFileUnreadable.
  bool LoadUrl(const std::string& url, Fetcher& fetcher);
  // The outcome of the last load; failure kNone after success or when nothing was loaded.
  const ParseError& parse_error() const { return parse_error_; }
  // The input of the last successful load began with an XML declaration.
  bool has_xml_declaration() const;
  // The URL or path the content was loaded from; "" for text and built documents.
  std::string url() const;

  // The document node itself (NodeType::kDocument): parent of the top-level nodes.
  Node AsNode() const;
  std::optional<Node> DocumentElement() const;
  // Makes `element` (of this document) the document element, replacing the existing one.
  void SetDocumentElement(const Node& element);

  // New detached nodes of this document, to be inserted with AppendChild and friends. Names
  // must be XML names (raise kErrInvalidProcedureCall otherwise); texts are taken literally.
  Node CreateElement(std::string_view name);
  Node CreateTextNode(std::string_view text);
  Node CreateAttribute(std::string_view name);
  Node CreateComment(std::string_view text);
  Node CreateCDataSection(std::string_view text);
  Node CreateProcessingInstruction(std::string_view target, std::string_view data);
  // A detached copy, in this document, of a node of any document (with its attributes; with
  // its descendants when `deep`). Raises for document nodes.
  Node ImportNode(const Node& node, bool deep);

  // XPath from the document node; see Node::SelectNodes.
  NodeList SelectNodes(std::string_view xpath) const;
  std::optional<Node> SelectSingleNode(std::string_view xpath) const;

  // The document serialised as UTF-8 text, as described above.
  std::string Xml() const;
  // The text of the document element (see Node::Text); "" when there is none.
  std::string Text() const;

  // The document as the bytes of a file in `encoding` ("UTF-8", "UTF-16", "windows-1252"; see
  // ParseEncodingName): always with a declaration naming that encoding, a line feed after the
  // declaration and after each top-level node; UTF-16 little-endian with a byte-order mark;
  // characters outside windows-1252 as character references. Raises kErrInvalidProcedureCall
  // for an unknown encoding.
  std::string Serialize(std::string_view encoding) const;
  // Writes Serialize(encoding) to `path`, replacing the file. Raises kErrPathNotFound when the
  // folder does not exist, kErrPermissionDenied when writing is refused, FileError otherwise.
  void SaveFile(const std::string& path, std::string_view encoding = "UTF-8") const;

 private:
  friend struct internal::DocumentAccess;

  bool Accept(internal::ParseOutcome&& outcome);

  std::shared_ptr<internal::DocState> state_;
  ParseError parse_error_;
};

}  // namespace velmora::xml
