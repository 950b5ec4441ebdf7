#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/db/recordset.h"
#include "platform/xml/document.h"
#include "platform/xml/node.h"
#include "velmora/base/error.h"
#include "velmora/base/variant.h"
#include "velmora/core/file_handling.h"

namespace velmora {

// ---- XML and XSL services: how a stored node query is read ----
// TagAttrXsl: TAGVALUE an element name, ATTRVALUE an attribute name, XSLPATTERN a complete
// query, FIXEDTEXT a literal value (no query). Any other number may arrive from stored rows.
enum class TagAttrXsl : int32_t {
  TAGVALUE = 1,
  ATTRVALUE = 2,
  XSLPATTERN = 3,
  FIXEDTEXT = 4,
};
// ---- end of XML and XSL services ----

// Velmora.Utility: the shared services of the library's classes and pages. One published
// class; its operations are defined in the folder of the subsystem each belongs to. Stateless.
class Utility {
 public:
  // Writes `text` into field `fieldName` of the current row of `recordset` (the caller then
  // updates the row); an empty text stores "". On failure the field is set to "" and the error
  // is reported as "Velmora.Utility.SetLongDBTextField".
  void SetLongDBTextField(const std::string& text, const std::string& fieldName,
                          db::Recordset& recordset);

  // ---- Recipient readers (src/routing/utility_recipients.cc) ----

  // The current recipients of document `iDocID` for type `iDocTypeID`: one row per publication
  // not removed whose user stands on the type's distribution list, with EMAIL,
  // HTMLATTACHMENTXSL, USERID and HTMLATTACHMENT; with `iEmail` only the users whose list entry
  // asks for mail, plus ATTACHMENTS. The rows are detached from any connection. Reported as
  // "Velmora.Utility.GetRecipientsFromPublicationTable".
  std::shared_ptr<db::Recordset> GetRecipientsFromPublicationTable(int32_t& iDocID,
                                                                   std::string& iDocTypeID,
                                                                   bool& iEmail);
  // ---- end of recipient readers ----

  // ---- XML and XSL services (src/routing/utility_xml*.cc) ----
  // Failures are reported under "Velmora.Utility.<operation>" and raised, unless said otherwise.
  // Node queries are XPath 1.0 location paths ("//NAME", "//@NAME", paths with predicates).
  // Stored queries written for the older pattern dialect behave the same for these forms; they
  // differ in that a numeric predicate counts from 1 ("//A[1]" is the first A), the "$eq$"
  // style operators and pattern methods ("end()", "index()", "value()") are not understood
  // (such a query is invalid and finds nothing), and an unprefixed name matches elements in no
  // namespace only.

  // `sXML` transformed by the style sheet `sXSLPath`: a path beginning with two backslashes
  // through the component "D2ORiro.XML", anything else through Velmora.XML (a file, or a URL
  // when it begins with "http"). The transformed text; failures raise as the XML class raises
  // them.
  std::string transformXMLStringToHTML(const std::string& sXML, const std::string& sXSLPath);
  // transformXMLStringToHTML of the document's XML text.
  std::string transformXMLToHTMLCommon(const xml::Document& oXmlDoc, const std::string& sXSLPath);
  // Parameter "TransformXSLPath" (resp. "HTMLXSLPath") ending with "/" when its first four
  // characters are "http" (any case), with "\" otherwise; a separator already there is kept. A
  // blank parameter gives "\". GetHTMLXSLPath is not published to script callers.
  std::string GetTransformXSLPath();
  std::string GetHTMLXSLPath();
  // GetHTMLXSLPath() + the trimmed DOCUMENTTYPE.HTMLATTACHMENTXSL of type `i_sDocTypeID`, or ""
  // when the type is not there or has none.
  std::string getXSL(const std::string& i_sDocTypeID);
  // DOCUMENTTYPE.HTMLATTACHMENTXSL of `sDocTypeID` as stored, or "" (no row, or NULL).
  std::string GetHtmlAttachmentXsl(const std::string& sDocTypeID);
  // The query for a stored value: TAGVALUE "//" + value, ATTRVALUE "//@" + value, XSLPATTERN
  // the value unchanged, any other kind "".
  std::string ConstructXslPattern(TagAttrXsl eTagAttrXsl, const std::string& sXslPattern);
  // Trims `sXslPattern` in place, then checks it for `eTagAttrXsl`: TAGVALUE and ATTRVALUE
  // refuse names holding a blank or any of ?.,><'";:|][}{=+)(*&^%$#@`~!\/ (hyphen and
  // underscore are fine); XSLPATTERN refuses a value holding both "\" and "/", the values "//",
  // "\\", "\" and "/", and any blank; both refuse a value that is numeric or begins with a
  // digit. Numeric: optional blanks and sign, digits with at most one ".", an optional
  // exponent ("E" or "D", optional sign, digits). Other kinds are accepted. An unexpected
  // failure is reported with "XSL pattern checked: <value>".
  bool CheckXslPattern(std::string& sXslPattern, TagAttrXsl eTagAttrXsl);
  // The text of the first node `sXslPattern` selects in `oXmlDoc`, without leading and trailing
  // blanks; "" for an empty query, no match, or an invalid query. Never raises, never logs.
  std::string ExecuteXSLPattern(const xml::Document& oXmlDoc, const std::string& sXslPattern);
  // Every node `sXslPattern` selects, in document order; nullptr (nothing) when the query is
  // invalid. Never raises, never logs.
  std::shared_ptr<xml::NodeList> ExecuteXSLPatternReturnAllNodes(const xml::Document& oXmlDoc,
                                                                 const std::string& sXslPattern);
  // WriteXMLFileToDiskAsciiOrUnicode(sXML, sFileName, true).
  Variant WriteXMLFileToDisk(const std::string& sXML, std::string& sFileName);
  // Writes `sXML` to a file and returns its full path (as text). A blank `sFileName` becomes
  // the running thread's id followed by a fresh temporary name, written back to `sFileName`; a
  // name without a drive or share goes into the temporary folder. The file is replaced,
  // UTF-16LE with a byte-order mark when `bUnicode`, Windows-1252 otherwise. Text beginning
  // with an XML declaration gets that encoding declared, and in Windows-1252 its characters
  // outside the code page become character references; other text is written as it is
  // (characters outside Windows-1252 as "?"). Reported as
  // "Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode(<first six characters>, <full path>)".
  Variant WriteXMLFileToDiskAsciiOrUnicode(const std::string& sXML, std::string& sFileName,
                                           bool bUnicode = true);
  // Deletes the file when the trimmed name is not blank. Refused permission is not raised: it
  // is logged with labels "ZODAR4567" and "ZODAR0881" and the call returns normally. Any other
  // failure (a missing file included) is raised.
  void DeleteXMLFileFromDisk(const std::string& sFileName);
  // Form-encoded text decoded: "+" a blank, "%XX" the Windows-1252 character XX, "%uXXXX" the
  // UTF-16 code unit XXXX (pairs combine; a lone surrogate becomes U+FFFD). As the published
  // algorithm does, the last character of a text is only looked at when an escape came before
  // it, so "a+" stays "a+". `sText` receives the decoded text too. A malformed escape raises
  // kErrTypeMismatch, reported as "Velmora.Utility.urlCharDecode" with
  // "This character '<escape>' couldn't be decoded." and then as "Velmora.Utility.urlDecode".
  std::string urlDecode(std::string& sText);
  // `vText` as text with "&lt;", "&gt;", "&amp;" and "&quot;" (any case) replaced by < > & and
  // a double quote, in that order ("&amp;lt;" gives "&lt;"). Null raises Invalid use of Null.
  std::string HTMLDecode(const Variant& vText);
  // `vValue` formatted by the picture `vFormat` (weeks from Sunday, week 1 holds 1 January).
  // Null gives Null. The pictures understood are listed in src/routing/utility_xml_format.h.
  // Never reported; bad values raise as conversions do.
  Variant Formats(const Variant& vValue, const Variant& vFormat);
  // ---- end of XML and XSL services ----

