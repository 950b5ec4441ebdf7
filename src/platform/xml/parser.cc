#include "platform/xml/parser.h"

#include <fcntl.h>
#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parserInternals.h>
#include <libxml/uri.h>
#include <libxslt/xsltutils.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "velmora/base/error.h"

namespace velmora::xml::internal {
namespace {

// SAX hook of the second (limit-free) attempt: any entity declaration stops the parse.
void RefuseEntityDecl(void* context, const xmlChar* /*name*/, int /*type*/,
                      const xmlChar* /*public_id*/, const xmlChar* /*system_id*/,
                      xmlChar* /*content*/) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  parser->wellFormed = 0;  // stopping alone would leave the partial tree looking well-formed
  xmlStopParser(parser);
}

struct Attempt {
  DocPtr doc;
  bool had_declaration = false;
};

Attempt ParseOnce(std::string_view bytes, const std::string& url, const ParseOptions& options,
                  bool without_limits) {
  Attempt attempt;
  ParserContextPtr context(xmlNewParserCtxt());
  if (!context) {
    return attempt;
  }
  if (options.dict != nullptr) {
    xmlDictFree(context->dict);
    context->dict = options.dict;
    xmlDictReference(context->dict);
  }
  int flags = XML_PARSE_NONET;
  if (options.no_cdata) {
    flags |= XML_PARSE_NOCDATA;
  }
  if (without_limits) {
    flags |= XML_PARSE_HUGE;
    context->sax->entityDecl = RefuseEntityDecl;
  }
  xmlDocPtr raw = xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()),
                                    url.empty() ? nullptr : url.c_str(),
                                    options.force_utf8 ? "UTF-8" : nullptr, flags);
  DocPtr doc(raw);
  if (doc && context->wellFormed && context->nsWellFormed) {
    attempt.had_declaration = doc->standalone != -1;
    attempt.doc = std::move(doc);
  }
  return attempt;
}

// Bounds what the entity references of a parsed document expand to (their text is produced
// on demand by text reads, XPath and XSLT, so a few references can stand for gigabytes).
class EntityBudget {
 public:
  explicit EntityBudget(xmlDocPtr doc) : doc_(doc) {}

  // True when every entity reference of the tree, fully expanded, stays within the limit.
  bool WithinLimit() {
    if (doc_->intSubset == nullptr || doc_->intSubset->entities == nullptr ||
        xmlHashSize(static_cast<xmlHashTablePtr>(doc_->intSubset->entities)) == 0) {
      return true;
    }
    uint64_t total = 0;
    xmlNodePtr node = doc_->children;
    while (node != nullptr) {
      if (node->type == XML_ENTITY_REF_NODE) {
        total += Reference(node->name);
      } else if (node->type == XML_ELEMENT_NODE) {
        for (xmlAttrPtr attribute = node->properties; attribute != nullptr;
             attribute = attribute->next) {
          for (xmlNodePtr part = attribute->children; part != nullptr; part = part->next) {
            if (part->type == XML_ENTITY_REF_NODE) {
              total += Reference(part->name);
            }
          }
        }
      }
      if (total > kMaxEntityExpansionBytes) {
        return false;
      }
      node = Next(node);
    }
    return true;
  }

