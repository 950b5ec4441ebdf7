#include "automation/registration.h"
#include "platform/files/path_text.h"
#include "velmora/core/file_handling.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// A file argument: a file object of a listing, or the path of the file as text (a caller
// outside the process has no file objects).
template <>
struct Converter<std::shared_ptr<FileObject>> {
  static std::shared_ptr<FileObject> From(const Variant& value) {
    if (value.IsEmpty() || value.IsNull() || value.IsNothing()) {
      return nullptr;
    }
    if (value.kind() == Variant::Kind::kText) {
      auto file = std::make_shared<FileObject>();
      file->SetPath(value.ToText());
      return file;
    }
    auto file = value.As<FileObject>();
    if (!file) {
      throw Error(kErrTypeMismatch, "Velmora", "Type mismatch: " + value.TypeName());
    }
    return file;
  }
  static Variant To(const std::shared_ptr<FileObject>& value) { return Variant(ObjectRef(value)); }
};

// The pending error of StoreErr and RestoreErr: Empty for none, else a dictionary with
// "Number", "Source", "Description", "HelpFile" and "HelpContext". Each automation call has its
// own Utility object, so a saved error lasts for one call only.
template <>
struct Converter<PendingError> {
  static PendingError From(const Variant& value) {
    PendingError pending;
    if (auto fields = value.As<Dictionary>()) {
      const auto text = [&](const char* key) {
        const Variant field = fields->Item(key);
        return field.IsEmpty() || field.IsNull() ? std::string() : field.ToText();
      };
      const auto number = [&](const char* key) {
        const Variant field = fields->Item(key);
        return field.IsEmpty() || field.IsNull() ? 0 : field.ToInt32();
      };
      pending.Set(Error(number("Number"), text("Source"), text("Description"), text("HelpFile"),
                        number("HelpContext")));
    } else if (!value.IsEmpty() && !value.IsNull()) {
      throw Error(kErrTypeMismatch, "Velmora", "Type mismatch: " + value.TypeName());
    }
    return pending;
  }
  static Variant To(const PendingError& value) {
    if (!value.IsSet()) {
      return Variant();
    }
    auto fields = std::make_shared<Dictionary>();
    fields->Add("Number", Variant(value.error().number()));
    fields->Add("Source", Variant(value.error().source()));
    fields->Add("Description", Variant(value.error().description()));
    fields->Add("HelpFile", Variant(value.error().help_file()));
    fields->Add("HelpContext", Variant(value.error().help_context()));
    return Variant(ObjectRef(fields));
  }
};

void RegisterFileClasses(ClassRegistry& registry) {
  registry.Add("Velmora.FileHandling")
      .Bind("GetFileExtension", &FileHandling::GetFileExtension, {"fileName"})
      .Bind("GetFolderName", &FileHandling::GetFolderName, {"folderType", Opt("folderName", "")})
      .Bind("GetFileName", &FileHandling::GetFileName,
            {"fileType", "prefix", "name", "suffix", "extension"})
      .Bind(
          "WriteFileToDisk", &FileHandling::WriteFileToDisk,
          {"destFile", Opt("sourceString", ""), Opt("sourceFile", ""), Opt("createFolders", false),
           Opt("createFile", true), Opt("overwriteFile", false), Opt("ioMode", kIoModeWriting)})
      .Bind("CreateFolderTree", &FileHandling::CreateFolderTree, {"path"})
      .Bind("getFilesInFolder", &FileHandling::getFilesInFolder, {"folder"})
      .Bind("getFileNamesInFolder", &FileHandling::getFileNamesInFolder, {"folder"})
      .Bind("GetFileContentAsString", &FileHandling::GetFileContentAsString, {"fileName"})
      .Bind("deleteFolderAndFilesInFolder", &FileHandling::deleteFolderAndFilesInFolder, {"folder"})
      .Bind("DeleteFileFromDisk", &FileHandling::DeleteFileFromDisk, {"fileName"})
      .Bind("MoveFile", &FileHandling::MoveFile, {"from", "to"})
      .Bind("CopyFile", &FileHandling::CopyFile, {"from", "to", "overwrite"})
      .Bind("FileExists", &FileHandling::FileExists, {"fileName"})
      .Bind("FolderExists", &FileHandling::FolderExists, {"folderName"})
      .Bind("IsValidFolderName", &FileHandling::IsValidFolderName, {"folderName"})
      .Bind("GetBaseName", &FileHandling::GetBaseName, {"path"})
      .Bind("GetUniqueFileName", &FileHandling::GetUniqueFileName, {"folderName", "fileName"})
      .Bind("createTextFile", &FileHandling::createTextFile, {"text", "fileName", "unicode"});
  registry.Add("Velmora.Utility")
      .Bind("CreateErrorDir", &Utility::CreateErrorDir)
      .Bind("WriteXmlFileToErrorDir", &Utility::WriteXmlFileToErrorDir,
            {"content", OptRef("fileName", "")})
      .Bind("MoveFileToErrorDir", &Utility::MoveFileToErrorDir, {Ref("file")})
      .Bind("FileExist", &Utility::FileExist, {"fileName"})
      .Bind("DirExistOnThisServer", &Utility::DirExistOnThisServer, {"folder"})
      .Bind("DirExist", &Utility::DirExist, {"folder"})
      .Bind("FileExistAlsoRemote", &Utility::FileExistAlsoRemote, {"folder", "fileName"})
      .Bind("AddTempPathIfNoDriveFound", &Utility::AddTempPathIfNoDriveFound, {"path"})
      .Bind("IsExcelInstalled", &Utility::IsExcelInstalled)
      .Bind("IsExcelInstalledWithErrRaise", &Utility::IsExcelInstalledWithErrRaise)
      .Bind("StoreErr", &Utility::StoreErr, {Opt("current")})
      .Bind("RestoreErr", &Utility::RestoreErr, {OptRef("current")})
      .Bind("MakeStringFromArray", &Utility::MakeStringFromArray, {"array"})
      .Bind("ConvertArrayToList", &Utility::ConvertArrayToList, {"array"});
}

}  // namespace velmora::automation
