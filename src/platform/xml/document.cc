#include "velmora/xml/document.h"

#include <fcntl.h>
#include <libxml/tree.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/xml/dom_state.h"
#include "platform/xml/fetcher.h"
#include "platform/xml/parser.h"
#include "platform/xml/text_encoding.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::xml {
namespace {

using internal::NodeAccess;
using internal::ToXmlChar;

constexpr const char* kSource = "Velmora.Xml.Document";

[[noreturn]] void Misuse(const std::string& description) {
  throw Error(kErrInvalidProcedureCall, kSource, description);
}

xmlNodePtr Require(xmlNodePtr node) {
  if (node == nullptr) {
    throw Error(kErrOutOfMemory, kSource, "Out of memory creating a node");
  }
  return node;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  auto fail = [&path](int number) {
    int32_t code = ErrNumber(EnumerationErrors::FileError);
    if (number == ENOENT || number == ENOTDIR) {
      code = kErrPathNotFound;
    } else if (number == EACCES || number == EPERM || number == EROFS) {
      code = kErrPermissionDenied;
    }
    throw Error(code, "Velmora.Xml.Document.SaveFile",
                "The file '" + path + "' cannot be written: " + std::strerror(number));
  };
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail(errno);
  }
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) {
        ::close(fd);
      }
    }
  } closer{fd};
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      fail(errno);
    }
    written += static_cast<size_t>(count);
  }
  int result = ::close(fd);
  closer.fd = -1;
  if (result != 0) {
    fail(errno);
  }
}

}  // namespace

Document::Document() : state_(internal::NewEmptyState()) {}

Document::Document(std::shared_ptr<internal::DocState> state) : state_(std::move(state)) {}

Document::~Document() = default;

bool Document::Accept(internal::ParseOutcome&& outcome) {
  if (!outcome.doc) {
    state_ = internal::NewEmptyState();
    parse_error_ = std::move(outcome.error);
    return false;
  }
  state_ = std::make_shared<internal::DocState>(std::move(outcome.doc), outcome.had_declaration);
  parse_error_ = ParseError();
  return true;
}

bool Document::LoadXml(std::string_view text) {
  internal::ParseOptions options;
  options.force_utf8 = true;
  return Accept(internal::ParseBuffer(text, "", options));
}

bool Document::LoadFile(const std::string& path) {
  internal::EnsureInitialized();
  internal::ParseOutcome outcome;
  std::string bytes;
  if (!internal::ReadFileBytes(path, bytes, outcome.error)) {
    return Accept(std::move(outcome));
  }
  return Accept(internal::ParseBuffer(bytes, path, internal::ParseOptions()));
}

bool Document::LoadUrl(const std::string& url, Fetcher& fetcher) {
  internal::EnsureInitialized();
  internal::ParseOutcome outcome;
  outcome.error.url = url;
  FetchReply reply;
  try {
    reply = fetcher.Get(url);
  } catch (const Error& error) {
    outcome.error.failure = ParseFailure::kFileUnreadable;
    outcome.error.code = error.number();
    outcome.error.reason = error.description();
    return Accept(std::move(outcome));
  }
  if (reply.status < 200 || reply.status > 299) {
    bool missing = reply.status == 404 || reply.status == 410;
    outcome.error.failure = missing ? ParseFailure::kFileNotFound : ParseFailure::kFileUnreadable;
    outcome.error.code = missing ? kErrFileNotFound : kErrPathNotFound;
    outcome.error.reason = "HTTP status " + std::to_string(reply.status) + " for " + url;
    return Accept(std::move(outcome));
  }
  std::string location = reply.final_url.empty() ? url : reply.final_url;
  return Accept(internal::ParseBuffer(reply.body, location, internal::ParseOptions()));
}

bool Document::has_xml_declaration() const { return state_->had_declaration; }

std::string Document::url() const { return internal::ToString(state_->doc->URL); }

Node Document::AsNode() const {
  return NodeAccess::Make(state_, reinterpret_cast<xmlNodePtr>(state_->doc.get()));
}

std::optional<Node> Document::DocumentElement() const {
  xmlNodePtr root = xmlDocGetRootElement(state_->doc.get());
  if (root == nullptr) {
    return std::nullopt;
  }
  return NodeAccess::Make(state_, root);
}

