// The check that a text is a batch of several XML documents, one top-level element after the
// other.
#include <algorithm>
#include <string_view>

#include "base/markup_scan.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/document/document.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

constexpr const char* kNotABatch = "This is not an proper XML Batch file.";

// The position of the next "<" at or after `from` that does not open a "<!" or "<?"
// construct, or npos.
size_t NextElementStart(std::string_view batch, size_t from) {
  size_t open = batch.find('<', from);
  while (open != std::string_view::npos && open + 1 < batch.size() &&
         (batch[open + 1] == '!' || batch[open + 1] == '?')) {
    open = batch.find('<', open + 1);
  }
  return open;
}

// The position just after the end of the construct that opens at `from` with `opening` and
// closes with `closing`, or npos when the text ends first.
size_t SkipPast(std::string_view text, size_t from, std::string_view opening,
                std::string_view closing) {
  const size_t close = text.find(closing, from + opening.size());
  return close == std::string_view::npos ? close : close + closing.size();
}

// The position just after the element that opens at `open`, found by following its tags in
// one pass (comments, CDATA sections, processing instructions and quoted attribute values
// skipped), or npos when the text ends first. Exact for a well-formed element; for any other
// the position is a guess that the load of the element then refuses.
size_t ElementEnd(std::string_view text, size_t open) {
  size_t depth = 0;
  for (size_t at = open; at != std::string_view::npos;) {
    const std::string_view rest = text.substr(at);
    size_t end = std::string_view::npos;
    if (rest.starts_with("<!--")) {
      end = SkipPast(text, at, "<!--", "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      end = SkipPast(text, at, "<![CDATA[", "]]>");
    } else if (rest.starts_with("<?")) {
      end = SkipPast(text, at, "<?", "?>");
    } else {
      end = markup::TagEnd(text, at);
      if (end == std::string_view::npos) {
        return end;
      }
      if (rest.starts_with("</")) {
        depth = depth > 0 ? depth - 1 : 0;
      } else if (text[end - 2] != '/') {
        ++depth;
      }
      if (depth == 0) {
        return end;
      }
    }
    at = end == std::string_view::npos ? end : text.find('<', end);
  }
  return std::string_view::npos;
}

// Checks the element that starts at `open` and returns the position after its closing tag.
// The element's text runs to the first closing tag of its name with which it loads as XML;
// only the closing tag that really ends the element can load, so that is the one tried.
// Raises when it is not a closing tag of that name or the text does not load.
size_t CheckElement(std::string_view batch, size_t open, const std::string& path) {
  const size_t name_end =
      std::min({batch.find('>', open + 1), batch.find(' ', open + 1), batch.size()});
  const std::string closing = "</" + std::string(batch.substr(open + 1, name_end - open - 1)) + ">";
  const size_t end = ElementEnd(batch, open);
  if (end != std::string_view::npos && end - open > closing.size() &&
      batch.substr(end - closing.size(), closing.size()) == closing) {
    xml::Document doc;
    if (doc.LoadXml(batch.substr(open, end - open))) {
      return end;
    }
  }
  RaiseError(EnumerationErrors::XMLLoadError, path, core::GetLabel("ZODAR0039"));
}

void CheckBatch(std::string_view batch, const std::string& path) {
  core::Guarded(
      path,
      [&] {
        size_t position = 0;
        while (position < batch.size()) {
          const size_t open = NextElementStart(batch, position);
          if (open == std::string_view::npos) {
            break;
          }
          position = CheckElement(batch, open, path);
        }
      },
      [&] { return Variant(kNotABatch); });
}

}  // namespace

void Document::ParseBatchXMLFile(const std::string& iXMLStr) {
  CheckBatch(iXMLStr, "Velmora.Document.ParseBatchXMLFile");
}

void Document::ParseBatchXMLString(const std::string& iXMLStr) {
  CheckBatch(iXMLStr, "Velmora.Document.ParseBatchXMLString");
}

}  // namespace velmora
