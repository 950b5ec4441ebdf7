#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "core/general.h"
#include "velmora/base/date_time.h"
#include "velmora/core/file_handling.h"
#include "velmora/core/job_run.h"

// One run of the folder import, step by step. Each step names itself in the log as
// "Velmora.DocumentImport." + its name. A run object is used once, by one thread.
namespace velmora::import {

inline constexpr const char* kTraceSource = "Document Import Service";

class FolderImportRun {
 public:
  // A run that started at `started` (the library clock) and stops between files once `stop`
  // is requested.
  FolderImportRun(std::stop_token stop, DateTime started);
  FolderImportRun(const FolderImportRun&) = delete;
  FolderImportRun& operator=(const FolderImportRun&) = delete;

  // The whole run; never raises. Returns what it did.
  JobRunReport Run();

 private:
  // ---- The run and its folders (folder_import_run.cc) ----
  void startRun();
  void startImports();
  std::string getIISVirtID();
  // The folder of kind `type`, created when it is missing and not blank.
  std::string RequireFolder(EFolderType type);
  void ImportFilesForFolder(const std::string& folder);
  // Warns about every claimed import file of `files` left behind by an earlier run.
  void WarnAboutStaleClaims(const Collection& files, const std::string& folder);
  // Steps b to f of the folder loop for one file listed in `folder`.
  void ImportFile(FileObject& file, const std::string& folder);
  // Whether the spreadsheet engine is there; asked once per run, when the first workbook
  // comes (an error while asking counts as there).
  bool ExcelOk();

  // ---- One file by kind (import_files.cc) ----
  void processXMLFile(FileObject& file);
  void ProcessExcelFile(const std::string& xml, FileObject& file, const std::string& method);
  void ProcessObiFile(FileObject& file);
  void MoveToErrorFolder(FileObject& file);

  // ---- One document (import_document.cc) ----
  // Publishes `xml`; a processing failure is logged as a warning, copied to the error folder
  // and mailed to the administrator. Never raises.
  void ImportDocument(const std::string& xml, const FileObject& file, const std::string& method);
  void WriteNodeToFile(const FileObject& file, const std::string& xml);
  void WriteExcelToFile(const FileObject& file);

  // ---- The log and the report ----
  // A trace entry when the trace level is 1 or more.
  void TraceStep(const std::string& text);
  // Logs `label` (its text with `replacements`, the default language) as an error of `path`,
  // with the description of `cause` as additional information, and adds it to the report's
  // warnings.
  void Problem(const std::string& path, const std::string& label, const Dictionary& replacements,
               const Error& cause);
  // Adds `text` to the report's warnings and logs it as a warning of `path`.
  void Warn(const std::string& path, const std::string& text);

  std::stop_token stop_;
  DateTime started_;
  std::string delimiter_;
  std::string error_folder_;
  std::optional<bool> excel_ok_;
  JobRunReport report_;
};

// The label replacement dictionary {key: value}.
Dictionary Replacing(const std::string& key, const std::string& value);

}  // namespace velmora::import