 private:
  // Document order, descending into elements only (not into the DTD or entity references).
  xmlNodePtr Next(xmlNodePtr node) const {
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
      return node->children;
    }
    while (node != nullptr && node != reinterpret_cast<xmlNodePtr>(doc_)) {
      if (node->next != nullptr) {
        return node->next;
      }
      node = node->parent;
    }
    return nullptr;
  }

  uint64_t Reference(const xmlChar* name) { return Size(xmlGetDocEntity(doc_, name)); }

  uint64_t Size(xmlEntityPtr entity) {
    if (entity == nullptr || entity->content == nullptr) {
      return 0;
    }
    auto known = sizes_.find(entity);
    if (known != sizes_.end()) {
      return known->second;
    }
    if (!active_.insert(entity).second) {
      return kMaxEntityExpansionBytes + 1;  // a loop
    }
    const char* content = reinterpret_cast<const char*>(entity->content);
    size_t length = std::strlen(content);
    uint64_t size = 0;
    for (size_t i = 0; i < length && size <= kMaxEntityExpansionBytes;) {
      if (content[i] == '&' && i + 1 < length && content[i + 1] != '#') {
        const char* end = static_cast<const char*>(std::memchr(content + i, ';', length - i));
        if (end != nullptr) {
          std::string name(content + i + 1, end);
          size += Reference(reinterpret_cast<const xmlChar*>(name.c_str()));
          i = static_cast<size_t>(end - content) + 1;
          continue;
        }
      }
      ++size;
      ++i;
    }
    active_.erase(entity);
    if (size > kMaxEntityExpansionBytes) {
      size = kMaxEntityExpansionBytes + 1;
    }
    sizes_[entity] = size;
    return size;
  }

  xmlDocPtr doc_;
  std::unordered_map<xmlEntityPtr, uint64_t> sizes_;
  std::unordered_set<xmlEntityPtr> active_;
};

bool LooksLikeUtf8(std::string_view bytes) {
  if (bytes.size() >= 2 && ((static_cast<unsigned char>(bytes[0]) == 0xFF &&
                             static_cast<unsigned char>(bytes[1]) == 0xFE) ||
                            (static_cast<unsigned char>(bytes[0]) == 0xFE &&
                             static_cast<unsigned char>(bytes[1]) == 0xFF))) {
    return false;
  }
  return bytes.substr(0, 4).find('\0') == std::string_view::npos;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    if (c >= 0x80) {
      if ((c & 0xE0) == 0xC0) {
        extra = 1;
      } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
      } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
      } else {
        return false;
      }
    }
    if (i + extra >= text.size() && extra > 0) {
      return false;
    }
    for (size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += extra + 1;
  }
  return true;
}

// Line `line` (1-based) of UTF-8 input, without its line break; "" when unavailable.
std::string SourceLine(std::string_view bytes, int line, bool utf8) {
  if (line <= 0 || !utf8) {
    return {};
  }
  size_t start = 0;
  for (int current = 1; current < line; ++current) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) {
      return {};
    }
    start = end + 1;
  }
  size_t end = bytes.find('\n', start);
  std::string_view text =
      bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  if (text.size() > 4096 || !IsValidUtf8(text)) {
    return {};
  }
  return std::string(text);
}

ParseError MalformedError(const ErrorCapture& capture, std::string_view bytes,
                          const std::string& url, bool utf8) {
  ParseError error;
  error.failure = ParseFailure::kMalformed;
  error.url = url;
  if (const CapturedError* first = capture.FirstError()) {
    error.code = kXmlParseErrorBase + first->code;
    error.reason = first->message;
    error.line = first->line;
    error.column = first->column;
  } else {
    error.code = kXmlParseErrorBase + XML_ERR_INTERNAL_ERROR;
    error.reason = "The document could not be parsed";
  }
  if (error.reason.empty()) {
    error.reason = "The document is not well-formed";
  }
  error.source_text = SourceLine(bytes, error.line, utf8);
  return error;
}

}  // namespace

