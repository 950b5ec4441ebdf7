// The check that a text is a batch of several XML documents, one top-level element after the
// other.
#include <algorithm>
#include <string_view>

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

// Checks the element that starts at `open` and returns the position after its closing tag.
// The element's text runs to the first closing tag of its name with which it loads as XML
// (an inner element of the same name may close first). Raises when there is none.
size_t CheckElement(std::string_view batch, size_t open, const std::string& path) {
  const size_t name_end =
      std::min({batch.find('>', open + 1), batch.find(' ', open + 1), batch.size()});
  const std::string closing = "</" + std::string(batch.substr(open + 1, name_end - open - 1)) + ">";
  for (size_t close = batch.find(closing, open + 1); close != std::string_view::npos;
       close = batch.find(closing, close + 1)) {
    const size_t end = close + closing.size();
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
