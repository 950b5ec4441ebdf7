// The folder import, one claimed file by kind: XML files (single documents and batches), the
// XML of a workbook, OBI objects.
#include <memory>
#include <string_view>
#include <vector>

#include "core/guarded.h"
#include "import/batch_documents.h"
#include "import/folder_import_run.h"
#include "import/import_rules.h"
#include "platform/xml/content_check.h"
#include "routing/error_folder.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/convert/obi.h"
#include "velmora/xml/document.h"

namespace velmora::import {
namespace {

constexpr const char* kProcessXmlFile = "Velmora.DocumentImport.processXMLFile";

}  // namespace

void FolderImportRun::processXMLFile(FileObject& file) {
  // A failed stage logs its label, keeps the file in the error folder and ends the file.
  const auto stage_failed = [&](const char* label) {
    Problem(kProcessXmlFile, label, Replacing("[%FILE%]", file.Name()), CurrentError());
    routing::error_folder::Move(file);
    ++report_.refused;
  };
  std::string content;
  try {
    content = StripEdiDelimiter(FileHandling().GetFileContentAsString(file.Path()), delimiter_);
  } catch (...) {
    stage_failed("ZODAR0017");
    return;
  }
  try {
    auto single = std::make_unique<xml::Document>();
    if (single->LoadXml(content)) {
      content.clear();
      const std::string document = single->Xml();
      single.reset();
      ImportDocument(document, file, kProcessXmlFile);
      FileHandling().DeleteFileFromDisk(file.Path());
      return;
    }
    // Concatenated documents: checked as a whole, as the content of one element, before any of
    // them is processed.
    xml::ParseError error;
    if (!xml::IsWellFormedContent(content, error)) {
      throw Error(ErrNumber(EnumerationErrors::XMLLoadError), "MSXML.DOMDocument", error.reason);
    }
  } catch (...) {
    stage_failed("ZODAR1819");
    return;
  }
  std::vector<std::string_view> documents;
  try {
    documents = BatchDocuments(content);
  } catch (...) {
    stage_failed("ZODAR0015");
    return;
  }
  for (const std::string_view document : documents) {
    ImportDocument(std::string(document), file, kProcessXmlFile);
  }
  FileHandling().DeleteFileFromDisk(file.Path());
}

void FolderImportRun::ProcessExcelFile(const std::string& xml, FileObject& file,
                                       const std::string& method) {
  core::Guarded("Velmora.DocumentImport.ProcessExcelFile", [&] {
    ImportDocument(xml, file, method);
    FileHandling().DeleteFileFromDisk(file.Path());
  });
}

void FolderImportRun::ProcessObiFile(FileObject& file) {
  core::Guarded("Velmora.DocumentImport.ProcessObiFile", [&] {
    try {
      OBI obi;
      Bytes version;
      EObiLanguage language{};
      std::string xml;
      Bytes signature;
      obi.DeconstructObiObject(FileHandling().GetFileContentAsString(file.Path()), version,
                               language, xml, signature);
      obi.CheckObiVersionSupported(version, language);
      const std::string document = obi.XmlToDom(xml)->Xml();
      ImportDocument(document, file, "Velmora.DocumentImport.ProcessObiFile");
      FileHandling().DeleteFileFromDisk(file.Path());
    } catch (...) {
      const Error failure = CurrentError();
      MoveToErrorFolder(file);
      throw failure;
    }
  });
}

void FolderImportRun::MoveToErrorFolder(FileObject& file) {
  try {
    routing::error_folder::Move(file);
    ++report_.refused;
  } catch (...) {
    // The file stays claimed in its folder; the caller reports the failure.
  }
}

}  // namespace velmora::import
