// Error-folder copies of content whose synchronous publication failed.
#include <vector>

#include "core/guarded.h"
#include "core/logged.h"
#include "publish/publish_internal.h"
#include "routing/error_folder.h"
#include "velmora/core/file_handling.h"

namespace velmora::publish {
namespace {

// Copies every attachment into `folder` under a free name. A file that cannot be copied does
// not keep the others out; the first failure is reported as
// "PublishCreateDocument.WriteAttachmentsToErrorDir" after all were tried.
void WriteAttachmentsToErrorDir(const std::string& folder,
                                const std::shared_ptr<Collection>& attachments) {
  core::Guarded("PublishCreateDocument.WriteAttachmentsToErrorDir", [&] {
    FileHandling files;
    PendingError first;
    for (const Variant& item : attachments->items()) {
      const std::string path = item.ToText();
      try {
        const std::string name = files.GetBaseName(path) + "." + files.GetFileExtension(path);
        files.CopyFile(path, files.GetUniqueFileName(folder, name), false);
      } catch (...) {
        if (!first.IsSet()) {
          first.Capture();
        }
      }
    }
    if (first.IsSet()) {
      first.Raise();
    }
  });
}

}  // namespace

bool HasItems(const std::shared_ptr<Collection>& attachments) {
  return attachments && attachments->Count() > 0;
}

void WriteDocumentContentAndAttachmentsToErrorDir(int32_t docId, const std::string& xml,
                                                  const std::shared_ptr<Collection>& attachments) {
  core::LogAndContinue("PublishCreateDocument.WriteDocumentContentAndAttachmentsToErrorDir", [&] {
    const std::string folder = routing::error_folder::Create();
    FileHandling files;
    const std::string name = docId > 0 ? std::to_string(docId) + ".xml" : "Error.xml";
    files.createTextFile(xml, files.GetUniqueFileName(folder, name), true);
    if (HasItems(attachments)) {
      WriteAttachmentsToErrorDir(folder, attachments);
    }
  });
}

void WriteFileAndAttachmentsToErrorDir(const std::string& file,
                                       const std::shared_ptr<Collection>& attachments) {
  core::LogAndContinue("PublishCreateDocument.WriteFileAndAttachmentsToErrorDir", [&] {
    const std::string folder = routing::error_folder::Create();
    FileHandling files;
    const std::string name = files.GetBaseName(file) + "." + files.GetFileExtension(file);
    files.CopyFile(file, files.GetUniqueFileName(folder, name), false);
    if (HasItems(attachments)) {
      WriteAttachmentsToErrorDir(folder, attachments);
    }
  });
}

}  // namespace velmora::publish
