// Utility: the error folder of failed files and the small file and environment checks.
#include <limits>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sheet_engine.h"
#include "platform/files/path_text.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"
#include "velmora/core/file_handling.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

std::string Path(const char* operation) { return std::string("Velmora.Utility.") + operation; }

// "yyyy-mm-dd_hh-mm-ss" of the clock's current time: the server's short date with "/" as "-",
// its time with ":" as "-", blanks removed.
std::string ErrorFolderName() {
  const DateTime now = CurrentClock().Now();
  const std::string date = text::ReplaceAll(text::ReplaceAll(now.DateText(), " ", ""), "/", "-");
  const std::string time = text::ReplaceAll(text::ReplaceAll(now.TimeText(), " ", ""), ":", "-");
  return date + "_" + time;
}

// A path in `folder` for `name` that nothing occupies yet: `name` itself, else `name` with a
// counter 1, 2, ... inserted before its first "." (appended when it has none). The counter is
// 16-bit: beyond 32,767 tries the search fails with an overflow.
std::string UniquePathIn(files::FileSystem& fs, const std::string& folder,
                         const std::string& name) {
  const auto taken = [&](const std::string& path) {
    return fs.FileExists(path) || fs.FolderExists(path);
  };
  std::string candidate = files::BuildPath(folder, name);
  const size_t dot = name.find('.');
  for (int32_t counter = 1; taken(candidate); ++counter) {
    if (counter > std::numeric_limits<int16_t>::max()) {
      throw Error(kErrOverflow, "Velmora.Utility", "Overflow");
    }
    std::string numbered = name;
    numbered.insert(dot == std::string::npos ? numbered.size() : dot, std::to_string(counter));
    candidate = files::BuildPath(folder, numbered);
  }
  return candidate;
}

void RequireBareName(const std::string& name, const std::string& source) {
  if (!files::IsBareFileName(name) || !text::IsValidUtf8(name)) {
    throw Error(files::kErrBadFileName, source,
                "Bad file name: '" + files::PrintablePath(name) + "' is not a plain file name");
  }
}

}  // namespace

std::string Utility::CreateErrorDir() {
  return core::Guarded(Path("CreateErrorDir"), [&]() -> std::string {
    const std::string base = core::GetParameter("XMLErrorPath");
    if (!DirExist(base)) {
      FileHandling().CreateFolderTree(base);
    }
    // The error path is meant to end with a separator; one is put in when it does not, so that
    // the folder lands inside the error path and not beside it.
    const std::string dir = files::BuildPath(base, ErrorFolderName());
    auto fs = core::NewSiteFileSystem();
    if (!fs->FolderExists(dir)) {
      try {
        fs->CreateFolder(dir);
      } catch (const Error& failure) {
        // Another caller made it in the same second: files of one second share one folder.
        if (failure.number() != kErrFileAlreadyExists || !fs->FolderExists(dir)) {
          throw;
        }
      }
    }
    return dir;
  });
}

std::string Utility::WriteXmlFileToErrorDir(const std::string& content, std::string& fileName) {
  return core::Guarded(Path("WriteXMLFileToErrorDir"), [&]() -> std::string {
    const std::string dir = CreateErrorDir();
    if (!fileName.empty() && fileName[0] == '~') {
      fileName.erase(0, 1);
    }
    if (fileName.empty()) {
      fileName = core::NewTempFileName();
    }
    RequireBareName(fileName, Path("WriteXMLFileToErrorDir"));
    auto fs = core::NewSiteFileSystem();
    const std::string path = UniquePathIn(*fs, dir, fileName);
    fs->WriteFile(path, text::EncodeTextFile(content, true), files::WriteMode::kReplace);
    return path;
  });
}

void Utility::MoveFileToErrorDir(FileObject& file) {
  core::Guarded(Path("MoveFileToErrorDir"), [&] {
    const std::string dir = CreateErrorDir();
    std::string name = file.Name();
    if (!name.empty() && name[0] == '~') {
      name.erase(0, 1);
    }
    RequireBareName(name, Path("MoveFileToErrorDir"));
    auto fs = core::NewSiteFileSystem();
    const std::string target = UniquePathIn(*fs, dir, name);
    // Moved in one step under its new name: a claimed file renamed in its import folder first
    // would be imported again when the move then failed.
    fs->MoveFile(file.Path(), target);
    file.SetPath(target);
    SendEmailToAdministrator(target);
  });
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
  return core::Guarded(Path("DirExist"), [&]() -> bool {
    if (files::IsUncPath(folder)) {
      return core::GetRemoteFile(Path("DirExist"))->FolderExists(folder);
    }
    return core::NewSiteFileSystem()->FolderExists(folder);
  });
}

bool Utility::FileExistAlsoRemote(const std::string& folder, const std::string& fileName) {
  return core::Guarded(Path("FileExistAlsoRemote"), [&]() -> bool {
    const std::string path = files::BuildPath(folder, fileName);
    if (files::IsUncPath(path)) {
      return core::GetRemoteFile(Path("FileExistAlsoRemote"))->FileExists(path);
    }
    return core::NewSiteFileSystem()->FileExists(path);
  });
}

std::string Utility::AddTempPathIfNoDriveFound(const std::string& path) {
  return core::Guarded(Path("AddTempPathIfNoDriveFound"), [&]() -> std::string {
    return files::HasDrive(path) ? path : files::BuildPath(core::TempFolderPath(), path);
  });
}

bool Utility::IsExcelInstalled() {
  // True exactly when the process's workbook engine can start a process and reach it. A false
  // answer is logged so that an administrator sees why workbooks are refused. Never raises.
  try {
    const auto engine = core::GetSheetEngine();
    if (engine && engine->IsAvailable()) {
      return true;
    }
    core::LogWarning(Error(0, Path("IsExcelInstalled"),
                           engine ? "The workbook engine cannot be started or reached, so "
                                    "workbooks cannot be processed"
                                  : "This program has no workbook engine, so workbooks cannot "
                                    "be processed"),
                     Path("IsExcelInstalled"));
  } catch (...) {
  }
  return false;
}

bool Utility::IsExcelInstalledWithErrRaise() {
  return core::Guarded(Path("IsExcelInstalledWithErrRaise"), [&]() -> bool {
    if (!IsExcelInstalled()) {
      RaiseError(EnumerationErrors::ExcelNotInstalled, Path("IsExcelInstalledWithErrRaise"),
                 core::GetLabelForMessage("ZODAR0040", Dictionary()));
    }
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
