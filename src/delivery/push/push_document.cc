#include "delivery/push/push_document.h"

#include <memory>

#include "core/guarded.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "delivery/push/workbook_files.h"
#include "routing/error_folder.h"
#include "routing/style_sheets.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/convert/obi.h"
#include "velmora/routing/utility.h"

namespace velmora::delivery {
namespace {

// The workbook of an Excel send, or Empty when it was written from the template to the file
// named by record.sFileName in the Excel temporary folder.
Variant PrepareWorkbook(int32_t doc_id, const std::string& text, TSendMethodProperties& record) {
  B2BExcel excel;
  if (text::Trim(record.sExcelTemplate).empty()) {
    return Variant(ObjectRef(excel.TransformXMLToExcel(text, EWriteMode::Create, doc_id, false)));
  }
  CheckPlainFileName(record.sExcelTemplate, PushPath("PushDocument"));
  record.sFileName = SendMethodOutputFileName(doc_id, record);
  const std::string work_file = ExcelTempPath(record.sFileName);
  RemoveOnFailure cleanup(work_file);
  excel.CloseWorkBook(excel.TransformXMLToExcel(text, EWriteMode::Create, doc_id, true,
                                                ExcelTemplatesFolder() + record.sExcelTemplate,
                                                work_file));
  cleanup.Release();
  return Variant();
}

Variant PrepareObi(const std::string& text) {
  OBI obi;
  Bytes version = obi.GetObiDocumentVersion(nullptr, text);
  Bytes signature;
  std::string object;
  obi.ConstructObiObject(version, EObiLanguage::XML, text, signature, object);
  return Variant(object);
}

Variant PrepareData(int32_t doc_id, const std::string& xml, TSendMethodProperties& record) {
  if (record.nFormat == ESendMethodFormat::Excel) {
    routing::error_folder::RequireWorkbookEngine();
  }
  const std::string text =
      text::Trim(record.sXslFileName).empty()
          ? xml
          : routing::style_sheets::Transform(
                xml, routing::style_sheets::TransformFolder() + record.sXslFileName,
                "Velmora.Utility.transformXMLStringToHTML");
  switch (record.nFormat) {
    case ESendMethodFormat::Excel:
      if (record.nProtocol == ESendMethodProtocol::FilePath ||
          record.nProtocol == ESendMethodProtocol::MethodCall) {
        return Variant(text);
      }
      return PrepareWorkbook(doc_id, text, record);
    case ESendMethodFormat::OBI:
      return PrepareObi(text);
    case ESendMethodFormat::XML:
      return Variant(text);
  }
  RaiseError(
      EnumerationErrors::SendMethodFormatNotSupported, PushPath("PushDocument"),
      Label("ZODAR4326", {{"[%FORMAT%]", std::to_string(static_cast<int>(record.nFormat))}}));
}

}  // namespace

void PushDocument(int32_t partner, int32_t doc_id, const std::string& xml,
                  TSendMethodProperties record, const VariantArray& extension) {
  core::Guarded(PushPath("PushDocument"), [&] {
    const Variant data = PrepareData(doc_id, xml, record);
    switch (record.nProtocol) {
      case ESendMethodProtocol::FilePath:
        return SendByFileStream(doc_id, data, record, extension);
      case ESendMethodProtocol::Ftp:
        return SendByFTP(doc_id, data, record, extension);
      case ESendMethodProtocol::Http:
        return SendByHTTP(doc_id, record, data.ToText());
      case ESendMethodProtocol::MethodCall:
        return SendByMethodCall(partner, doc_id, data, record, extension);
      case ESendMethodProtocol::EDI:
        return SendByEDI(doc_id, data, record, extension);
      case ESendMethodProtocol::Email:
        SendByEmail2(doc_id, data, record, extension);
        return;
      case ESendMethodProtocol::Fax:
        return SendByFax2(doc_id, data, record, extension);
      default:
        RaiseError(EnumerationErrors::SendMethodProtocolNotSupported, PushPath("PushDocument"),
                   Label("ZODAR4325",
                         {{"[%PROTOCOL%]", std::to_string(static_cast<int>(record.nProtocol))}}));
    }
  });
}

}  // namespace velmora::delivery
