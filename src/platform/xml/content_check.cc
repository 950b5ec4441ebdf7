#include "platform/xml/content_check.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/xml/libxml_runtime.h"

namespace velmora::xml {
namespace {

constexpr std::string_view kOpen = "<CustomTag>";
constexpr std::string_view kClose = "</CustomTag>";
// Bytes handed to the parser at a time.
constexpr size_t kChunk = 1 << 20;

struct ContextFree {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

}  // namespace

bool IsWellFormedContent(std::string_view content, ParseError& error) {
  internal::EnsureInitialized();
  internal::ErrorCapture capture;
  // A SAX2 handler without callbacks: the parser checks everything, namespaces included, and
  // builds nothing.
  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof(handler));
  handler.initialized = XML_SAX2_MAGIC;
  std::unique_ptr<xmlParserCtxt, ContextFree> context(
      xmlCreatePushParserCtxt(&handler, nullptr, nullptr, 0, nullptr));
  if (!context) {
    error.failure = ParseFailure::kMalformed;
    error.reason = "The XML parser could not be created";
    return false;
  }
  // No limits on the size of one text: no entity can be declared inside element content.
  xmlCtxtUseOptions(context.get(),
                    XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlSwitchEncoding(context.get(), XML_CHAR_ENCODING_UTF8);
  const auto feed = [&](std::string_view bytes, bool last) {
    return xmlParseChunk(context.get(), bytes.data(), static_cast<int>(bytes.size()),
                         last ? 1 : 0) == 0;
  };
  bool ok = feed(kOpen, false);
  for (size_t at = 0; ok && at < content.size(); at += kChunk) {
    ok = feed(content.substr(at, std::min(kChunk, content.size() - at)), false);
  }
  ok = ok && feed(kClose, true) && context->wellFormed != 0 && context->nsWellFormed != 0;
  if (ok) {
    error = ParseError();
    return true;
  }
  const xmlError* last = xmlCtxtGetLastError(context.get());
  error.failure = ParseFailure::kMalformed;
  error.code = kXmlParseErrorBase + (last ? last->code : 0);
  error.reason = last && last->message ? last->message : "The content is not well-formed";
  while (!error.reason.empty() && error.reason.back() == '\n') {
    error.reason.pop_back();
  }
  error.line = last ? last->line : 0;
  error.column = last ? last->int2 : 0;
  return false;
}

}  // namespace velmora::xml
