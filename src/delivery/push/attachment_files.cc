#include "delivery/push/attachment_files.h"

#include "delivery/push/push_support.h"
#include "velmora/support/attachments.h"

namespace velmora::delivery {

std::string AttachmentsFolderOrRaise(const std::string& source, const std::string& suffix) {
  std::string url;
  std::string folder;
  if (!Attachments().GetAttachmentUrlAndFolder(url, folder)) {
    RaiseError(EnumerationErrors::AttachmentsSupported, source,
               Label("ZODAR5071", {{"[%PARAMNAME%]", "AttachmentsVirtualPath"}}) + suffix);
  }
  return folder;
}

std::vector<std::string> AttachmentNames(int32_t doc_id, const std::string& source) {
  std::vector<std::string> names;
  auto files = Attachments().getDBFiles(doc_id);
  for (; !files->IsEOF(); files->MoveNext()) {
    names.push_back(files->Field("ATTACHMENTFILENAME").ToText());
  }
  files->Close();
  for (const std::string& name : names) {
    CheckPlainFileName(name, source);
  }
  return names;
}

std::string AttachmentPath(const std::string& folder, int32_t doc_id, const std::string& name) {
  return folder + std::to_string(doc_id) + "\\" + name;
}

}  // namespace velmora::delivery
