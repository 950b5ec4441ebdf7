#pragma once

#include <string>

// The temporary XML files of the library: written in UTF-16 or Windows-1252 and deleted.
namespace velmora::routing::xml_files {

// `path` unchanged when it has a drive ("X:"), a share ("\server\share") or is an absolute
// POSIX path; otherwise the temporary folder joined with `path`.
std::string InTempFolderUnlessRooted(const std::string& path);

// The full path a file `file_name` is written at. A blank `file_name` becomes the running
// thread's id followed by a fresh temporary name, written back to `file_name`; a name without
// a drive or share goes into the temporary folder; a name that climbs out of its folder with
// ".." raises InvalidParamValue.
std::string PathFor(std::string& file_name);

// Writes `xml` into the file `full_path`, replacing it: UTF-16LE with a byte-order mark when
// `unicode`, Windows-1252 otherwise. Text beginning with an XML declaration gets that encoding
// declared, and in Windows-1252 its characters outside the code page become character
// references; other text is written as it is (characters outside Windows-1252 as "?").
void WriteAt(const std::string& xml, const std::string& full_path, bool unicode);

// WriteAt(xml, PathFor(file_name), unicode); the full path. Failures raise, unreported.
std::string Write(const std::string& xml, std::string& file_name, bool unicode);

// Deletes the file when the trimmed name is not blank. Refused permission is not raised: it
// is logged under "Velmora.Utility.DeleteXMLFileFromDisk" with labels "ZODAR4567" and
// "ZODAR0881". Any other failure (a missing file included) is raised, unreported.
void Delete(const std::string& file_name);

}  // namespace velmora::routing::xml_files
