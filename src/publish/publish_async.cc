// Asynchronous publishing: the document written into the pick-up folder of the folder import.
#include "core/guarded.h"
#include "platform/files/path_text.h"
#include "publish/publish_internal.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/core/file_handling.h"

namespace velmora::publish {

constexpr const char* kAsyncPath = "PublishCreateDocument.PublishDocumentAsync";
constexpr int kNameAttempts = 100;

int32_t PublishDocumentAsync(const std::string& prefix, const std::string& extension,
                             const std::string& content, const std::string& sourceFile) {
  return core::Guarded(kAsyncPath, [&] {
    FileHandling files;
    const std::string folder = files.GetFolderName(EFolderType::XmlPath2Folder, "");
    PendingError last;
    for (int n = 0; n < kNameAttempts; ++n) {
      const std::string name = files.GetFileName(EFileType::WithTimeStamp, prefix, "",
                                                 "-" + std::to_string(n), extension);
      last.Clear();
      try {
        files.WriteFileToDisk(files::BuildPath(folder, name), content, sourceFile, true, true,
                              false, kIoModeWriting);
      } catch (...) {
        last.Capture();
      }
      if (last.number() != ErrNumber(EnumerationErrors::AlreadyPresent)) {
        break;
      }
    }
    if (last.IsSet()) {
      throw Error(last.number(), kAsyncPath, last.error().description());
    }
    return 0;
  });
}

}  // namespace velmora::publish
