#include "platform/files/path_text.h"
#include "velmora/core/file_handling.h"

namespace velmora {

Variant FileObject::Export() const {
  auto exported = std::make_shared<Dictionary>();
  exported->Add("Name", Variant(name_));
  exported->Add("Path", Variant(path_));
  exported->Add("Size", Variant(size_));
  exported->Add("DateLastModified", Variant(date_last_modified_));
  return Variant(ObjectRef(exported));
}

void FileObject::SetPath(std::string path) {
  name_ = files::GetFileNamePart(path);
  path_ = std::move(path);
}

}  // namespace velmora
