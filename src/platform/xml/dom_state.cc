#include "platform/xml/dom_state.h"

#include <libxml/xmlsave.h>
#include <libxml/xpathInternals.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora::xml::internal {
namespace {

int AppendToString(void* context, const char* buffer, int length) {
  static_cast<std::string*>(context)->append(buffer, static_cast<size_t>(length));
  return length;
}

int CloseNothing(void* /*context*/) { return 0; }

struct SaveContextCloser {
  void operator()(xmlSaveCtxt* context) const { xmlSaveClose(context); }
};
using SaveContextPtr = std::unique_ptr<xmlSaveCtxt, SaveContextCloser>;

struct NamespaceListDeleter {
  void operator()(xmlNsPtr* list) const { xmlFree(list); }
};

// The element whose in-scope namespace prefixes an expression from `context` may use.
xmlNodePtr ScopeElement(xmlDocPtr doc, xmlNodePtr context) {
  if (context == nullptr) {
    return nullptr;
  }
  if (context->type == XML_DOCUMENT_NODE || context->type == XML_HTML_DOCUMENT_NODE) {
    return xmlDocGetRootElement(doc);
  }
  if (context->type == XML_ELEMENT_NODE) {
    return context;
  }
  return context->parent != nullptr && context->parent->type == XML_ELEMENT_NODE ? context->parent
                                                                                 : nullptr;
}

[[noreturn]] void RaiseInvalidXPath(std::string_view xpath, const ErrorCapture& capture,
                                    const char* source) {
  std::string detail;
  if (const CapturedError* first = capture.FirstError()) {
    detail = first->message;
    if (first->offset > 0) {
      detail += " at position " + std::to_string(first->offset + 1);
    }
  } else {
    detail = capture.Messages();
  }
  if (detail.empty()) {
    detail = "the expression is empty or not valid";
  }
  throw Error(ErrNumber(EnumerationErrors::InvalidXSLPatternError), source,
              "Invalid XPath expression '" + std::string(xpath) + "': " + detail);
}

}  // namespace

DocState::DocState(DocPtr document, bool declaration)
    : doc(std::move(document)), had_declaration(declaration) {
  // Without a recorded encoding libxml2 writes non-ASCII attribute characters as references;
  // the tree's text is UTF-8 in any case.
  if (doc && doc->encoding == nullptr) {
    doc->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("UTF-8"));
  }
}

DocState::~DocState() {
  // Detached subtrees first: freeing them uses the document's dictionary.
  for (xmlNodePtr orphan : orphans) {
    xmlFreeNode(orphan);
  }
}

std::shared_ptr<DocState> NewEmptyState() {
  EnsureInitialized();
  DocPtr doc(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
  if (!doc) {
    throw Error(kErrOutOfMemory, "Velmora.Xml.Document", "Out of memory creating a document");
  }
  return std::make_shared<DocState>(std::move(doc), false);
}

void RequireXmlName(std::string_view name, const char* source) {
  std::string text(name);
  if (text.empty() || text.size() != std::strlen(text.c_str()) ||
      xmlValidateName(ToXmlChar(text), 0) != 0) {
    throw Error(kErrInvalidProcedureCall, source, "'" + text + "' is not a valid XML name");
  }
}

xmlNodePtr NewAttribute(DocState& state, std::string_view name) {
  std::string text(name);
  xmlAttrPtr attribute = xmlNewDocProp(state.doc.get(), ToXmlChar(text), nullptr);
  if (attribute == nullptr) {
    throw Error(kErrOutOfMemory, "Velmora.Xml.Document", "Out of memory creating an attribute");
  }
  xmlNodePtr node = reinterpret_cast<xmlNodePtr>(attribute);
  state.Adopt(node);
  return node;
}

std::string SerializeNode(xmlNodePtr node) {
  std::string out;
  if (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE) {
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
      if (!out.empty()) {
        out += '\n';
      }
      out += SerializeNode(child);
    }
    return out;
  }
  ErrorCapture capture;
  {
    SaveContextPtr save(xmlSaveToIO(AppendToString, CloseNothing, &out, "UTF-8", XML_SAVE_AS_XML));
    if (!save) {
      return {};
    }
    xmlSaveTree(save.get(), node);
  }
  if (node->type == XML_ATTRIBUTE_NODE && !out.empty() && out.front() == ' ') {
    out.erase(0, 1);
  }
  return out;
}

