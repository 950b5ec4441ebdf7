#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Velmora.PublishByUpload: the uploads of the portal's upload page. An upload lives in the
// folder `<temporary path>\<document id>`; its DOCUMENT row has no type yet. This class reads
// the uploaded XML or workbook file (and consumes the folder), abandons an upload, and clears
// out the uploads of earlier days. Only rows without a document type are ever deleted here.
// Stateless; all arguments are by reference as published.
class PublishByUpload {
 public:
  // For every untyped row created before today: its publication errors and the files of its
  // upload folder (the folder stays); then the rows themselves.
  void DeleteAllOldTempXMLFiles(std::string& iPath);
  // Deletes the row when it has no type.
  void DeleteTempDocumentInDB(int32_t& iDocID);
  // The XML of the first non-empty file ending in "xml" (exactly) in the upload folder, which
  // is then deleted; "" when the folder does not exist. Raises MissingXMLFile ("No XML file
  // found") when no file qualifies, the parser's number for malformed XML and CannotLoadFile
  // ("ZODAR4250") for an OBI document.
  std::string ReadXMLFile(std::string& iXMLPath, int32_t& iDocID);
  // Deletes the upload folder (when present) and the untyped row.
  void DeleteXMLFileAndDocument(std::string& iXMLTempPath, int32_t& iDocID);
  // The XML of the first non-empty workbook ending in "xls" (exactly) in the upload folder,
  // which is then deleted. Raises NotAnExcelFile with "ZODAR4226" (no folder), "ZODAR4525"
  // (conversion failed) or "ZODAR4225" (no workbook).
  std::string ReadExcelFile(std::string& i_sExcelPath, int32_t& i_lDocID);
};

}  // namespace velmora