void Document::SetDocumentElement(const Node& element) {
  if (element.Type() != NodeType::kElement) {
    Misuse("The document element must be an element");
  }
  std::optional<Node> root = DocumentElement();
  if (root) {
    AsNode().ReplaceChild(element, *root);
  } else {
    AsNode().AppendChild(element);
  }
}

Node Document::CreateElement(std::string_view name) {
  internal::RequireXmlName(name, "Velmora.Xml.Document.CreateElement");
  std::string text(name);
  xmlNodePtr node = Require(xmlNewDocNode(state_->doc.get(), nullptr, ToXmlChar(text), nullptr));
  state_->Adopt(node);
  return NodeAccess::Make(state_, node);
}

Node Document::CreateTextNode(std::string_view text) {
  std::string value(text);
  xmlNodePtr node = Require(xmlNewDocText(state_->doc.get(), ToXmlChar(value)));
  state_->Adopt(node);
  return NodeAccess::Make(state_, node);
}

Node Document::CreateAttribute(std::string_view name) {
  internal::RequireXmlName(name, "Velmora.Xml.Document.CreateAttribute");
  return NodeAccess::Make(state_, internal::NewAttribute(*state_, name));
}

Node Document::CreateComment(std::string_view text) {
  xmlNodePtr node = Require(xmlNewDocComment(state_->doc.get(), ToXmlChar("")));
  state_->Adopt(node);
  Node comment = NodeAccess::Make(state_, node);
  comment.SetText(text);
  return comment;
}

Node Document::CreateCDataSection(std::string_view text) {
  std::string value(text);
  xmlNodePtr node = Require(
      xmlNewCDataBlock(state_->doc.get(), ToXmlChar(value), static_cast<int>(value.size())));
  state_->Adopt(node);
  return NodeAccess::Make(state_, node);
}

Node Document::CreateProcessingInstruction(std::string_view target, std::string_view data) {
  internal::RequireXmlName(target, "Velmora.Xml.Document.CreateProcessingInstruction");
  if (text::IEquals(target, "xml") || target.find(':') != std::string_view::npos) {
    Misuse("'" + std::string(target) + "' cannot be a processing instruction target");
  }
  std::string name(target);
  xmlNodePtr node = Require(xmlNewDocPI(state_->doc.get(), ToXmlChar(name), nullptr));
  state_->Adopt(node);
  Node instruction = NodeAccess::Make(state_, node);
  instruction.SetText(data);
  return instruction;
}

Node Document::ImportNode(const Node& node, bool deep) {
  xmlNodePtr source = NodeAccess::Raw(node);
  if (node.Type() == NodeType::kDocument || node.Type() == NodeType::kDocumentType) {
    Misuse("A " + node.Name() + " node cannot be imported");
  }
  xmlNodePtr copy = Require(xmlDocCopyNode(source, state_->doc.get(), deep ? 1 : 2));
  state_->Adopt(copy);
  return NodeAccess::Make(state_, copy);
}

NodeList Document::SelectNodes(std::string_view xpath) const {
  return internal::SelectFrom(state_, reinterpret_cast<xmlNodePtr>(state_->doc.get()), xpath,
                              "Velmora.Xml.Document.SelectNodes");
}

std::optional<Node> Document::SelectSingleNode(std::string_view xpath) const {
  NodeList nodes = internal::SelectFrom(state_, reinterpret_cast<xmlNodePtr>(state_->doc.get()),
                                        xpath, "Velmora.Xml.Document.SelectSingleNode");
  if (nodes.Empty()) {
    return std::nullopt;
  }
  return nodes.Item(0);
}

std::string Document::Xml() const { return internal::SerializeDocumentText(*state_); }

Variant Document::Export() const { return Variant(Xml()); }

std::string Document::Text() const {
  std::optional<Node> root = DocumentElement();
  return root ? root->Text() : std::string();
}

std::string Document::Serialize(std::string_view encoding) const {
  std::optional<TextEncoding> parsed = ParseEncodingName(encoding);
  if (!parsed) {
    throw Error(kErrInvalidProcedureCall, "Velmora.Xml.Document.Serialize",
                "The encoding '" + std::string(encoding) + "' is not supported");
  }
  std::string name = EncodingName(*parsed);
  return internal::SerializeDocumentBytes(state_->doc.get(), name.c_str());
}

void Document::SaveFile(const std::string& path, std::string_view encoding) const {
  WriteWholeFile(path, Serialize(encoding));
}

}  // namespace velmora::xml
