#pragma once

#include <string_view>

#include "velmora/xml/parse_error.h"

namespace velmora::xml {

// Whether `content` (UTF-8) is well-formed as the content of one element: any number of
// elements, texts, comments, processing instructions and CDATA sections, as they may stand
// between a start tag and its end tag (documents concatenated without their declarations).
// Checked by a streaming parse that builds no tree, so memory stays small for any size; no
// network access, no external entities. False with `error` (kMalformed, the parser's reason,
// line and column) filled otherwise.
bool IsWellFormedContent(std::string_view content, ParseError& error);

}  // namespace velmora::xml
