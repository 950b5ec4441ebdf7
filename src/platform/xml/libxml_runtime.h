#pragma once

// Internal to src/platform/xml: process-wide set-up of libxml2, libxslt and libcurl, the
// per-thread capture of their error reports, and RAII owners of their handles. Never included
// by a public header.

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>

#include <memory>
#include <string>
#include <vector>

namespace velmora::xml::internal {

// Initialises libxml2, libxslt (with the EXSLT extensions), libcurl, the safe document loader
// and the XSLT security preferences, exactly once per process. Safe to call from any thread,
// any number of times; every entry point of this folder calls it first.
void EnsureInitialized();

// One error or warning reported by libxml2 or libxslt.
struct CapturedError {
  int code = 0;         // libxml2's error number (xmlParserErrors); 0 for free-text reports
  int level = 0;        // xmlErrorLevel: 1 warning, 2 error, 3 fatal
  int line = 0;         // 1-based, 0 when unknown
  int column = 0;       // 1-based, 0 when unknown
  int offset = 0;       // XPath: position in the expression
  std::string file;     // document URL, when known
  std::string message;  // without the trailing line break
};

// Collects everything libxml2 and libxslt report on the calling thread while it lives, instead
// of letting them print to standard error. Scopes nest: the innermost one collects. Restores
// the thread's previous libxml2 handlers when it ends. Not copyable; lives on the stack.
class ErrorCapture {
 public:
  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  const std::vector<CapturedError>& errors() const { return errors_; }
  // The first report of level error or fatal, or nullptr.
  const CapturedError* FirstError() const;
  // Every report (errors and warnings, structured and free-text), one per line.
  std::string Messages() const;

  // Called by the handlers.
  void AddStructured(const xmlError& error);
  void AddText(const std::string& text);

 private:
  std::vector<CapturedError> errors_;
  std::string pending_text_;
  ErrorCapture* previous_ = nullptr;
  xmlGenericErrorFunc saved_generic_ = nullptr;
  void* saved_generic_context_ = nullptr;
  xmlStructuredErrorFunc saved_structured_ = nullptr;
  void* saved_structured_context_ = nullptr;
};

// RAII owners of libxml2 and libxslt handles.
struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
using ParserContextPtr = std::unique_ptr<xmlParserCtxt, ParserContextDeleter>;

struct XPathContextDeleter {
  void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
using XPathContextPtr = std::unique_ptr<xmlXPathContext, XPathContextDeleter>;

struct XPathCompDeleter {
  void operator()(xmlXPathCompExpr* expression) const { xmlXPathFreeCompExpr(expression); }
};
using XPathCompPtr = std::unique_ptr<xmlXPathCompExpr, XPathCompDeleter>;

struct XPathObjectDeleter {
  void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, XPathObjectDeleter>;

struct StylesheetDeleter {
  void operator()(xsltStylesheet* style) const { xsltFreeStylesheet(style); }
};
using StylesheetPtr = std::unique_ptr<xsltStylesheet, StylesheetDeleter>;

struct TransformContextDeleter {
  void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
using TransformContextPtr = std::unique_ptr<xsltTransformContext, TransformContextDeleter>;

struct XmlCharDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlCharPtr = std::unique_ptr<xmlChar, XmlCharDeleter>;

// The text of a libxml2 string; "" for nullptr.
inline std::string ToString(const xmlChar* text) {
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}
inline const xmlChar* ToXmlChar(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

// What the XSLT security check allows on the calling thread while it lives: at compile time,
// reading files inside `include_folder` (empty: nothing); at transform time, reading the
// stylesheet's own file `own_file` (document('')) and nothing else. Scopes nest.
class XsltReadScope {
 public:
  XsltReadScope(std::string include_folder, std::string own_file);
  ~XsltReadScope();
  XsltReadScope(const XsltReadScope&) = delete;
  XsltReadScope& operator=(const XsltReadScope&) = delete;

  const std::string& include_folder() const { return include_folder_; }
  const std::string& own_file() const { return own_file_; }
  static const XsltReadScope* Current();

 private:
  std::string include_folder_;
  std::string own_file_;
  XsltReadScope* previous_ = nullptr;
};

// The canonical absolute form of a file path (symbolic links and ".." resolved as far as the
// path exists), or "" when it cannot be formed.
std::string CanonicalPath(const std::string& path);

}  // namespace velmora::xml::internal
