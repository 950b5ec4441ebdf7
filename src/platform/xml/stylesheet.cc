#include "platform/xml/stylesheet.h"

#include <libxml/xmlIO.h>
#include <libxslt/imports.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <filesystem>

#include "platform/xml/dom_state.h"
#include "platform/xml/fetcher.h"
#include "platform/xml/libxml_runtime.h"
#include "platform/xml/parser.h"
#include "platform/xml/text_encoding.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/xml/document.h"

namespace velmora::xml {

struct Stylesheet::Impl {
  internal::StylesheetPtr style;
  std::string location;
  std::string own_file;  // canonical path of the stylesheet file; "" when not from a file
};

namespace {

using internal::DocPtr;
using internal::ErrorCapture;

constexpr const char* kCompileSource = "Velmora.Xml.Stylesheet.Compile";
constexpr const char* kTransformSource = "Velmora.Xml.Stylesheet.Transform";

std::string Describe(const std::string& location) {
  return location.empty() ? std::string("The stylesheet text")
                          : "The stylesheet '" + location + "'";
}

std::string OrUnknown(std::string messages) {
  return messages.empty() ? std::string("no further detail was reported") : messages;
}

[[noreturn]] void RaiseNotWellFormed(const std::string& location, const ParseError& error) {
  RaiseError(EnumerationErrors::XSLParseError, kCompileSource,
             Describe(location) + " is not well-formed: " + error.reason + " (line " +
                 std::to_string(error.line) + ", column " + std::to_string(error.column) + ")");
}

// The folder includes may come from, for a stylesheet file at `canonical_file`.
std::string FolderOf(const std::string& canonical_file) {
  if (canonical_file.empty()) {
    return {};
  }
  return std::filesystem::path(canonical_file).parent_path().string();
}

std::unique_ptr<Stylesheet> Compile(DocPtr doc, std::string location, std::string own_file) {
  ErrorCapture capture;
  internal::XsltReadScope scope(FolderOf(own_file), own_file);
  xsltStylesheetPtr compiled = xsltParseStylesheetDoc(doc.get());
  if (compiled == nullptr) {
    // On failure libxslt leaves the document to the caller: `doc` frees it.
    RaiseError(EnumerationErrors::XSLParseError, kCompileSource,
               Describe(location) + " cannot be compiled:\n" + OrUnknown(capture.Messages()));
  }
  doc.release();  // owned by the stylesheet from here on
  internal::StylesheetPtr style(compiled);
  if (style->errors > 0) {
    RaiseError(EnumerationErrors::XSLParseError, kCompileSource,
               Describe(location) + " cannot be compiled:\n" + OrUnknown(capture.Messages()));
  }
  auto impl = std::make_unique<Stylesheet::Impl>();
  impl->style = std::move(style);
  impl->location = std::move(location);
  impl->own_file = std::move(own_file);
  return std::make_unique<Stylesheet>(std::move(impl));
}

std::unique_ptr<Stylesheet> CompileBytes(std::string_view bytes, const std::string& location,
                                         bool force_utf8, std::string own_file) {
  internal::ParseOptions options;
  options.force_utf8 = force_utf8;
  options.no_cdata = true;
  internal::ParseOutcome outcome = internal::ParseBuffer(bytes, location, options);
  if (!outcome.doc) {
    RaiseNotWellFormed(location, outcome.error);
  }
  return Compile(std::move(outcome.doc), location, std::move(own_file));
}

struct OutputBufferCloser {
  void operator()(xmlOutputBuffer* buffer) const { xmlOutputBufferClose(buffer); }
};
using OutputBufferPtr = std::unique_ptr<xmlOutputBuffer, OutputBufferCloser>;

// The encoding xsl:output declares, or "".
std::string DeclaredEncoding(xsltStylesheetPtr style) {
  const xmlChar* encoding = nullptr;
  XSLT_GET_IMPORT_PTR(encoding, style, encoding)
  return internal::ToString(encoding);
}

// Output written as UTF-8 whose labels name `declared`: relabelled as UTF-8.
std::string RelabelAsUtf8(std::string out, const std::string& declared) {
  if (declared.empty() || text::IEquals(declared, "UTF-8")) {
    return out;
  }
  if (out.rfind("<?xml", 0) == 0) {
    return SetDeclaredEncoding(out, "UTF-8");
  }
  std::string label = "charset=" + declared;
  size_t at = text::IFind(out, label);
  if (at != std::string::npos) {
    out.replace(at, label.size(), "charset=UTF-8");
  }
  return out;
}

}  // namespace

Stylesheet::Stylesheet(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Stylesheet::~Stylesheet() = default;

std::unique_ptr<Stylesheet> Stylesheet::FromFile(const std::string& path) {
  internal::EnsureInitialized();
  std::string bytes;
  ParseError error;
  if (!internal::ReadFileBytes(path, bytes, error)) {
    RaiseError(EnumerationErrors::CannotLoadFile, kCompileSource, error.reason);
  }
  return CompileBytes(bytes, path, /*force_utf8=*/false, internal::CanonicalPath(path));
}

std::unique_ptr<Stylesheet> Stylesheet::FromText(std::string_view text) {
  return CompileBytes(text, "", /*force_utf8=*/true, "");
}

std::unique_ptr<Stylesheet> Stylesheet::FromUrl(const std::string& url, Fetcher& fetcher) {
  internal::EnsureInitialized();
  FetchReply reply = FetchChecked(fetcher, url);
  return CompileBytes(reply.body, reply.final_url.empty() ? url : reply.final_url,
                      /*force_utf8=*/false, "");
}

std::unique_ptr<Stylesheet> Stylesheet::FromDocument(const Document& document) {
  internal::EnsureInitialized();
  xmlDocPtr source = internal::DocumentAccess::State(document)->doc.get();
  DocPtr copy(xmlCopyDoc(source, 1));
  if (!copy) {
    throw Error(kErrOutOfMemory, kCompileSource, "Out of memory copying the stylesheet");
  }
  std::string location = document.url();
  std::string own_file;
  if (!location.empty() && location.find("://") == std::string::npos) {
    own_file = internal::CanonicalPath(location);
  }
  return Compile(std::move(copy), location, own_file);
}

std::unique_ptr<Stylesheet> Stylesheet::Load(const std::string& location, Fetcher& fetcher) {
  if (text::IStartsWith(location, "http://") || text::IStartsWith(location, "https://")) {
    return FromUrl(location, fetcher);
  }
  return FromFile(location);
}

const std::string& Stylesheet::location() const { return impl_->location; }

namespace {

// Runs the transform; the result document, or raises with the processor's messages.
DocPtr Apply(const Stylesheet::Impl& impl, const Document& source,
             const XsltParameters& parameters) {
  internal::EnsureInitialized();
  xmlDocPtr doc = internal::DocumentAccess::State(source)->doc.get();
  ErrorCapture capture;
  internal::XsltReadScope scope("", impl.own_file);
  internal::TransformContextPtr context(xsltNewTransformContext(impl.style.get(), doc));
  if (!context) {
    throw Error(kErrOutOfMemory, kTransformSource, "Out of memory creating a transform");
  }
  std::vector<const char*> raw;
  raw.reserve(parameters.size() * 2 + 1);
  for (const auto& [name, value] : parameters) {
    raw.push_back(name.c_str());
    raw.push_back(value.c_str());
  }
  raw.push_back(nullptr);
  if (!parameters.empty() && xsltQuoteUserParams(context.get(), raw.data()) != 0) {
    RaiseError(EnumerationErrors::XSLParseError, kTransformSource,
               "The stylesheet parameters were refused:\n" + OrUnknown(capture.Messages()));
  }
  DocPtr result(
      xsltApplyStylesheetUser(impl.style.get(), doc, nullptr, nullptr, nullptr, context.get()));
  internal::ClearElementOrder(doc);
  if (!result || context->state != XSLT_STATE_OK) {
    RaiseError(EnumerationErrors::XSLParseError, kTransformSource,
               "The transform with " + Describe(impl.location) + " failed:\n" +
                   OrUnknown(capture.Messages()));
  }
  return result;
}

}  // namespace

std::string Stylesheet::Transform(const Document& source, const XsltParameters& parameters) const {
  DocPtr result = Apply(*impl_, source, parameters);
  ErrorCapture capture;
  OutputBufferPtr buffer(xmlAllocOutputBuffer(nullptr));
  if (!buffer) {
    throw Error(kErrOutOfMemory, kTransformSource, "Out of memory serialising the result");
  }
  if (xsltSaveResultTo(buffer.get(), result.get(), impl_->style.get()) < 0) {
    RaiseError(EnumerationErrors::XSLParseError, kTransformSource,
               "The result could not be serialised:\n" + OrUnknown(capture.Messages()));
  }
  xmlOutputBufferFlush(buffer.get());
  std::string out(reinterpret_cast<const char*>(xmlOutputBufferGetContent(buffer.get())),
                  xmlOutputBufferGetSize(buffer.get()));
  return RelabelAsUtf8(std::move(out), DeclaredEncoding(impl_->style.get()));
}

std::string Stylesheet::TransformToBytes(const Document& source,
                                         const XsltParameters& parameters) const {
  DocPtr result = Apply(*impl_, source, parameters);
  ErrorCapture capture;
  xmlChar* raw = nullptr;
  int length = 0;
  if (xsltSaveResultToString(&raw, &length, result.get(), impl_->style.get()) != 0) {
    RaiseError(EnumerationErrors::XSLParseError, kTransformSource,
               "The result could not be serialised:\n" + OrUnknown(capture.Messages()));
  }
  internal::XmlCharPtr owned(raw);
  if (owned == nullptr) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(owned.get()), static_cast<size_t>(length));
}

std::unique_ptr<Document> Stylesheet::TransformToDocument(const Document& source,
                                                          const XsltParameters& parameters) const {
  DocPtr result = Apply(*impl_, source, parameters);
  return std::make_unique<Document>(
      std::make_shared<internal::DocState>(std::move(result), /*declaration=*/false));
}

}  // namespace velmora::xml
