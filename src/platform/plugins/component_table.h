#pragma once

#include <optional>
#include <string>
#include <vector>

// The component registry file of an installation, config/components.xml in its home:
//   <components>
//     <component progid="Acme.WordCheck" library="plugins/libacme_word_check.so"
//                factory="acme_create_word_check"/>
//   </components>
// `library` is absolute or relative to the home; `factory` is the exported C factory.
namespace velmora::plugins {

struct PluginEntry {
  std::string progid;
  // The library's path as the file gives it, and made absolute against the home.
  std::string library;
  std::string library_path;
  std::string factory;
};

// The path of the file in `home`.
std::string ComponentTablePath(const std::string& home);

// Every <component> of the file at `path`, in file order; none when the file does not exist.
// Raises an Error naming the file when it cannot be read or is not well-formed, and
// kErrCannotCreateObject when an entry lacks its progid, library or factory.
std::vector<PluginEntry> ReadComponentTable(const std::string& path, const std::string& home);

// The entry of `progid` (ASCII case ignored; the first one when several name it) in the file
// of `home`, or nothing.
std::optional<PluginEntry> FindPluginEntry(const std::string& home, const std::string& progid);

}  // namespace velmora::plugins
