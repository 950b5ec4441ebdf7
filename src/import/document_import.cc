// Velmora.DocumentImport: the published class of the folder import.
#include "velmora/import/document_import.h"

#include "core/guarded.h"
#include "import/folder_import_run.h"
#include "velmora/base/sources.h"

namespace velmora {

void DocumentImport::Run() {
  core::Guarded("Velmora.DocumentImport.Run", [&] { RunOnce({}); });
}

JobRunReport DocumentImport::RunOnce(std::stop_token stop) {
  return core::Guarded("Velmora.DocumentImport.RunOnce", [&] {
    return import::FolderImportRun(std::move(stop), CurrentClock().Now()).Run();
  });
}

}  // namespace velmora
