#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/delivery/send_method.h"
#include "velmora/sheet/workbook_object.h"
#include "velmora/xml/document.h"

namespace velmora {

// The types of custom document properties as callers publish them.
enum class EMsoDocProperties : int32_t {
  EMsoPropertyTypeNumber = 1,
  EMsoPropertyTypeBoolean = 2,
  EMsoPropertyTypeDate = 3,
  EMsoPropertyTypeString = 4,
  EMsoPropertyTypeFloat = 5,
};

// The comparison of a search step of a position expression.
enum class EExcelSearchOptions : int32_t { GREATERTHAN = 1, LessThan = 2, Equals = 3 };

// Published for callers; the library does not use it.
enum class EExcelIndexMode : int32_t { Sequence = 1, Scattered = 2 };

// The workbook handle of Velmora.B2BExcel (see sheet::WorkbookObject): closed by CloseWorkBook,
// or when the last reference goes away.
using WorkBookRef = std::shared_ptr<sheet::WorkbookObject>;

// Velmora.B2BExcel: spreadsheet workbooks to and from XML, and single custom document
// properties. Workbooks come from the process's spreadsheet engine (core::GetSheetEngine());
// file paths are written the library's way (share and drive paths are resolved with the site
// maps). Only the extensions "xls" and "xlt" are accepted: any other file is refused with
// NotAnExcelFile (label "ZODAR4525") before the engine is asked for anything.
//
// The XML document of a workbook (TransformExcelToXML):
//   <B2BEXCEL WorkBook="Book.xls">
//     <RECEIVER>12</RECEIVER>...   one element per ";"-piece of each routing property
//     <WorkSheet Name="Sheet1"><Cell Row="1" Column="A" Formula="=B1*2">4</Cell>...</WorkSheet>
//   </B2BEXCEL>
// The routing properties "B2B-DOCTYPE-ID", "B2B-SENDER", "B2B-CONTACT", "B2B-SHOW",
// "B2B-RECEIVER", "B2B-BUSINESSPARTNER", "B2B-BUS-PART-C", "B2B-BUS-PART-S" become the
// elements named without "B2B-"; "B2B-USESDISTLIST" gives <USESDISTLIST>1</USESDISTLIST> only
// when it is true.
//
// Placement attributes of the XML written into a workbook (TransformXMLToExcel): B2BWORKSHEET,
// B2BLABELPOS, B2BLABEL, B2BVALUEPOS, B2BVALUE, B2BBLOCK, B2BPROPLABEL/B2BPROPVALUE/B2BPROPTYPE
// and B2BORIGINALFILENAME; position expressions are described in src/convert/b2b_excel_position.h.
//
// One object serves one caller at a time: TransformXMLToExcel keeps the document ID and the
// block placement of the call in the object.
class B2BExcel {
 public:
  // Fills `xml` (a new document when it is nothing; its content is replaced) with the XML of
  // the workbook file `excelFileLocation`, opened read-only and closed again. A failure to open
  // is reported as "Velmora.B2BExcel.TransformExcelToXML", a failure while reading as
  // "Velmora.B2BExcel.TransformExcelToXML.ContentError".
  void TransformExcelToXML(const std::string& excelFileLocation,
                           std::shared_ptr<xml::Document>& xml);

  // Writes the placement XML `xml` into a workbook and returns it, still open:
  //  - Append: opens `filePath` for writing and writes below its used rows, then saves it;
  //  - Create without template: a new workbook, never saved, with property "B2B-ORIGINALNAME"
  //    from the first B2BORIGINALFILENAME attribute;
  //  - Create with template (`templateUsed`): a "xlt" `filePath` is filled and saved as
  //    `filePathDest`; any other is copied to `filePathDest` first, which is then filled and
  //    saved;
  //  - Update: opens `filePath` for writing, fills it and saves it (a template is saved as
  //    `filePathDest`).
  // A blank file location raises MissingFileLocation (label "ZODAR4526"); malformed XML raises
  // the parser's code with source "MSXML.DOMDocument"; a read-only file opened for writing is
  // recorded as a publication error of `docID` (label "ZODAR4535") and raises
  // ExcelOpeningsError; a position that cannot be found raises InValidExcelAddress (label
  // "ZODAR4529"); a cell beyond the format's 65,536 rows or 256 columns raises
  // sheet::kErrLimitExceeded. Property problems are recorded as publication errors of `docID`
  // and do not stop the conversion. On failure the workbook is closed. Reported as
  // "Velmora.B2BExcel.TransformXMLToExcel".
  WorkBookRef TransformXMLToExcel(const std::string& xml, EWriteMode writeMode, int32_t docID,
                                  bool templateUsed, const std::string& filePath = "",
                                  const std::string& filePathDest = "");

  // Closes the workbook without saving; nothing happens for nothing or a closed workbook.
  // Reported as "Velmora.B2BExcel.CloseWorkBook".
  void CloseWorkBook(const WorkBookRef& workbook);

  // Saves the workbook as `fileLocation` ("xls" in the workbook format, "xlt" as a template),
  // then closes it when `closeWorkBook`, also after a failure. Reported as
  // "Velmora.B2BExcel.WriteExcelObjectToFile".
  void WriteExcelObjectToFile(const WorkBookRef& workbook, const std::string& fileLocation,
                              bool closeWorkBook);

  // Sets the custom property `propertyName` of type `propertyType` ("Text", "Number", "Date",
  // "Boolean"; case ignored) to `propertyValue`. A Number must be numeric, a Date a date
  // ("YYYY-MM-DD[ hh:mm[:ss]]" or a date value), a Boolean one of true/false, yes/no, 1/0 (case
  // and blanks ignored) or a Boolean value. An unknown type or a value that does not fit is
  // recorded as a publication error (label "ZODAR4533"); an existing property of that name
  // (case ignored) with another type is left alone and recorded (label "ZODAR4534"); neither
  // raises. Errors are recorded for the document of the last TransformXMLToExcel of this
  // object (none before). Reported as "Velmora.B2BExcel.SetCustomerPropertyInExcel".
  void SetCustomerPropertyInExcel(const WorkBookRef& workbook, const std::string& propertyName,
                                  const Variant& propertyValue, const std::string& propertyType);

  // The value of the custom property named exactly `propertyName`, or "" when there is none.
  // Reported as "Velmora.B2BExcel.GetCustomerPropertyFromExcel".
  Variant GetCustomerPropertyFromExcel(const WorkBookRef& workbook,
                                       const std::string& propertyName);

 private:
  // Opens `path` with `readOnly`; see TransformXMLToExcel for the read-only check.
  WorkBookRef OpenWorkBook(const std::string& path, bool readOnly);
  // Opens `path` for writing, sets the properties, places the worksheets in `mode` and saves
  // it in place, or as `saveAs` when `path` is a template.
  WorkBookRef UpdateFile(const std::string& path, const std::string& saveAs, EWriteMode mode,
                         const xml::Document& xml);
  // Calls SetCustomerPropertyInExcel for every element carrying the three property attributes.
  void SetPropertiesFromXml(const WorkBookRef& workbook, const xml::Document& xml);

  int32_t doc_id_ = 0;
  bool template_used_ = false;
};

}  // namespace velmora
