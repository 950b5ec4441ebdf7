#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velmora/routing/utility.h"

// The definitions of the user-defined fields ("tags") of document types, TAGSCONFIG, and the
// removal of a tag together with its stored values (TAGSVALUE). Each operation opens its own
// connection of the installation and closes it on every path; database failures raise.
namespace velmora::support {

// A row of TAGSCONFIG; Null columns are nullopt.
struct TagDefinition {
  int32_t id = 0;
  std::optional<std::string> doctype;
  std::optional<std::string> name;
  std::optional<std::string> pattern;
  std::optional<int32_t> kind;
};

class TagStore {
 public:
  // Adds a tag to document type `doctype`; returns its id. The caller checks the type and the
  // pattern.
  int32_t Add(const std::string& doctype, const std::string& name, const std::string& pattern,
              TagAttrXsl kind);
  // The tags of `doctype` (of every type when empty) by id.
  std::vector<TagDefinition> List(const std::string& doctype = "");
  // The tags of `doctype` in the order the box lists show them (sequence number, then id).
  std::vector<TagDefinition> InDisplayOrder(const std::string& doctype);
  // Removes tag `id` and every value stored for it, in one transaction (values left behind by
  // a definition removed earlier go too). False when there is no definition of the tag.
  bool Remove(int32_t id);
};

}  // namespace velmora::support