  // ---- Error folder and file checks (src/routing/utility_error_dir.cc) ----
  // Failures are reported under "Velmora.Utility.<operation>" and raised, unless said otherwise.

  // The error folder of this moment, XMLErrorPath + "yyyy-mm-dd_hh-mm-ss" (both from the
  // clock), created when missing; the error path itself is created first when it is missing.
  std::string CreateErrorDir();
  // Writes `content` as UTF-16LE with a byte-order mark into the error folder of this moment
  // and returns the full path. `fileName` loses a leading "~"; blank, it becomes a fresh
  // temporary name; an existing file of that name gets a counter before its first "."
  // ("a.xml", "a1.xml", ...). `fileName` receives the name used. It must be a bare file name.
  std::string WriteXmlFileToErrorDir(const std::string& content, std::string& fileName);
  // Moves `file` into the error folder of this moment (a leading "~" of its name dropped, a
  // unique name chosen as above); `file` then points at the new path.
  void MoveFileToErrorDir(FileObject& file);
  // Local checks: the file exists; the folder exists.
  bool FileExist(const std::string& fileName);
  bool DirExistOnThisServer(const std::string& folder);
  // The folder exists; "\server\share..." paths are asked of "D2ORiro.File" only.
  bool DirExist(const std::string& folder);
  // The file `fileName` of `folder` exists; network paths are asked of "D2ORiro.File" only.
  bool FileExistAlsoRemote(const std::string& folder, const std::string& fileName);
  // `path` unchanged when it has a drive ("X:"), a share ("\server\share") or is an absolute
  // POSIX path; otherwise the temporary folder joined with `path`.
  std::string AddTempPathIfNoDriveFound(const std::string& path);
  // Whether the workbook engine can run. False until it is built (logged once per call).
  // Never raises.
  bool IsExcelInstalled();
  // Raises ExcelNotInstalled with label "ZODAR0040" when IsExcelInstalled() is false; the
  // result is always false.
  bool IsExcelInstalledWithErrRaise();
  // Saves the pending error `current` in this object; RestoreErr writes the saved error back
  // into `current` (no error when nothing was saved).
  void StoreErr(const PendingError& current);
  void RestoreErr(PendingError& current);
  // The elements of a one-dimensional array from its lower to its upper bound as text, joined
  // by ", "; "" after an error log entry when `array` is not an array or cannot be read.
  std::string MakeStringFromArray(const Variant& array);
  // The elements 0 ... upper bound of an array joined by ", "; "" for anything else.
  std::string ConvertArrayToList(const Variant& array);

 private:
  // The error kept between StoreErr and RestoreErr.
  PendingError saved_error_;
  // ---- end of error folder and file checks ----
};

}  // namespace velmora
