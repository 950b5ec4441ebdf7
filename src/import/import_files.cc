// The folder import, one claimed file by kind: XML files (single documents and batches), the
// XML of a workbook, OBI objects.
#include <memory>

#include "core/guarded.h"
#include "import/folder_import_run.h"
#include "import/import_rules.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/convert/obi.h"
#include "velmora/routing/utility.h"
#include "velmora/xml/document.h"

namespace velmora::import {
namespace {

constexpr const char* kProcessXmlFile = "Velmora.DocumentImport.processXMLFile";

// Whether a child of a batch is a document: blank text between documents, comments and
// processing instructions are not.
bool IsBatchDocument(const xml::Node& child) {
  switch (child.Type()) {
    case xml::NodeType::kText:
      return child.Text().find_first_not_of(" \t\r\n") != std::string::npos;
    case xml::NodeType::kComment:
    case xml::NodeType::kProcessingInstruction:
      return false;
    default:
      return true;
  }
}

}  // namespace

void FolderImportRun::processXMLFile(FileObject& file) {
  // A failed stage logs its label, keeps the file in the error folder and ends the file.
  const auto stage_failed = [&](const char* label) {
    Problem(kProcessXmlFile, label, Replacing("[%FILE%]", file.Name()), CurrentError());
    Utility().MoveFileToErrorDir(file);
    ++report_.refused;
  };
  std::string content;
  try {
    content = StripEdiDelimiter(FileHandling().GetFileContentAsString(file.Path()), delimiter_);
  } catch (...) {
    stage_failed("ZODAR0017");
    return;
  }
  auto batch = std::make_unique<xml::Document>();
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
    single.reset();
    // Concatenated documents: each top-level element is one document.
    content.insert(0, "<CustomTag>");
    content.append("</CustomTag>");
    if (!batch->LoadXml(content)) {
      throw Error(ErrNumber(EnumerationErrors::XMLLoadError), "MSXML.DOMDocument",
                  batch->parse_error().reason);
    }
    content.clear();
    content.shrink_to_fit();
  } catch (...) {
    stage_failed("ZODAR1819");
    return;
  }
  xml::NodeList children;
  try {
    children = batch->DocumentElement()->ChildNodes();
  } catch (...) {
    stage_failed("ZODAR0015");
    return;
  }
  for (const xml::Node& child : children) {
    std::string document;
    try {
      if (!IsBatchDocument(child)) {
        continue;
      }
      document = child.Xml();
    } catch (...) {
      continue;
    }
    ImportDocument(document, file, kProcessXmlFile);
  }
  batch.reset();
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
    Utility().MoveFileToErrorDir(file);
    ++report_.refused;
  } catch (...) {
    // The file stays claimed in its folder; the caller reports the failure.
  }
}

}  // namespace velmora::import
