// Velmora.FileHandling: the library's gateway to the file system.
#include "velmora/core/file_handling.h"

#include <cstdio>
#include <vector>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "platform/files/path_text.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"

namespace velmora {
namespace {

constexpr const char* kWriteFileToDisk = "Velmora.FileHandling.WriteFileToDisk";
// Both folder listings report under this path.
constexpr const char* kGetFilesInFolder = "Velmora.FileHandling.GetFilesInFolder";
// CreateFolderTree gives up collecting missing folders after this many levels.
constexpr size_t kMaxFolderLevels = 127;

std::string Path(const char* method) { return std::string("Velmora.FileHandling.") + method; }

// Raises `number` with the text of `label` in the default language, `placeholder` (when
// given) replaced by `value`.
[[noreturn]] void RaiseLabelled(EnumerationErrors number, std::string source, const char* label,
                                const char* placeholder = nullptr, const std::string& value = {}) {
  Dictionary replacements;
  if (placeholder != nullptr) {
    replacements.Add(placeholder, Variant(value));
  }
  RaiseError(number, std::move(source), core::GetLabelForMessage(label, replacements));
}

// "_yyyy.mm.dd_hh.mm.ss" of the clock's current time.
std::string TimeStampSuffix() {
  const DateTime now = CurrentClock().Now();
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "_%04d.%02d.%02d_%02d.%02d.%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  return stamp;
}

// The names of a listing that are valid UTF-8. The others are left out, with a warning in the
// log, since no operation of the library could name them again.
std::vector<std::string> UsableNames(const std::vector<std::string>& names,
                                     const std::string& folder) {
  std::vector<std::string> usable;
  for (const std::string& name : names) {
    if (text::IsValidUtf8(name)) {
      usable.push_back(name);
    }
  }
  if (const size_t left_out = names.size() - usable.size(); left_out > 0) {
    core::LogWarning(Error(files::kErrBadFileName, kGetFilesInFolder,
                           std::to_string(left_out) + " file name(s) in '" + folder +
                               "' are not valid UTF-8 and are left out"),
                     kGetFilesInFolder);
  }
  return usable;
}

std::string InstallationDir(const std::string& path) {
  const std::string dir = core::getInstallDir();
  if (text::Trim(dir).empty()) {
    throw Error(kErrPathNotFound, path, "Path not found: the installation directory is unknown");
  }
  return dir;
}

}  // namespace

std::string FileHandling::GetFileExtension(const std::string& fileName) {
  return core::Guarded(Path("GetFileExtension"), [&]() -> std::string {
    return text::ToLower(files::GetExtensionPart(fileName));
  });
}

std::string FileHandling::GetFolderName(EFolderType folderType, const std::string& folderName) {
  return core::Guarded(Path("GetFolderName"), [&]() -> std::string {
    switch (folderType) {
      case EFolderType::AsIs:
        return folderName;
      case EFolderType::UploadFolder:
        return text::Trim(core::GetParameter("XmlUploadTempDir"));
      case EFolderType::ErrorFolder:
        return text::Trim(core::GetParameter("ErrorPath"));
      case EFolderType::XmlPath1Folder:
        return text::Trim(core::GetParameter("XMLPath1"));
      case EFolderType::XmlPath2Folder:
        return text::Trim(core::GetParameter("XMLPath2"));
      case EFolderType::XmlErrorFolder:
        return text::Trim(core::GetParameter("XMLErrorPath"));
      case EFolderType::ObiFolder:
        return text::Trim(core::GetParameter("ObiPath"));
      case EFolderType::WindowsFolder:
        return InstallationDir(Path("GetFolderName"));
      case EFolderType::TempFolder:
        return core::TempFolderPath();
      case EFolderType::SystemFolder:
        return files::BuildPath(InstallationDir(Path("GetFolderName")), "plugins");
      case EFolderType::WithTimeStamp:
        return folderName + TimeStampSuffix();
      case EFolderType::AttachmentsVirtualFolder:
        return text::Trim(core::GetParameter("AttachmentsVirtualPath"));
      case EFolderType::ExcelTempFolder: {
        const std::string folder = text::Trim(core::GetParameter("ExcelTempFolder"));
        if (!FolderExists(folder)) {
          CreateFolderTree(folder);
        }
        return folder;
      }
    }
    const std::string trimmed = text::Trim(folderName);
    return trimmed.empty() ? std::string(".") : trimmed;
  });
}

std::string FileHandling::GetFileName(EFileType fileType, const std::string& prefix,
                                      const std::string& name, const std::string& suffix,
                                      const std::string& extension) {
  return core::Guarded(Path("GetFileName"), [&]() -> std::string {
    const std::string p = text::Trim(prefix);
    const std::string s = text::Trim(suffix);
    const std::string e = text::Trim(extension);
    switch (fileType) {
      case EFileType::AsIs:
        return p + text::Trim(name) + s + e;
      case EFileType::TempFile:
        return p + core::NewTempFileName() + s + e;
      case EFileType::WithTimeStamp:
        return p + text::Trim(name) + TimeStampSuffix() + s + e;
      case EFileType::Backup:
        break;
    }
    return {};
  });
}

void FileHandling::WriteFileToDisk(const std::string& destFile, const std::string& sourceString,
                                   const std::string& sourceFile, bool createFolders,
                                   bool createFile, bool overwriteFile, int32_t ioMode) {
  core::Guarded(kWriteFileToDisk, [&] {
    // The file names are used trimmed throughout, as the checks and messages name them.
    const std::string dest = text::Trim(destFile);
    const std::string source = text::Trim(sourceFile);
    const std::string source_dest = std::string(kWriteFileToDisk) + "_DestFile";
    const std::string source_source = std::string(kWriteFileToDisk) + "_SourceFile";
    if (dest.empty()) {
      RaiseLabelled(EnumerationErrors::MissingParameter, source_dest, "ZODAR4566");
    }
    if (ioMode == kIoModeReading) {
      RaiseLabelled(EnumerationErrors::WrongIOMode, kWriteFileToDisk, "ZODAR4562");
    }
    if (!source.empty() && !text::Trim(sourceString).empty()) {
      RaiseLabelled(EnumerationErrors::NotPresent, source_source, "ZODAR4565");
    }
    auto fs = core::NewSiteFileSystem();
    if (!source.empty() && !fs->FileExists(source)) {
      RaiseLabelled(EnumerationErrors::NotPresent, source_source, "ZODAR4561", "[%FILENAME%]",
                    source);
    }
    const bool dest_exists = fs->FileExists(dest);
    if (!dest_exists && !createFile) {
      RaiseLabelled(EnumerationErrors::NotPresent, source_dest, "ZODAR4561", "[%FILENAME%]", dest);
    }
    if (dest_exists && !overwriteFile) {
      RaiseLabelled(EnumerationErrors::AlreadyPresent, kWriteFileToDisk, "ZODAR4563",
                    "[%FILENAME%]", dest);
    }
    const std::string folder = files::GetParentFolderPart(dest);
    if (!folder.empty() && !fs->FolderExists(folder)) {
      if (!createFolders) {
        RaiseLabelled(EnumerationErrors::NotPresent, std::string(kWriteFileToDisk) + "_DestFolder",
                      "ZODAR4564", "[%FOLDERNAME%]", text::Trim(folder));
      }
      CreateFolderTree(folder);
    }
    try {
      if (!sourceString.empty()) {
        if (ioMode != kIoModeWriting && ioMode != kIoModeAppending) {
          throw Error(kErrInvalidProcedureCall, kWriteFileToDisk,
                      "Invalid procedure call: I/O mode " + std::to_string(ioMode));
        }
        fs->WriteFile(
            dest, text::Utf8ToWindows1252(sourceString, text::Unmappable::kQuestionMark),
            ioMode == kIoModeAppending ? files::WriteMode::kAppend : files::WriteMode::kReplace);
      } else if (ioMode != kIoModeAppending) {
        fs->CopyFile(source, files::TargetPath(source, dest), overwriteFile);
      } else {
        const std::string text = text::DecodeTextFile(fs->ReadFile(source));
        fs->WriteFile(dest, text::Utf8ToWindows1252(text, text::Unmappable::kQuestionMark),
                      files::WriteMode::kAppend);
      }
    } catch (const Error& failure) {
      if (failure.number() != kErrFileAlreadyExists) {
        throw;
      }
      RaiseLabelled(EnumerationErrors::AlreadyPresent, kWriteFileToDisk, "ZODAR4563",
                    "[%FILENAME%]", dest);
    }
  });
}

void FileHandling::CreateFolderTree(const std::string& path) {
  core::Guarded(Path("CreateFolderTree"), [&] {
    if (files::IsUncPath(path)) {
      core::GetRemoteFile(Path("CreateFolderTree"))->CreateFolderTree(path);
      return;
    }
    auto fs = core::NewSiteFileSystem();
    std::vector<std::string> missing;
    missing.reserve(20);
    for (std::string current = path;
         !current.empty() && !fs->FolderExists(current) && missing.size() < kMaxFolderLevels;
         current = files::GetParentFolderPart(current)) {
      missing.push_back(current);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
      fs->CreateFolder(*folder);
    }
  });
}

std::shared_ptr<Collection> FileHandling::getFilesInFolder(const std::string& folder) {
  return core::Guarded(kGetFilesInFolder, [&]() -> std::shared_ptr<Collection> {
    std::vector<std::string> names;
    std::vector<files::FolderEntry> entries;
    for (files::FolderEntry& entry : core::NewSiteFileSystem()->List(folder)) {
      if (entry.is_file) {
        names.push_back(entry.name);
        entries.push_back(std::move(entry));
      }
    }
    UsableNames(names, folder);
    auto found = std::make_shared<Collection>();
    for (const files::FolderEntry& entry : entries) {
      if (text::IsValidUtf8(entry.name)) {
        found->Add(Variant(ObjectRef(std::make_shared<FileObject>(
            entry.name, files::BuildPath(folder, entry.name), entry.size, entry.modified))));
      }
    }
    return found;
  });
}

std::shared_ptr<Collection> FileHandling::getFileNamesInFolder(const std::string& folder) {
  return core::Guarded(kGetFilesInFolder, [&]() -> std::shared_ptr<Collection> {
    std::vector<std::string> names;
    if (files::IsUncPath(folder)) {
      auto listed = core::GetRemoteFile(kGetFilesInFolder)->GetFileNamesInFolder(folder);
      if (listed) {
        for (const Variant& name : listed->items()) {
          names.push_back(name.ToText());
        }
      }
    } else {
      for (const files::FolderEntry& entry : core::NewSiteFileSystem()->List(folder)) {
        if (entry.is_file) {
          names.push_back(entry.name);
        }
      }
    }
    auto found = std::make_shared<Collection>();
    for (std::string& name : UsableNames(names, folder)) {
      found->Add(Variant(std::move(name)));
    }
    return found;
  });
}

std::string FileHandling::GetFileContentAsString(const std::string& fileName) {
  return core::Guarded(Path("GetFileContentAsString"), [&]() -> std::string {
    std::string bytes;
    try {
      bytes = core::NewSiteFileSystem()->ReadFile(fileName);
    } catch (...) {
      RaiseLabelled(EnumerationErrors::CannotLoadFile, Path("GetFileContentAsString"), "ZODAR4560",
                    "[%FILENAME%]", fileName);
    }
    return text::DecodeTextFile(bytes);
  });
}

void FileHandling::deleteFolderAndFilesInFolder(const std::string& folder) {
  core::Guarded(Path("deleteFolderAndFilesInFolder"), [&] {
    if (files::IsUncPath(folder)) {
      core::GetRemoteFile(Path("deleteFolderAndFilesInFolder"))->DeleteFolderAndFiles(folder);
      return;
    }
    auto fs = core::NewSiteFileSystem();
    if (!fs->FolderExists(folder)) {
      return;
    }
    for (const files::FolderEntry& entry : fs->List(folder)) {
      if (entry.is_file) {
        fs->DeleteFile(files::BuildPath(folder, entry.name));
      }
    }
    fs->DeleteFolder(folder);
  });
}

void FileHandling::DeleteFileFromDisk(const std::string& fileName) {
  core::Guarded(Path("DeleteFileFromDisk"), [&] {
    if (text::Trim(fileName).empty()) {
      return;
    }
    if (files::IsUncPath(fileName)) {
      core::GetRemoteFile(Path("DeleteFileFromDisk"))->DeleteFile(fileName);
      return;
    }
    core::NewSiteFileSystem()->DeleteFile(fileName);
  });
}

void FileHandling::MoveFile(const std::string& from, const std::string& to) {
  core::Guarded(Path("MoveFile"), [&] {
    if (files::IsUncPath(from) || files::IsUncPath(to)) {
      core::GetRemoteFile(Path("MoveFile"))->MoveFile(from, to);
      return;
    }
    core::NewSiteFileSystem()->MoveFile(from, files::TargetPath(from, to));
  });
}

void FileHandling::CopyFile(const std::string& from, const std::string& to, bool overwrite) {
  core::Guarded(Path("CopyFile"), [&] {
    if (files::IsUncPath(from) || files::IsUncPath(to)) {
      core::GetRemoteFile(Path("CopyFile"))->CopyFile(from, to, overwrite);
      return;
    }
    core::NewSiteFileSystem()->CopyFile(from, files::TargetPath(from, to), overwrite);
  });
}

bool FileHandling::FileExists(const std::string& fileName) {
  return core::Guarded(Path("FileExists"), [&]() -> bool {
    if (files::IsUncPath(fileName)) {
      return core::GetRemoteFile(Path("FileExists"))->FileExists(fileName);
    }
    return core::NewSiteFileSystem()->FileExists(fileName);
  });
}

bool FileHandling::FolderExists(const std::string& folderName) {
  return core::Guarded(Path("FolderExists"), [&]() -> bool {
    if (files::IsUncPath(folderName)) {
      return core::GetRemoteFile(Path("FolderExists"))->FolderExists(folderName);
    }
    return core::NewSiteFileSystem()->FolderExists(folderName);
  });
}

bool FileHandling::IsValidFolderName(const std::string& folderName) {
  return core::Guarded(Path("IsValidFolderName"), [&]() -> bool {
    if (folderName.empty()) {
      return true;
    }
    if (!text::IsValidUtf8(folderName)) {
      return false;
    }
    return folderName.find_first_of(":*?\"<>|") == std::string::npos;
  });
}

std::string FileHandling::GetBaseName(const std::string& path) {
  return core::Guarded(Path("GetBaseName"), [&]() -> std::string {
    if (text::Trim(path).empty()) {
      return {};
    }
    return files::GetBaseNamePart(path);
  });
}

std::string FileHandling::GetUniqueFileName(const std::string& folderName,
                                            const std::string& fileName) {
  return core::Guarded(Path("GetUniqueFileName"), [&]() -> std::string {
    if (!files::IsBareFileName(fileName) || !text::IsValidUtf8(fileName)) {
      throw Error(
          files::kErrBadFileName, Path("GetUniqueFileName"),
          "Bad file name: '" + files::PrintablePath(fileName) + "' is not a plain file name");
    }
    auto fs = core::NewSiteFileSystem();
    const auto taken = [&](const std::string& path) {
      return fs->FileExists(path) || fs->FolderExists(path);
    };
    const std::string base = files::GetBaseNamePart(fileName);
    const std::string extension = files::GetExtensionPart(fileName);
    std::string candidate = files::BuildPath(folderName, fileName);
    for (int64_t counter = 1; taken(candidate); ++counter) {
      std::string name = base + "_" + std::to_string(counter);
      if (!extension.empty()) {
        name += "." + extension;
      }
      candidate = files::BuildPath(folderName, name);
    }
    return candidate;
  });
}

void FileHandling::createTextFile(const std::string& text, const std::string& fileName,
                                  bool unicode) {
  core::Guarded(Path("createTextFile"), [&] {
    if (files::IsUncPath(fileName)) {
      core::GetRemoteFile(Path("createTextFile"))->CreateTextFile(text, fileName, unicode);
      return;
    }
    core::NewSiteFileSystem()->WriteFile(fileName, text::EncodeTextFile(text, unicode),
                                         files::WriteMode::kReplace);
  });
}

}  // namespace velmora