ParseOutcome ParseBuffer(std::string_view bytes, const std::string& url,
                         const ParseOptions& options) {
  EnsureInitialized();
  ParseOutcome outcome;
  bool utf8 = options.force_utf8 || LooksLikeUtf8(bytes);
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    outcome.error.failure = ParseFailure::kMalformed;
    outcome.error.code = kXmlParseErrorBase + XML_ERR_INTERNAL_ERROR;
    outcome.error.reason = "The document is larger than 2 GB";
    outcome.error.url = url;
    return outcome;
  }

  ErrorCapture capture;
  Attempt first = ParseOnce(bytes, url, options, /*without_limits=*/false);
  if (first.doc) {
    if (!EntityBudget(first.doc.get()).WithinLimit()) {
      outcome.error.failure = ParseFailure::kMalformed;
      outcome.error.code = kXmlParseErrorBase + XML_ERR_ENTITY_LOOP;
      outcome.error.reason = "Entity references expand to more than " +
                             std::to_string(kMaxEntityExpansionBytes) + " bytes";
      outcome.error.url = url;
      return outcome;
    }
    outcome.doc = std::move(first.doc);
    outcome.had_declaration = first.had_declaration;
    return outcome;
  }
  outcome.error = MalformedError(capture, bytes, url, utf8);

  ErrorCapture second_capture;  // the retry's reports are not the caller's concern
  Attempt second = ParseOnce(bytes, url, options, /*without_limits=*/true);
  if (second.doc) {
    outcome.doc = std::move(second.doc);
    outcome.had_declaration = second.had_declaration;
    outcome.error = ParseError();
  }
  return outcome;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, ParseError& error) {
  auto fail = [&](int number) {
    error = ParseError();
    error.url = path;
    if (number == ENOENT || number == ENOTDIR) {
      error.failure = ParseFailure::kFileNotFound;
      error.code = kErrFileNotFound;
      error.reason = "The file '" + path + "' does not exist";
    } else {
      error.failure = ParseFailure::kFileUnreadable;
      error.code = (number == EACCES || number == EPERM) ? kErrPermissionDenied : kErrPathNotFound;
      error.reason = "The file '" + path + "' cannot be read: " + std::strerror(number);
    }
    return false;
  };
  if (path.empty()) {
    return fail(ENOENT);
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return fail(errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    return fail(errno);
  }
  if (S_ISDIR(info.st_mode)) {
    return fail(EISDIR);
  }
  bytes.clear();
  if (info.st_size > 0) {
    bytes.reserve(static_cast<size_t>(info.st_size));
  }
  char buffer[65536];
  while (true) {
    ssize_t count = ::read(fd, buffer, sizeof(buffer));
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return fail(errno);
    }
    if (count == 0) {
      break;
    }
    bytes.append(buffer, static_cast<size_t>(count));
  }
  return true;
}

xmlDocPtr SafeDocLoader(const xmlChar* uri, xmlDictPtr dict, int options, void* /*context*/,
                        xsltLoadType /*type*/) {
  std::string location = ToString(uri);
  std::string path;
  if (location.rfind("file://", 0) == 0) {
    XmlCharPtr unescaped(
        reinterpret_cast<xmlChar*>(xmlURIUnescapeString(location.c_str() + 7, 0, nullptr)));
    path = ToString(unescaped.get());
    if (path.rfind("localhost/", 0) == 0) {
      path.erase(0, 9);
    }
  } else {
    size_t colon = location.find(':');
    size_t slash = location.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
      xsltGenericError(xsltGenericErrorContext, "Loading '%s' refused: only local files\n",
                       location.c_str());
      return nullptr;
    }
    path = location;
  }
  std::string bytes;
  ParseError error;
  if (!ReadFileBytes(path, bytes, error)) {
    xsltGenericError(xsltGenericErrorContext, "%s\n", error.reason.c_str());
    return nullptr;
  }
  ParseOptions parse_options;
  parse_options.no_cdata = (options & XML_PARSE_NOCDATA) != 0;
  parse_options.dict = dict;
  ParseOutcome outcome = ParseBuffer(bytes, location, parse_options);
  if (!outcome.doc) {
    xsltGenericError(xsltGenericErrorContext, "%s:%d:%d: %s\n", location.c_str(),
                     outcome.error.line, outcome.error.column, outcome.error.reason.c_str());
    return nullptr;
  }
  return outcome.doc.release();
}

}  // namespace velmora::xml::internal
