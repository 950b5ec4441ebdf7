// B2BExcel: opening workbooks, TransformXMLToExcel and the workbook handle operations.
#include "velmora/convert/b2b_excel.h"

#include <string>

#include "convert/b2b_excel_cleanup.h"
#include "convert/b2b_excel_placement.h"
#include "core/file_service.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/publication_errors.h"
#include "core/sheet_engine.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/core/file_handling.h"

namespace velmora {
namespace {

constexpr const char* kOpenSource = "Velmora.B2BExcel.OpenWorkBook";

std::shared_ptr<sheet::Engine> RequireEngine() {
  auto engine = core::GetSheetEngine();
  if (!engine) {
    throw Error(sheet::kErrEngineUnavailable, kOpenSource,
                "No spreadsheet engine is installed in this program");
  }
  return engine;
}

std::string NativePath(const std::string& path) {
  return core::NewSitePathResolver().ToNative(path);
}

bool IsTemplate(const std::string& path) { return FileHandling().GetFileExtension(path) == "xlt"; }

void RequireLocation(const std::string& path) {
  if (text::TrimView(path).empty()) {
    RaiseError(EnumerationErrors::MissingFileLocation, "Velmora.B2BExcel.TransformXMLToExcel",
               core::GetLabelForMessage("ZODAR4526", Dictionary()));
  }
}

}  // namespace

WorkBookRef B2BExcel::OpenWorkBook(const std::string& path, bool readOnly) {
  const std::string extension = FileHandling().GetFileExtension(path);
  if (extension != "xls" && extension != "xlt") {
    RaiseError(EnumerationErrors::NotAnExcelFile, kOpenSource,
               core::GetLabelForMessage("ZODAR4525", Dictionary()));
  }
  auto workbook =
      std::make_shared<sheet::WorkbookObject>(RequireEngine()->Open(NativePath(path), readOnly));
  if (workbook->Book().IsReadOnly() != readOnly) {
    workbook->Close();
    const std::string description = "Cannot acces read-only documents for update or append mode";
    Dictionary replacements;
    replacements.Add("[%FILELOCATION%]", Variant(path));
    core::XmlDocumentRef replacements_xml = core::NewReplacementsXml();
    core::FillReplacementsXml(replacements_xml, replacements);
    core::LogPublicationError(doc_id_, ErrNumber(EnumerationErrors::InsertExcelError), description,
                              kOpenSource, "ZODAR4535", replacements_xml);
    RaiseError(EnumerationErrors::ExcelOpeningsError, kOpenSource, description);
  }
  return workbook;
}

WorkBookRef B2BExcel::TransformXMLToExcel(const std::string& xml, EWriteMode writeMode,
                                          int32_t docID, bool templateUsed,
                                          const std::string& filePath,
                                          const std::string& filePathDest) {
  return core::Guarded("Velmora.B2BExcel.TransformXMLToExcel", [&]() -> WorkBookRef {
    doc_id_ = docID;
    template_used_ = templateUsed;
    xml::Document doc;
    if (!doc.LoadXml(xml)) {
      throw Error(doc.parse_error().code, "MSXML.DOMDocument",
                  doc.parse_error().reason + " DocumentID: " + std::to_string(docID));
    }
    switch (writeMode) {
      case EWriteMode::Append:
        RequireLocation(filePath);
        return UpdateFile(filePath, filePath, EWriteMode::Append, doc);
      case EWriteMode::Update:
        RequireLocation(filePath);
        return UpdateFile(filePath, filePathDest, EWriteMode::Update, doc);
      case EWriteMode::Create:
        break;
      default:
        throw Error(kErrInvalidProcedureCall, "Velmora.B2BExcel.TransformXMLToExcel",
                    "Unknown write mode " + std::to_string(static_cast<int32_t>(writeMode)));
    }
    if (templateUsed) {
      if (text::TrimView(filePath).empty() && text::TrimView(filePathDest).empty()) {
        RequireLocation(filePath);
      }
      if (IsTemplate(filePath)) {
        return UpdateFile(filePath, filePathDest, EWriteMode::Update, doc);
      }
      // A workbook used as template is copied first: both ends must be named.
      RequireLocation(filePath);
      RequireLocation(filePathDest);
      FileHandling().CopyFile(filePath, filePathDest, true);
      return UpdateFile(filePathDest, filePathDest, EWriteMode::Update, doc);
    }
    auto workbook = std::make_shared<sheet::WorkbookObject>(RequireEngine()->Create());
    SetPropertiesFromXml(workbook, doc);
    if (const auto original = doc.SelectSingleNode("//*[@B2BORIGINALFILENAME]")) {
      const std::string name = original->GetAttribute("B2BORIGINALFILENAME").value_or("");
      if (!text::TrimView(name).empty()) {
        SetCustomerPropertyInExcel(workbook, "B2B-ORIGINALNAME", Variant(name), "Text");
      }
    }
    convert::BlockState blocks;
    convert::PlacementContext context{workbook->Book(), doc, EWriteMode::Create, templateUsed,
                                      blocks};
    convert::ProcessWorkSheets(context);
    return workbook;
  });
}

WorkBookRef B2BExcel::UpdateFile(const std::string& path, const std::string& saveAs,
                                 EWriteMode mode, const xml::Document& xml) {
  WorkBookRef workbook = OpenWorkBook(path, false);
  try {
    SetPropertiesFromXml(workbook, xml);
    convert::BlockState blocks;
    convert::PlacementContext context{workbook->Book(), xml, mode, template_used_, blocks};
    convert::ProcessWorkSheets(context);
    if (mode != EWriteMode::Append && IsTemplate(path)) {
      RequireLocation(saveAs);
      workbook->Book().SaveAs(NativePath(saveAs));
    } else {
      workbook->Book().Save();
    }
  } catch (...) {
    convert::CloseAfterFailure(workbook);
    throw;
  }
  return workbook;
}

void B2BExcel::SetPropertiesFromXml(const WorkBookRef& workbook, const xml::Document& xml) {
  for (const xml::Node& element :
       xml.SelectNodes("//*[@B2BPROPLABEL and @B2BPROPVALUE and @B2BPROPTYPE]")) {
    SetCustomerPropertyInExcel(workbook, element.GetAttribute("B2BPROPLABEL").value_or(""),
                               Variant(element.GetAttribute("B2BPROPVALUE").value_or("")),
                               element.GetAttribute("B2BPROPTYPE").value_or(""));
  }
}

void B2BExcel::CloseWorkBook(const WorkBookRef& workbook) {
  core::Guarded("Velmora.B2BExcel.CloseWorkBook", [&] {
    if (workbook) {
      workbook->Close();
    }
  });
}

void B2BExcel::WriteExcelObjectToFile(const WorkBookRef& workbook, const std::string& fileLocation,
                                      bool closeWorkBook) {
  try {
    if (!workbook) {
      throw Error(kErrObjectRequired, "Velmora.B2BExcel.WriteExcelObjectToFile",
                  "Object required: no workbook was given");
    }
    workbook->Book().SaveAs(NativePath(fileLocation));
    if (closeWorkBook) {
      workbook->Close();
    }
  } catch (...) {
    if (closeWorkBook) {
      convert::CloseAfterFailure(workbook);
    }
    core::ReportError("Velmora.B2BExcel.WriteExcelObjectToFile");
  }
}

}  // namespace velmora
