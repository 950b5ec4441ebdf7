#pragma once

#include <string>
#include <string_view>

// Path texts written the library's way, taken apart and joined without touching the file
// system: "\" and "/" are both separators; "\\server\share" and "X:" are roots. These are the
// rules of the file-system service the library's path arithmetic relies on (join, parent,
// name, base name, extension).
namespace velmora::files {

bool IsSeparator(char c);

// The first two characters are two backslashes: "\\server\share\...".
bool IsUncPath(std::string_view path);

// A drive letter and a colon at the start: "X:", "X:\...".
bool StartsWithDrive(std::string_view path);

// Whether `path` names a place of its own: a drive, a share, or an absolute POSIX path.
bool HasDrive(std::string_view path);

// `folder` and `name` joined with one separator: none added when `folder` is empty or ends in
// a separator; otherwise "\" when `folder` contains a backslash, "/" when it does not.
std::string BuildPath(std::string_view folder, std::string_view name);

// The last part of `path`, trailing separators ignored ("C:\a\b.xml" and "C:\a\b.xml\" give
// "b.xml"); "" for a root or a blank path.
std::string GetFileNamePart(std::string_view path);

// The last part without its extension ("a.b.xml" gives "a.b", ".profile" gives "").
std::string GetBaseNamePart(std::string_view path);

// The text after the last "." of the last part, as written ("A.XML" gives "XML"); "" when
// the last part has no ".".
std::string GetExtensionPart(std::string_view path);

// The folder that holds the last part, without trailing separator except at a root:
// "C:\a\b" gives "C:\a", "C:\a" gives "C:\", "/a" gives "/", "a" gives "". A root ("C:\",
// "/", "\\srv\share") has no parent: "".
std::string GetParentFolderPart(std::string_view path);

// True when `path` ends in a separator.
bool EndsWithSeparator(std::string_view path);

// The file a copy or move of `from` to `to` makes: `to` itself, or, when `to` ends in a
// separator (a folder), that folder joined with the name of `from`.
std::string TargetPath(std::string_view from, std::string_view to);

// True when `name` is one plain file name: not blank, not "." or "..", without separators
// and without a drive.
bool IsBareFileName(std::string_view name);

// True when one of the parts of `path` between separators is "..".
bool HasParentStep(std::string_view path);

}  // namespace velmora::files
