#pragma once

#include <string>

#include "velmora/core/file_handling.h"

// The error folder of failed files and the checks of folders, files and the workbook engine.
// Failures raise, unreported, unless said otherwise.
namespace velmora::routing::error_folder {

// The error folder of this moment, XMLErrorPath + "yyyy-mm-dd_hh-mm-ss" (both from the
// clock), created when missing; the error path itself is created first when it is missing.
std::string Create();

// Writes `content` as UTF-16LE with a byte-order mark into the error folder of this moment
// and returns the full path. `file_name` loses a leading "~"; blank, it becomes a fresh
// temporary name; an existing file of that name gets a counter before its first "."
// ("a.xml", "a1.xml", ...). `file_name` receives the name used. It must be a bare file name.
std::string WriteXml(const std::string& content, std::string& file_name);

// Moves `file` into the error folder of this moment (a leading "~" of its name dropped, a
// unique name chosen as above), points `file` at the new path and mails the administrator
// about it.
void Move(FileObject& file);

// Whether `folder` exists; "\server\share..." paths are asked of "D2ORiro.File" only.
bool FolderExists(const std::string& folder);

// Whether the file `file_name` of `folder` exists; network paths are asked of "D2ORiro.File".
bool FileExists(const std::string& folder, const std::string& file_name);

// Whether the workbook engine can start a process and reach it (core::GetSheetEngine()); a
// false answer is logged. Never raises.
bool WorkbookEngineAvailable();

// Raises ExcelNotInstalled with label "ZODAR0040" when WorkbookEngineAvailable() is false.
void RequireWorkbookEngine();

}  // namespace velmora::routing::error_folder
