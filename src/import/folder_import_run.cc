// The folder import's run: the settings it checks, the folders it scans and the claim of each
// file before it is read.
#include "import/folder_import_run.h"

#include <functional>
#include <utility>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "import/import_rules.h"
#include "platform/files/file_system.h"
#include "platform/files/path_text.h"
#include "routing/error_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/convert/obi.h"

namespace velmora::import {
namespace {

constexpr const char* kStartImports = "Velmora.DocumentImport.startImports";
constexpr const char* kImportFiles = "Velmora.DocumentImport.ImportFilesForFolder";

// An error that stands for a setting found empty.
Error Empty(const std::string& what) {
  return Error(ErrNumber(EnumerationErrors::MissingParameter), kStartImports, what + " is empty");
}

}  // namespace

Dictionary Replacing(const std::string& key, const std::string& value) {
  Dictionary replacements;
  replacements.Add(key, Variant(value));
  return replacements;
}

FolderImportRun::FolderImportRun(std::stop_token stop, DateTime started)
    : stop_(std::move(stop)), started_(started) {}

JobRunReport FolderImportRun::Run() {
  try {
    TraceStep("Run (start)");
    startRun();
    TraceStep("Run (end)");
  } catch (...) {
    // Only the log itself can fail here; the run has done what it could.
  }
  return std::move(report_);
}

void FolderImportRun::startRun() {
  try {
    startImports();
  } catch (...) {
    const Error failure = CurrentError();
    report_.warnings.push_back(failure.description());
    core::LogError(failure, "Velmora.DocumentImport.startRun");
  }
}

void FolderImportRun::startImports() {
  // Runs one numbered step; a failure logs the step's label and ends the run (false).
  const auto step = [&](const std::string& label, const Dictionary& replacements,
                        const std::function<void()>& body) {
    try {
      body();
      return true;
    } catch (...) {
      Problem(kStartImports, label, replacements, CurrentError());
      return false;
    }
  };
  const auto param = [](const char* name) { return Replacing("[%PARAM%]", name); };
  TraceStep("getParameters (start)");
  if (!step("ZODAR0009", {}, [&] {
        if (text::Trim(getIISVirtID()).empty()) {
          throw Empty("The web site id (GLOBAL/IISVirtId)");
        }
      })) {
    return;
  }
  if (!step("ZODAR0010", {}, [&] {
        delimiter_ = core::GetParameter("EDIDelimiter");
        if (delimiter_.empty()) {
          throw Empty("The parameter EDIDelimiter");
        }
      })) {
    return;
  }
  std::string folder1;
  std::string folder2;
  std::string obi_folder;
  const bool obi_enabled = OBI().IsOBIEnabled();
  if (!step("ZODAR0034", param("XMLErrorPath"),
            [&] {
              error_folder_ = RequireFolder(EFolderType::XmlErrorFolder);
              if (text::Trim(error_folder_).empty()) {
                throw Empty("The parameter XMLErrorPath");
              }
            }) ||
      !step("ZODAR0034", param("XmlPath1"),
            [&] { folder1 = RequireFolder(EFolderType::XmlPath1Folder); }) ||
      !step("ZODAR0034", param("XmlPath2"),
            [&] { folder2 = RequireFolder(EFolderType::XmlPath2Folder); }) ||
      (obi_enabled && !step("ZODAR0034", param("ObiPath"),
                            [&] { obi_folder = RequireFolder(EFolderType::ObiFolder); }))) {
    return;
  }
  TraceStep("getParameters (end)");
  const std::vector<std::pair<std::string, const char*>> folders = {
      {folder1, "XmlPath1"}, {folder2, "XmlPath2"}, {obi_enabled ? obi_folder : "", "ObiPath"}};
  for (const auto& [folder, name] : folders) {
    if (stop_.stop_requested() || !step("ZODAR0034", param(name), [&] {
          if (!text::Trim(folder).empty()) {
            ImportFilesForFolder(folder);
          }
        })) {
      return;
    }
  }
}

std::string FolderImportRun::getIISVirtID() {
  return core::Guarded("Velmora.DocumentImport.getIISVirtID", [&] {
    return core::ReadConfigValue(core::getSiteConfigFile(), "GLOBAL", "IISVirtId").ToText();
  });
}

std::string FolderImportRun::RequireFolder(EFolderType type) {
  FileHandling files;
  const std::string folder = files.GetFolderName(type);
  if (!text::Trim(folder).empty() && !files.FolderExists(folder)) {
    files.CreateFolderTree(folder);
  }
  return folder;
}

void FolderImportRun::ImportFilesForFolder(const std::string& folder) {
  std::shared_ptr<Collection> files;
  try {
    files = FileHandling().getFilesInFolder(folder);
  } catch (...) {
    Problem(kImportFiles, "ZODAR0014", Replacing("[%FOLDERNAME%]", folder), CurrentError());
    return;
  }
  TraceStep("readOneFileToBeProcessed_start  - file :");
  WarnAboutStaleClaims(*files, folder);
  for (const Variant& item : files->items()) {
    if (stop_.stop_requested()) {
      break;
    }
    if (const auto file = item.As<FileObject>()) {
      ImportFile(*file, folder);
    }
  }
  TraceStep("readFilesForFolder_end  - folder :" + folder);
}

void FolderImportRun::WarnAboutStaleClaims(const Collection& files, const std::string& folder) {
  for (const Variant& item : files.items()) {
    const auto file = item.As<FileObject>();
    if (file && IsClaimed(file->Name()) && HasImportExtension(file->Name()) &&
        IsStaleClaim(file->DateLastModified(), started_)) {
      Warn(kImportFiles, "The file '" + file->Name() + "' in '" + folder +
                             "' was claimed by an earlier run and not finished (last changed " +
                             file->DateLastModified().ToText() +
                             "); it is not imported again: import it or move it away");
    }
  }
}

void FolderImportRun::ImportFile(FileObject& file, const std::string& folder) {
  const std::string name = text::Trim(file.Name());
  TraceStep("readFilesForFolder_start  - file :" + name);
  if (!HasImportExtension(name) || IsClaimed(name)) {
    return;
  }
  ++report_.found;
  // A file changed at or just before the start may still be written: the next run takes it.
  if (WaitsForLaterRun(file.DateLastModified(), started_)) {
    ++report_.left;
    return;
  }
  const std::string claimed = files::BuildPath(folder, "~" + name);
  try {
    core::NewSiteFileSystem()->MoveFile(file.Path(), claimed);
  } catch (...) {
    // Claimed by a parallel run, or not ours to rename: tried again by the next run.
    ++report_.left;
    return;
  }
  file.SetPath(claimed);
  const std::string extension = FileHandling().GetFileExtension(name);
  PendingError pending;
  try {
    if (extension == "obi") {
      ProcessObiFile(file);
    } else if (extension == "xml") {
      processXMLFile(file);
    } else if (ExcelOk()) {
      std::shared_ptr<xml::Document> converted;
      B2BExcel().TransformExcelToXML(file.Path(), converted);
      ProcessExcelFile(converted->Xml(), file, kImportFiles);
    } else {
      MoveToErrorFolder(file);
      Problem(kImportFiles, "ZODAR0040", {},
              Error(ErrNumber(EnumerationErrors::ExcelNotInstalled), kImportFiles, ""));
    }
  } catch (...) {
    pending.Capture();
  }
  if (pending.IsSet()) {
    Problem(kImportFiles, "ZODAR0041", Replacing("[%FILE%]", name), pending.error());
    if (core::NewSiteFileSystem()->FileExists(file.Path()) && IsClaimed(file.Name())) {
      ++report_.left;
    }
  }
  TraceStep("readOneFileToBeProcessed_end  - file :" + name);
}

bool FolderImportRun::ExcelOk() {
  if (!excel_ok_) {
    try {
      excel_ok_ = routing::error_folder::WorkbookEngineAvailable();
    } catch (...) {
      excel_ok_ = true;
    }
  }
  return *excel_ok_;
}

void FolderImportRun::TraceStep(const std::string& text) {
  if (core::iGeneral_B2BLogging() >= 1) {
    core::LogTrace(Error(0, kTraceSource, ""), kTraceSource, Variant(text));
  }
}

void FolderImportRun::Problem(const std::string& path, const std::string& label,
                              const Dictionary& replacements, const Error& cause) {
  const std::string message = core::GetLabelForMessage(label, replacements);
  report_.warnings.push_back(message);
  core::LogError(Error(cause.number(), path, message), path,
                 cause.description().empty() ? core::Info() : core::Info(cause.description()));
}

void FolderImportRun::Warn(const std::string& path, const std::string& text) {
  report_.warnings.push_back(text);
  core::LogWarning(Error(0, path, text), path);
}

}  // namespace velmora::import
