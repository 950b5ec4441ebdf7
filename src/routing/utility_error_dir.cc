// Utility: the error folder of failed files and the small file and environment checks.
#include <string>

#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "routing/error_folder.h"
#include "routing/xml_files.h"
#include "velmora/base/error.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

std::string Path(const char* operation) { return std::string("Velmora.Utility.") + operation; }

}  // namespace

std::string Utility::CreateErrorDir() {
  return core::Guarded(Path("CreateErrorDir"), [] { return routing::error_folder::Create(); });
}

std::string Utility::WriteXmlFileToErrorDir(const std::string& content, std::string& fileName) {
  return core::Guarded(Path("WriteXMLFileToErrorDir"),
                       [&] { return routing::error_folder::WriteXml(content, fileName); });
}

void Utility::MoveFileToErrorDir(FileObject& file) {
  core::Guarded(Path("MoveFileToErrorDir"), [&] { routing::error_folder::Move(file); });
}

bool Utility::FileExist(const std::string& fileName) {
  return core::Guarded(Path("FileExist"),
                       [&]() -> bool { return core::NewSiteFileSystem()->FileExists(fileName); });
}

bool Utility::DirExistOnThisServer(const std::string& folder) {
  return core::Guarded(Path("DirExistOnThisServer"),
                       [&]() -> bool { return core::NewSiteFileSystem()->FolderExists(folder); });
}

bool Utility::DirExist(const std::string& folder) {
  return core::Guarded(Path("DirExist"),
                       [&] { return routing::error_folder::FolderExists(folder); });
}

bool Utility::FileExistAlsoRemote(const std::string& folder, const std::string& fileName) {
  return core::Guarded(Path("FileExistAlsoRemote"),
                       [&] { return routing::error_folder::FileExists(folder, fileName); });
}

std::string Utility::AddTempPathIfNoDriveFound(const std::string& path) {
  return core::Guarded(Path("AddTempPathIfNoDriveFound"),
                       [&] { return routing::xml_files::InTempFolderUnlessRooted(path); });
}

bool Utility::IsExcelInstalled() { return routing::error_folder::WorkbookEngineAvailable(); }

bool Utility::IsExcelInstalledWithErrRaise() {
  return core::Guarded(Path("IsExcelInstalledWithErrRaise"), [] {
    routing::error_folder::RequireWorkbookEngine();
    return false;
  });
}

void Utility::StoreErr(const PendingError& current) {
  core::Guarded(Path("StoreErr"), [&] { saved_error_ = current.Store(); });
}

void Utility::RestoreErr(PendingError& current) {
  core::Guarded(Path("RestoreErr"), [&] { current.Restore(saved_error_); });
}

std::string Utility::MakeStringFromArray(const Variant& array) {
  try {
    const VariantArray& elements = array.AsArray();
    if (elements.dimensions() != 1) {
      throw Error(kErrSubscriptOutOfRange, Path("MakeStringFromArray"), "Subscript out of range");
    }
    std::string joined;
    for (int32_t i = elements.LBound(); i <= elements.UBound(); ++i) {
      if (i > elements.LBound()) {
        joined += ", ";
      }
      joined += elements.At(i).ToText();
    }
    return joined;
  } catch (...) {
    core::LogError(Path("MakeStringFromArray"));
  }
  return {};
}

std::string Utility::ConvertArrayToList(const Variant& array) {
  return core::Guarded(Path("ConvertArrayToList"), [&]() -> std::string {
    if (!array.IsArray()) {
      return {};
    }
    const VariantArray& elements = array.AsArray();
    if (elements.dimensions() == 0) {
      return {};
    }
    std::string joined;
    for (int32_t i = 0; i <= elements.UBound(); ++i) {
      joined += elements.At(i).ToText() + ", ";
    }
    if (!joined.empty()) {
      joined.resize(joined.size() - 2);
    }
    return joined;
  });
}

}  // namespace velmora
