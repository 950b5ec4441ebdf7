#include "routing/error_folder.h"

#include <limits>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/labels.h"
#include "core/logged.h"
#include "core/sheet_engine.h"
#include "platform/files/path_text.h"
#include "routing/mails.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"

namespace velmora::routing::error_folder {
namespace {

constexpr const char* kIsExcelInstalledPath = "Velmora.Utility.IsExcelInstalled";

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

std::string Create() {
  const std::string base = core::GetParameter("XMLErrorPath");
  if (!FolderExists(base)) {
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
}

std::string WriteXml(const std::string& content, std::string& file_name) {
  const std::string dir = Create();
  if (!file_name.empty() && file_name[0] == '~') {
    file_name.erase(0, 1);
  }
  if (file_name.empty()) {
    file_name = core::NewTempFileName();
  }
  RequireBareName(file_name, "Velmora.Utility.WriteXMLFileToErrorDir");
  auto fs = core::NewSiteFileSystem();
  const std::string path = UniquePathIn(*fs, dir, file_name);
  fs->WriteFile(path, text::EncodeTextFile(content, true), files::WriteMode::kReplace);
  return path;
}

void Move(FileObject& file) {
  const std::string dir = Create();
  std::string name = file.Name();
  if (!name.empty() && name[0] == '~') {
    name.erase(0, 1);
  }
  RequireBareName(name, "Velmora.Utility.MoveFileToErrorDir");
  auto fs = core::NewSiteFileSystem();
  const std::string target = UniquePathIn(*fs, dir, name);
  // Moved in one step under its new name: a claimed file renamed in its import folder first
  // would be imported again when the move then failed.
  fs->MoveFile(file.Path(), target);
  file.SetPath(target);
  mails::SendToAdministrator(target);
}

bool FolderExists(const std::string& folder) {
  if (files::IsUncPath(folder)) {
    return core::GetRemoteFile("Velmora.Utility.DirExist")->FolderExists(folder);
  }
  return core::NewSiteFileSystem()->FolderExists(folder);
}

bool FileExists(const std::string& folder, const std::string& file_name) {
  const std::string path = files::BuildPath(folder, file_name);
  if (files::IsUncPath(path)) {
    return core::GetRemoteFile("Velmora.Utility.FileExistAlsoRemote")->FileExists(path);
  }
  return core::NewSiteFileSystem()->FileExists(path);
}

bool WorkbookEngineAvailable() {
  // A false answer is logged so that an administrator sees why workbooks are refused; so is an
  // engine that fails when asked.
  bool available = false;
  core::LogAndContinue(kIsExcelInstalledPath, [&] {
    const auto engine = core::GetSheetEngine();
    available = engine && engine->IsAvailable();
    if (!available) {
      core::LogWarning(Error(0, kIsExcelInstalledPath,
                             engine ? "The workbook engine cannot be started or reached, so "
                                      "workbooks cannot be processed"
                                    : "This program has no workbook engine, so workbooks "
                                      "cannot be processed"),
                       kIsExcelInstalledPath);
    }
  });
  return available;
}

void RequireWorkbookEngine() {
  if (!WorkbookEngineAvailable()) {
    RaiseError(EnumerationErrors::ExcelNotInstalled, "Velmora.Utility.IsExcelInstalledWithErrRaise",
               core::GetLabelForMessage("ZODAR0040", Dictionary()));
  }
}

}  // namespace velmora::routing::error_folder
