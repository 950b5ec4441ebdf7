#include "automation/registration.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {

// Velmora.B2BExcel with all its methods, and Utility's hand-over of a workbook to a plug-in.
// Workbooks travel as objects; EWriteMode and the other enumerations as their numbers.
void RegisterExcelClasses(ClassRegistry& registry) {
  registry.Add("Velmora.B2BExcel")
      .Bind("TransformExcelToXML", &B2BExcel::TransformExcelToXML, {"excelFileLocation", "xml"})
      .Bind("TransformXMLToExcel", &B2BExcel::TransformXMLToExcel,
            {"xml", "writeMode", "docID", "templateUsed", Opt("filePath", Variant("")),
             Opt("filePathDest", Variant(""))})
      .Bind("CloseWorkBook", &B2BExcel::CloseWorkBook, {"workbook"})
      .Bind("WriteExcelObjectToFile", &B2BExcel::WriteExcelObjectToFile,
            {"workbook", "fileLocation", "closeWorkBook"})
      .Bind("SetCustomerPropertyInExcel", &B2BExcel::SetCustomerPropertyInExcel,
            {"workbook", "propertyName", "propertyValue", "propertyType"})
      .Bind("GetCustomerPropertyFromExcel", &B2BExcel::GetCustomerPropertyFromExcel,
            {"workbook", "propertyName"});
  registry.Add("Velmora.Utility")
      .Bind("CallMethodForExcel", &Utility::CallMethodForExcel,
            {Ref("iDllClassMethodString"), Ref("i_oExcelWorkBook"),
             Opt("i_sFilePathTemplate", Variant(""))});
}

}  // namespace velmora::automation
