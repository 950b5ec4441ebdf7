#include "platform/host/xml_file.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "velmora/base/error.h"

namespace velmora::host {
namespace {

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

std::string Text(const xmlChar* value) {
  return value == nullptr ? std::string() : reinterpret_cast<const char*>(value);
}

XmlElement Convert(xmlNode* node) {
  XmlElement element;
  element.name = Text(node->name);
  for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
    xmlChar* value = xmlNodeListGetString(node->doc, attribute->children, 1);
    element.attributes[Text(attribute->name)] = Text(value);
    xmlFree(value);
  }
  for (xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) {
      element.children.push_back(Convert(child));
    } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      element.text += Text(child->content);
    }
  }
  return element;
}

xmlNode* Build(xmlDoc* doc, const XmlElement& element) {
  xmlNode* node = xmlNewDocNode(doc, nullptr, BAD_CAST element.name.c_str(), nullptr);
  for (const auto& [name, value] : element.attributes) {
    xmlNewProp(node, BAD_CAST name.c_str(), BAD_CAST value.c_str());
  }
  if (!element.text.empty()) {
    xmlAddChild(node, xmlNewDocText(doc, BAD_CAST element.text.c_str()));
  }
  for (const XmlElement& child : element.children) {
    xmlAddChild(node, Build(doc, child));
  }
  return node;
}

// What tells one version of a file from another without reading it: writing the file again,
// renaming another over it or changing its permissions changes at least one of these.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           Same(modified, other.modified) && Same(changed, other.changed);
  }

 private:
  static bool Same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }
};

// The stamp of `path`, or nullopt when it cannot be taken or is too recent to be trusted: the
// file system's clock ticks coarsely, so a file written twice within a tick may keep its stamp.
// A stamp counts only once its change time lies two seconds in the past.
std::optional<FileStamp> SettledStampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  if (now.tv_sec - status.st_ctim.tv_sec < 2) {
    return std::nullopt;
  }
  return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

// The last parse of each file read, kept with the bytes it came from and, when settled, the
// file's stamp: a file whose stamp is unchanged is not even read again. Safe to use from several
// threads; bounded, so that a process reading many files keeps no more than a few.
class ParsedFileCache {
 public:
  std::optional<XmlElement> FindUnchanged(const std::string& path, const FileStamp& stamp) {
    std::lock_guard lock(mutex_);
    const auto found = files_.find(path);
    if (found == files_.end() || !found->second.stamp || !(*found->second.stamp == stamp)) {
      return std::nullopt;
    }
    return found->second.root;
  }
  std::optional<XmlElement> Find(const std::string& path, const std::string& bytes,
                                 const std::optional<FileStamp>& stamp) {
    std::lock_guard lock(mutex_);
    const auto found = files_.find(path);
    if (found == files_.end() || found->second.bytes != bytes) {
      return std::nullopt;
    }
    found->second.stamp = stamp;
    return found->second.root;
  }
  void Keep(const std::string& path, std::string bytes, const XmlElement& root,
            const std::optional<FileStamp>& stamp) {
    std::lock_guard lock(mutex_);
    if (files_.size() >= kMaxFiles && files_.find(path) == files_.end()) {
      files_.clear();
    }
    files_[path] = {std::move(bytes), root, stamp};
  }

 private:
  static constexpr size_t kMaxFiles = 32;
  struct Parsed {
    std::string bytes;
    XmlElement root;
    // Taken before the bytes were read, so that a write in between makes it stale, never the
    // bytes.
    std::optional<FileStamp> stamp;
  };
  std::mutex mutex_;
  std::map<std::string, Parsed> files_;
};

ParsedFileCache& ParsedFiles() {
  static ParsedFileCache cache;
  return cache;
}

}  // namespace

std::string XmlElement::Attribute(const std::string& name) const {
  const auto found = attributes.find(name);
  return found == attributes.end() ? std::string() : found->second;
}

XmlElement ReadXmlFile(const std::string& path) {
  const std::optional<FileStamp> stamp = SettledStampOf(path);
  if (stamp) {
    if (std::optional<XmlElement> known = ParsedFiles().FindUnchanged(path, *stamp)) {
      return *std::move(known);
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    throw Error(kErrFileNotFound, "Tarvex.Configuration",
                "Cannot read '" + path + "': " + std::strerror(errno));
  }
  std::string bytes;
  char buffer[8192];
  while (const size_t n = std::fread(buffer, 1, sizeof buffer, file)) {
    bytes.append(buffer, n);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    throw Error(kErrFileNotFound, "Tarvex.Configuration", "Cannot read '" + path + "'");
  }
  // The configuration files are read for nearly every call; a file whose bytes are those
  // parsed before is not parsed again.
  if (std::optional<XmlElement> known = ParsedFiles().Find(path, bytes, stamp)) {
    return *std::move(known);
  }
  xmlResetLastError();
  DocPtr doc(xmlReadMemory(
      bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
      XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) {
    const xmlError* error = xmlGetLastError();
    std::string reason = error != nullptr && error->message != nullptr ? error->message : "";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
      reason.pop_back();
    }
    throw Error(kErrTypeMismatch, "Tarvex.Configuration",
                "'" + path + "' is not well-formed XML: " + reason);
  }
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr) {
    throw Error(kErrTypeMismatch, "Tarvex.Configuration", "'" + path + "' has no root element");
  }
  XmlElement element = Convert(root);
  ParsedFiles().Keep(path, std::move(bytes), element, stamp);
  return element;
}

void WriteXmlFile(const std::string& path, const XmlElement& root) {
  DocPtr doc(xmlNewDoc(BAD_CAST "1.0"));
  xmlDocSetRootElement(doc.get(), Build(doc.get(), root));
  const std::string temporary = path + ".tmp";
  if (xmlSaveFormatFileEnc(temporary.c_str(), doc.get(), "UTF-8", 1) < 0 ||
      ::chmod(temporary.c_str(), 0600) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw Error(kErrPermissionDenied, "Tarvex.Configuration",
                "Cannot write '" + path + "': " + std::strerror(errno));
  }
}

}  // namespace velmora::host
