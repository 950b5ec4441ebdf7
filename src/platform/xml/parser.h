#pragma once

// Internal to src/platform/xml: the one place where XML input is parsed, with the settings that
// every document, stylesheet and included file gets.

#include <libxml/tree.h>
#include <libxslt/documents.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/xml/libxml_runtime.h"
#include "velmora/xml/parse_error.h"

namespace velmora::xml::internal {

// Total bytes that the entity references of one document may expand to.
inline constexpr uint64_t kMaxEntityExpansionBytes = 10u * 1024u * 1024u;

struct ParseOptions {
  bool force_utf8 = false;  // text handed over as UTF-8: any declared encoding is ignored
  bool no_cdata = false;    // CDATA sections become text (stylesheets)
  xmlDict* dict = nullptr;  // share this dictionary (documents loaded for libxslt)
};

struct ParseOutcome {
  DocPtr doc;  // null on failure
  ParseError error;
  bool had_declaration = false;  // the input began with an XML declaration
};

// Parses `bytes` with the fixed safe settings: no network access, no external DTD or entity
// loading, no entity substitution, entity expansion bounded by kMaxEntityExpansionBytes.
// Input within libxml2's default limits is parsed once; input beyond them (a text node over
// 10 MB, nesting over 256 levels) is parsed again without those limits, then refusing any
// entity declaration. Never throws for bad input; errors are captured, never printed.
ParseOutcome ParseBuffer(std::string_view bytes, const std::string& url,
                         const ParseOptions& options);

// Reads a whole file. On failure fills `error` (kFileNotFound or kFileUnreadable with code,
// reason and url) and returns false.
bool ReadFileBytes(const std::string& path, std::string& bytes, ParseError& error);

// The document loader libxslt uses for xsl:include, xsl:import and document(): local files
// only (plain paths or file: URLs), parsed by ParseBuffer. Whether a file may be read at all is
// decided before by the XSLT security preferences.
xmlDocPtr SafeDocLoader(const xmlChar* uri, xmlDictPtr dict, int options, void* context,
                        xsltLoadType type);

}  // namespace velmora::xml::internal
