#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::xml {

class Document;
class Fetcher;

// Stylesheet parameters, name and value; values are passed as strings, never evaluated as
// XPath. Names without a matching top-level xsl:param are ignored.
using XsltParameters = std::vector<std::pair<std::string, std::string>>;

// A compiled XSLT 1.0 stylesheet (with the EXSLT extensions). Not copyable. Immutable once
// compiled: one stylesheet may transform documents on several threads at once, each thread
// with its own source document.
//
// Compiling: a stylesheet that is not well-formed or does not compile raises Error
// EnumerationErrors::XSLParseError with the parser's and processor's messages; a missing or
// unreadable file, and a failed download, raise EnumerationErrors::CannotLoadFile.
//
// Security: the stylesheet may not write files, create folders, or read or write anything over
// the network. It may read other files only through xsl:include and xsl:import, and only files
// inside the folder (or its subfolders) of the stylesheet file it was compiled from; a
// stylesheet from text or from a URL may include nothing. At transform time document() may
// read the stylesheet's own file (document('')) and nothing else. A refused access fails the
// compilation or the transform with the processor's message.
class Stylesheet {
 public:
  static std::unique_ptr<Stylesheet> FromFile(const std::string& path);
  // `text` is UTF-8; an encoding declared inside is ignored.
  static std::unique_ptr<Stylesheet> FromText(std::string_view text);
  // Downloads the stylesheet (see FetchChecked) and compiles it from memory.
  static std::unique_ptr<Stylesheet> FromUrl(const std::string& url, Fetcher& fetcher);
  // Compiles a stylesheet loaded into a Document (the document is copied, not changed); when
  // it was loaded from a file, includes next to that file are allowed as for FromFile.
  static std::unique_ptr<Stylesheet> FromDocument(const Document& document);
  // FromUrl for locations beginning with "http://" or "https://" (ASCII case ignored),
  // FromFile otherwise.
  static std::unique_ptr<Stylesheet> Load(const std::string& location, Fetcher& fetcher);

  struct Impl;
  // For the factories above.
  explicit Stylesheet(std::unique_ptr<Impl> impl);
  ~Stylesheet();
  Stylesheet(const Stylesheet&) = delete;
  Stylesheet& operator=(const Stylesheet&) = delete;

  // The result serialised by the stylesheet's xsl:output settings (method, indent,
  // omit-xml-declaration, doctype, standalone), as UTF-8 text: the encoding named by the XML
  // declaration or by the HTML meta element libxslt writes is "UTF-8" whatever xsl:output
  // says. The serialiser's own line breaks (after the declaration, at the end) are kept. A
  // transform error (xsl:message terminate="yes", a refused document(), an XPath error)
  // raises Error EnumerationErrors::XSLParseError with the processor's messages.
  std::string Transform(const Document& source, const XsltParameters& parameters = {}) const;
  // The same result as bytes in the encoding xsl:output names (UTF-8 by default).
  std::string TransformToBytes(const Document& source, const XsltParameters& parameters = {}) const;
  // The result tree as a new document (no XML declaration in its Xml()).
  std::unique_ptr<Document> TransformToDocument(const Document& source,
                                                const XsltParameters& parameters = {}) const;

  // The path or URL the stylesheet came from; "" for text.
  const std::string& location() const;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmora::xml
