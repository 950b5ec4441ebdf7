#pragma once

#include <map>
#include <string>
#include <vector>

// A small reader and writer for the host's own XML files (configuration files and the
// installation registry): flat elements with attributes and text, no namespaces. Parsing
// refuses DTDs and external entities.
namespace velmora::host {

struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
  std::vector<XmlElement> children;

  // The value of attribute `name`, or "".
  std::string Attribute(const std::string& name) const;
};

// The document element of the file at `path` (native path). Raises an Error naming the file
// when it is missing, unreadable or not well-formed.
XmlElement ReadXmlFile(const std::string& path);
// Writes `root` as an indented UTF-8 document, replacing the file atomically.
void WriteXmlFile(const std::string& path, const XmlElement& root);

}  // namespace velmora::host
