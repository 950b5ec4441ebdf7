// Velmora.PublishByUpload: reading, abandoning and clearing out the uploads of the upload page.
#include "velmora/publish/publish_by_upload.h"

#include <memory>
#include <utility>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "platform/files/path_text.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/sources.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/convert/obi.h"
#include "velmora/core/file_handling.h"
#include "velmora/xml/document.h"

namespace velmora {
namespace {

constexpr const char* kUntyped = "(DOCUMENTTYPEID IS NULL OR DOCUMENTTYPEID LIKE '')";

// The upload folder of document `docId` below `path`.
std::string UploadFolder(const std::string& path, int32_t docId) {
  return path + "\\" + std::to_string(docId);
}

// Runs `body` reported under `path` + " " + `marker`: the progress markers of ReadXMLFile and
// DeleteOldTempFile name the last point reached.
template <class Body>
decltype(auto) Marked(const char* path, const char* marker, Body&& body) {
  return core::Guarded(std::string(path) + " " + marker, std::forward<Body>(body));
}

void Execute(const std::string& sql) {
  auto connection = core::GetConnection();
  connection->Execute(sql);
  core::CloseConnection(connection);
}

// Today as month/day/year without leading zeros ("12/6/2026"), a date literal in SQL.
std::string Today() {
  const DateTime now = CurrentClock().Now();
  return std::to_string(now.month) + "/" + std::to_string(now.day) + "/" + std::to_string(now.year);
}

// The first file of `folder` whose name ends in `ending` (compared exactly) and that is not
// empty; nullptr when there is none.
std::shared_ptr<FileObject> FirstFile(const std::string& folder, const std::string& ending) {
  const auto files = FileHandling().getFilesInFolder(folder);
  for (const Variant& item : files->items()) {
    auto file = item.As<FileObject>();
    if (file && file->Name().ends_with(ending) && file->Size() > 0) {
      return file;
    }
  }
  return nullptr;
}

void DeleteOldTempFile(const std::string& path, int32_t docId) {
  constexpr const char* kPath = "Velmora.PublishByUpload.DeleteOldTempFile";
  const std::string folder =
      Marked(kPath, "1", [&] { return files::BuildPath(path, std::to_string(docId)); });
  const bool exists = Marked(kPath, "2", [&] { return FileHandling().FolderExists(folder); });
  if (!exists) {
    return;
  }
  const auto names =
      Marked(kPath, "3", [&] { return FileHandling().getFileNamesInFolder(folder); });
  Marked(kPath, "4", [&] {
    for (const Variant& name : names->items()) {
      Marked(kPath, "5",
             [&] { FileHandling().DeleteFileFromDisk(files::BuildPath(folder, name.ToText())); });
    }
  });
  Marked(kPath, "6", [] {});
}

void DeleteOldBlankDocumentsInDB() {
  core::Guarded("Velmora.PublishByUpload.DeleteOldBlankDocumentsInDB", [] {
    Execute("DELETE FROM DOCUMENT " + std::string("WHERE ") + kUntyped + "AND CREATIONDATE < '" +
            Today() + "'");
  });
}

void deleteXMLFile(const std::string& path, int32_t docId) {
  core::Guarded("Velmora.PublishByUpload.deleteXMLFile", [&] {
    FileHandling files;
    const std::string folder = UploadFolder(path, docId);
    if (files.FolderExists(folder)) {
      files.deleteFolderAndFilesInFolder(folder);
    }
  });
}

void DeleteDocumentFromDB(int32_t docId) {
  core::Guarded("Velmora.PublishByUpload.DeleteDocumentFromDB", [&] {
    Execute("DELETE FROM DOCUMENT " + std::string("WHERE DOCUMENTID = ") + std::to_string(docId) +
            " AND " + kUntyped);
  });
}

}  // namespace

void PublishByUpload::DeleteAllOldTempXMLFiles(std::string& iPath) {
  core::Guarded("Velmora.PublishByUpload.DeleteAllOldTempXMLFiles", [&] {
    std::vector<int32_t> ids;
    auto connection = core::GetConnection();
    auto rows = connection->Query("SELECT DOCUMENTID FROM DOCUMENT " + std::string("WHERE ") +
                                  kUntyped + "AND CREATIONDATE < '" + Today() + "'");
    for (; !rows->IsEOF(); rows->MoveNext()) {
      ids.push_back(rows->Field("DOCUMENTID").ToInt32());
    }
    rows->Close();
    core::CloseConnection(connection);
    for (const int32_t id : ids) {
      Collaboration().DeletePublicationErrors(id);
      DeleteOldTempFile(iPath, id);
    }
    DeleteOldBlankDocumentsInDB();
  });
}

void PublishByUpload::DeleteTempDocumentInDB(int32_t& iDocID) {
  core::Guarded("Velmora.PublishByUpload.deleteTempDocumentInDB", [&] {
    Execute("DELETE FROM DOCUMENT " + std::string("WHERE documentid = ") + std::to_string(iDocID) +
            " " + "AND " + kUntyped);
  });
}

std::string PublishByUpload::ReadXMLFile(std::string& iXMLPath, int32_t& iDocID) {
  constexpr const char* kPath = "Velmora.PublishByUpload.ReadXMLFile";
  const std::string folder = Marked(kPath, "10", [&] { return UploadFolder(iXMLPath, iDocID); });
  const bool exists = Marked(kPath, "20", [&] { return FileHandling().FolderExists(folder); });
  if (!exists) {
    return Marked(kPath, "30", [] { return std::string(); });
  }
  const auto file = Marked(kPath, "40", [&] { return FirstFile(folder, "xml"); });
  Marked(kPath, "50", [&] {
    if (!file) {
      RaiseError(EnumerationErrors::MissingXMLFile, "Velmora.PublishByUpload", "No XML file found");
    }
  });
  const auto document = std::make_shared<xml::Document>();
  const bool loaded = Marked(kPath, "60", [&] {
    return document->LoadFile(core::NewSiteFileSystem()->ToNative(file->Path()));
  });
  Marked(kPath, "70", [&] {
    if (!loaded) {
      throw Error(
          document->parse_error().code, "MSXML.DOMDocument",
          "The Dom object couldn't parse the xml file. error:" + document->parse_error().reason);
    }
  });
  const bool obi = Marked(kPath, "80", [&] { return OBI().GetObiDocumentInfo(document, ""); });
  Marked(kPath, "90", [&] {
    if (obi) {
      RaiseError(EnumerationErrors::CannotLoadFile, "Velmora.PublishByUpLoad.ReadXmlFile",
                 core::GetLabel("ZODAR4250"));
    }
  });
  std::string result = Marked(kPath, "100", [&] { return document->Xml(); });
  Marked(kPath, "110", [&] { FileHandling().deleteFolderAndFilesInFolder(folder); });
  return Marked(kPath, "120", [&] { return std::move(result); });
}

void PublishByUpload::DeleteXMLFileAndDocument(std::string& iXMLTempPath, int32_t& iDocID) {
  core::Guarded("Velmora.PublishByUpload.DeleteXMLFileAndDocument", [&] {
    deleteXMLFile(iXMLTempPath, iDocID);
    DeleteDocumentFromDB(iDocID);
  });
}

std::string PublishByUpload::ReadExcelFile(std::string& i_sExcelPath, int32_t& i_lDocID) {
  return core::Guarded("Velmora.PublishByUpload.ReadExcelFile", [&] {
    const auto refuse = [](const char* code) {
      RaiseError(EnumerationErrors::NotAnExcelFile, "Velmora.PublishByUpload",
                 "Additional information: " + core::GetLabel(code));
    };
    FileHandling files;
    const std::string folder = UploadFolder(i_sExcelPath, i_lDocID);
    if (!files.FolderExists(folder)) {
      refuse("ZODAR4226");
    }
    const auto file = FirstFile(folder, "xls");
    if (!file) {
      refuse("ZODAR4225");
    }
    std::shared_ptr<xml::Document> converted = std::make_shared<xml::Document>();
    try {
      B2BExcel().TransformExcelToXML(folder + "\\" + file->Name(), converted);
    } catch (...) {
      refuse("ZODAR4525");
    }
    std::string result = converted->Xml();
    files.deleteFolderAndFilesInFolder(folder);
    return result;
  });
}

}  // namespace velmora
