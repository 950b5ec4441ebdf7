// Utility: a document handed to a portal user as a download by his manual-download send method.
#include <string>

#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/publication_errors.h"
#include "velmora/base/text.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/core/file_handling.h"
#include "velmora/delivery/send_method.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// The text of a label placeholder "[%ZODARnnnn%]" as the store names it.
std::string LabelOfPlaceholder(const std::string& placeholder) {
  std::string code = placeholder;
  if (code.rfind("[%", 0) == 0) {
    code.erase(0, 2);
  }
  if (code.size() >= 2 && code.compare(code.size() - 2, 2, "%]") == 0) {
    code.erase(code.size() - 2);
  }
  return code.empty() ? std::string() : core::GetLabel(code);
}

// The workbook of `text` as bytes, made in the Excel temporary folder and deleted again.
Bytes WorkbookBytes(const std::string& text, int32_t docId, const TSendMethodProperties& method) {
  const std::string file = FileHandling().GetFolderName(EFolderType::ExcelTempFolder, "") +
                           "ExcelTemp_" + std::to_string(docId) + ".xls";
  B2BExcel excel;
  if (!method.sExcelTemplate.empty()) {
    std::string templates = core::GetParameter("ExcelTemplatesPath");
    if (templates.empty() || templates.back() != '\\') {
      templates += '\\';
    }
    excel.CloseWorkBook(excel.TransformXMLToExcel(text, EWriteMode::Create, docId, true,
                                                  templates + method.sExcelTemplate, file));
  } else {
    excel.WriteExcelObjectToFile(excel.TransformXMLToExcel(text, EWriteMode::Create, docId, false),
                                 file, true);
  }
  const std::string bytes = core::NewSiteFileSystem()->ReadFile(file);
  FileHandling().DeleteFileFromDisk(file);
  return Bytes(bytes.begin(), bytes.end());
}

}  // namespace

Variant Utility::DownloadDocument(int32_t iDocID, const std::string& sUserID, int16_t iFileFormat) {
  constexpr const char* kPath = "Velmora.Utility.DownloadDocument";
  return core::Guarded(kPath, [&] {
    Document document;
    const std::string type = document.GetDocumentTypeOfDocument(iDocID);
    const std::string xml = document.GetXmlDocument(iDocID);
    const int32_t partner = GetAUObject(sUserID)->BusinessPartnerID();
    const bool workbook = iFileFormat < 1;
    SendMethod store;
    const ESendMethodFormat format = workbook ? ESendMethodFormat::Excel : ESendMethodFormat::XML;
    const ESendMethodFileFormat file_format =
        workbook ? static_cast<ESendMethodFileFormat>(0)
                 : store.SendMethodFileFormat_IntegerToEnum(iFileFormat);
    TSendMethodProperties method;
    const int32_t method_id =
        store.GetSendMethodManualDownload(partner, type, format, file_format, method);
    try {
      Collaboration().SetPublicationStatus(iDocID, sUserID, 6, 0);
      const std::string text =
          method.sXslFileName.empty()
              ? xml
              : transformXMLStringToHTML(xml, GetTransformXSLPath() + method.sXslFileName);
      const Variant result =
          workbook ? Variant(WorkbookBytes(text, iDocID, method)) : Variant(text);
      store.AddSendMethodToHistory(method_id, partner, -1, iDocID, type, 0,
                                   static_cast<int16_t>(SENDMETHODSTATUS::SENT));
      return result;
    } catch (const Error& failure) {
      const std::string format_label = LabelOfPlaceholder(
          store.GetSendMethodFormatLabel(static_cast<ESendMethodProtocol>(format)));
      auto replacements = core::NewReplacementsXml();
      core::AddReplacement(*replacements, "[%BPName%]", GetBusinessPartnerName(partner));
      core::AddReplacement(
          *replacements, "[%Format%]",
          workbook ? format_label
                   : LabelOfPlaceholder(store.GetSendMethodFileFormatLabel(file_format)) + " " +
                         format_label);
      const int32_t error_id = core::LogPublicationError(
          iDocID, failure.number(), failure.description(), kPath, "ZODAR1301", replacements);
      store.AddSendMethodToHistory(method_id, partner, -1, iDocID, type, error_id,
                                   static_cast<int16_t>(SENDMETHODSTATUS::NOTSENT));
      throw;
    }
  });
}

}  // namespace velmora