std::string SerializeDocumentText(const DocState& state) {
  std::string out;
  xmlDocPtr doc = state.doc.get();
  if (doc == nullptr) {
    return out;
  }
  if (state.had_declaration) {
    out = "<?xml version=\"";
    out += doc->version != nullptr ? ToString(doc->version) : "1.0";
    out += "\"";
    if (doc->standalone == 1) {
      out += " standalone=\"yes\"";
    } else if (doc->standalone == 0) {
      out += " standalone=\"no\"";
    }
    out += "?>";
  }
  for (xmlNodePtr child = doc->children; child != nullptr; child = child->next) {
    if (!out.empty()) {
      out += '\n';
    }
    out += SerializeNode(child);
  }
  return out;
}

std::string SerializeDocumentBytes(xmlDocPtr doc, const char* encoding_name) {
  std::string out;
  ErrorCapture capture;
  SaveContextPtr save(
      xmlSaveToIO(AppendToString, CloseNothing, &out, encoding_name, XML_SAVE_AS_XML));
  if (!save) {
    throw Error(kErrInvalidProcedureCall, "Velmora.Xml.Document.Serialize",
                std::string("The encoding '") + encoding_name + "' is not supported");
  }
  xmlSaveDoc(save.get(), doc);
  if (xmlSaveClose(save.release()) < 0) {
    throw Error(ErrNumber(EnumerationErrors::FileError), "Velmora.Xml.Document.Serialize",
                "The document could not be serialised: " + capture.Messages());
  }
  return out;
}

NodeList SelectFrom(const std::shared_ptr<DocState>& state, xmlNodePtr context,
                    std::string_view xpath, const char* source) {
  EnsureInitialized();
  xmlDocPtr doc = state->doc.get();
  ErrorCapture capture;
  XPathContextPtr xpath_context(xmlXPathNewContext(doc));
  if (!xpath_context) {
    throw Error(kErrOutOfMemory, source, "Out of memory creating an XPath context");
  }
  xpath_context->node = context;
  if (xmlNodePtr scope = ScopeElement(doc, context)) {
    std::unique_ptr<xmlNsPtr, NamespaceListDeleter> namespaces(xmlGetNsList(doc, scope));
    for (xmlNsPtr* ns = namespaces.get(); ns != nullptr && *ns != nullptr; ++ns) {
      if ((*ns)->prefix != nullptr && (*ns)->href != nullptr) {
        xmlXPathRegisterNs(xpath_context.get(), (*ns)->prefix, (*ns)->href);
      }
    }
  }
  std::string expression(xpath);
  XPathCompPtr compiled(xmlXPathCtxtCompile(xpath_context.get(), ToXmlChar(expression)));
  if (!compiled || capture.FirstError() != nullptr) {
    RaiseInvalidXPath(xpath, capture, source);
  }
  XPathObjectPtr result(xmlXPathCompiledEval(compiled.get(), xpath_context.get()));
  if (!result || capture.FirstError() != nullptr) {
    RaiseInvalidXPath(xpath, capture, source);
  }
  if (result->type != XPATH_NODESET) {
    throw Error(ErrNumber(EnumerationErrors::InvalidXSLPatternError), source,
                "Invalid XPath expression '" + expression + "': it does not select nodes");
  }
  std::vector<Node> nodes;
  if (xmlNodeSetPtr set = result->nodesetval) {
    nodes.reserve(static_cast<size_t>(set->nodeNr));
    for (int i = 0; i < set->nodeNr; ++i) {
      xmlNodePtr node = set->nodeTab[i];
      if (node != nullptr && node->type != XML_NAMESPACE_DECL) {
        nodes.push_back(NodeAccess::Make(state, node));
      }
    }
  }
  return NodeList(std::move(nodes));
}

void ClearElementOrder(xmlDocPtr doc) {
  xmlNodePtr node = doc->children;
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE) {
      if (reinterpret_cast<intptr_t>(node->content) < 0) {
        node->content = nullptr;
      }
      if (node->children != nullptr) {
        node = node->children;
        continue;
      }
    }
    while (node != nullptr && node->next == nullptr) {
      node = node->parent;
      if (node == reinterpret_cast<xmlNodePtr>(doc)) {
        return;
      }
    }
    if (node != nullptr) {
      node = node->next;
    }
  }
}

}  // namespace velmora::xml::internal
