#include "import/batch_documents.h"

#include <string>

#include "base/markup_scan.h"

namespace velmora::import {
namespace {

bool StartsAt(std::string_view content, size_t at, std::string_view prefix) {
  return content.compare(at, prefix.size(), prefix) == 0;
}

// The position after the end of the markup that starts at `at` and ends with `end`.
size_t After(std::string_view content, size_t at, std::string_view end) {
  const size_t found = content.find(end, at);
  return found == std::string_view::npos ? content.size() : found + end.size();
}

// The position after the '>' that ends the tag starting at `at` (the end of the content when
// nothing ends it).
size_t AfterTag(std::string_view content, size_t at) {
  const size_t end = markup::TagEnd(content, at);
  return end == std::string_view::npos ? content.size() : end;
}

}  // namespace

std::vector<std::string_view> BatchDocuments(std::string_view content) {
  std::vector<std::string_view> documents;
  constexpr size_t kNone = std::string_view::npos;
  size_t text_start = kNone;
  const auto end_text = [&](size_t end) {
    if (text_start != kNone) {
      const std::string_view text = content.substr(text_start, end - text_start);
      if (text.find_first_not_of(" \t\r\n") != kNone) {
        documents.push_back(text);
      }
      text_start = kNone;
    }
  };
  int depth = 0;
  size_t element_start = 0;
  for (size_t at = 0; at < content.size();) {
    if (content[at] != '<' || StartsAt(content, at, "<![CDATA[")) {
      if (depth == 0 && text_start == kNone) {
        text_start = at;
      }
      at = content[at] == '<' ? After(content, at, "]]>") : at + 1;
      continue;
    }
    if (StartsAt(content, at, "<!--") || StartsAt(content, at, "<?")) {
      if (depth == 0) {
        end_text(at);
      }
      at = content[at + 1] == '!' ? After(content, at + 4, "-->") : After(content, at + 2, "?>");
      continue;
    }
    if (depth == 0) {
      end_text(at);
      element_start = at;
    }
    const bool end_tag = content[at + 1] == '/';
    const size_t next = AfterTag(content, at);
    const bool empty_element = !end_tag && content[next - 1] == '>' && content[next - 2] == '/';
    depth += end_tag ? -1 : (empty_element ? 0 : 1);
    if (depth == 0) {
      documents.push_back(content.substr(element_start, next - element_start));
    }
    at = next;
  }
  end_text(content.size());
  return documents;
}

}  // namespace velmora::import
