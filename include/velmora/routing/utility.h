#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/error.h"
#include "velmora/base/variant.h"
#include "velmora/core/file_handling.h"
#include "velmora/db/recordset.h"
#include "velmora/host/membership_user.h"
#include "velmora/routing/publication_status.h"
#include "velmora/routing/tag_attr_xsl.h"
#include "velmora/xml/document.h"
#include "velmora/xml/node.h"

namespace velmora {

// Velmora.Utility: the published facade of the shared services for script callers and pages.
// Each operation forwards to the service of the subsystem it belongs to (library code calls
// those services directly) inside the error convention of its published path. An object keeps
// only what a page may carry between calls on it: the saved error of StoreErr and the cached
// virtual id of the portal. Not safe for concurrent use of one object. Inputs are taken by
// value or const reference; a non-const reference is written by the operation. The automation
// layer presents the published by-reference parameters as such (src/automation/register_*.cc).
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
  std::shared_ptr<db::Recordset> GetRecipientsFromPublicationTable(int32_t iDocID,
                                                                   const std::string& iDocTypeID,
                                                                   bool iEmail);
  // ---- end of recipient readers ----

  // ---- Recipient resolution and the publication table ----
  // Defined in src/routing/recipients/ (library velmora_recipients), which sits above the
  // rules engine: document types may come from a document type rule set. Every value reaches
  // SQL as a literal of SqlText or SqlLong. Failures are reported under
  // "Velmora.Utility.<operation>" and raised, unless said otherwise.

  // Records the recipients of document `iDocID` as PUBLICATION rows. A blank `iDocTypeID` is
  // read from the document row, a blank `iXML` is the document's XML body (the arguments keep
  // what the caller passed). Nothing happens for document 0, no type or no XML. USESDISTLIST
  // "1" or "TRUE" (trimmed, any case) sends to the whole list of the type and blanks every
  // routing element; else an OBI document goes to the receiving user the OBI service reports;
  // else RECEIVER, then BUSINESSPARTNER or, when that has no value, BUS-PART-C and
  // BUS-PART-S are resolved (ExecuteXslPatternAndFillPublicationTable). 1 when a recipient was
  // recorded (or already had a row), else 0; 0 as well after a reported failure.
  int32_t GetRecipientsAndFillPublicationTable(int32_t iDocID, const std::string& iDocTypeID,
                                               const std::string& iXML);
  // Inserts a PUBLICATION row (status 0, forward 0, no error) for every user on the list of
  // `iDocTypeID`, narrowed to partner `iBPID` when not 0 and to user `iUserID` when not
  // blank, except users who already have a row for the document. The number of rows inserted.
  int32_t FillPublicationTable(int32_t iDocID, const std::string& iDocTypeID, int32_t iBPID,
                               const std::string& iUserID);
  // Resolves every non-blank node of `sXslPattern` ("//RECEIVER", "//BUSINESSPARTNER",
  // "//BUS-PART-C", "//BUS-PART-S"; any other query resolves nothing) into PUBLICATION rows.
  // A value that leads to nobody is not raised: it becomes PUBLICATIONERRORS rows (label
  // "ZODAR0008" with "ZODAR4478" or "ZODAR4479"; "ZODAR4475" first for a partner id that is
  // not a 32-bit integer, "ZODAR4476" first for a partner code the partner register cannot
  // translate). Every non-blank node is blanked and the document stored once afterwards
  // (UpdateDocumentWithXmlBody). True when at least one value led to a recipient.
  bool ExecuteXslPatternAndFillPublicationTable(int32_t iDocID, const std::string& iDocTypeID,
                                                xml::Document& oXmlDoc,
                                                const std::string& sXslPattern);
  // ClearTagsAndWriteDocToDB for USESDISTLIST, RECEIVER, BUSINESSPARTNER, BUS-PART-C and
  // BUS-PART-S, in this order.
  void RemoveAllRoutingInfoFromDocument(int32_t iDocID, xml::Document& oXmlDoc);
  // Blanks every node of `sXslPattern` and stores the document's XML as its XMLBODY; nothing
  // without a match. Always false.
  bool ClearTagsAndWriteDocToDB(int32_t iDocID, xml::Document& oXmlDoc,
                                const std::string& sXslPattern);
  // The first RECEIVER (trimmed) when REQUISITIONER has a value, else "".
  std::string GetDefaultReceiver(const std::string& sXML);
  // The type of document `sXML`: the type the OBI service reports for an OBI document; else
  // DOCTYPE-ID when DOCUMENTTYPE has it; else the answer of the document type rules for
  // partner `iBPID` when DOCUMENTTYPE has it; else "".
  std::string GetDocType(const std::string& sXML, int32_t iBPID);
  // GetRecipientsFromPublicationTable without EMAIL, narrowed to the users of `vUserIDs`: a
  // Dictionary (its items), a Collection or an array of user ids; Empty, Null or Nothing do
  // not narrow. An empty collection selects no user: the recordset has the columns and no
  // row. Reported as "Velmora.Utility.GetRecipientsFromPublicationTableByUsers".
  std::shared_ptr<db::Recordset> GetRecipientsFromPublicationTableByUsers(
      int32_t iDocID, const std::string& iDocTypeID, bool iEmail, const Variant& vUserIDs);
  // The e-mail addresses of the current recipients, each followed by ";", with CR LF after
  // the first one only, and the last character removed: "a;" + CR for one recipient,
  // "a;" + CR LF + "b" for two, "a;" + CR LF + "b;c" for three; "" for none. A recipient the
  // directory does not know is logged and left out.
  std::string GetToRecipientList(int32_t iDocID, const std::string& iDocTypeID);
  // STATUS (resp. FORWARD) of the publication of `iDocID` to `iUserID`; -1 when there is none.
  int32_t GetPublicationStatus(int32_t iDocID, const std::string& iUserID);
  int32_t GetForwardFlag(int32_t iDocID, const std::string& iUserID);
  // The status named by `sStatus` after trimming it in place ("New", "Accepted", "Accept",
  // "Rejected", "Viewed", "Downloaded", ... in the spellings listed with the definition);
  // PUBLICATIONUNKNOWNSTATUS for anything else.
  PUBLICATIONSTATUS ConvertPublicationStatusFromStringToEnum(std::string& sStatus);
  // True when document `iDocID` has a publication error with CLOSED 0.
  bool CheckPublicationErrors(int32_t iDocID);
  // True when a send history row has type `iDocTypeID` and partner `iBPID`, or belongs to a
  // document sent by the trimmed `iSender`; restricted to document `iDocID` when not 0.
  bool CheckSentLog(const std::string& iDocTypeID, const std::string& iSender, int32_t iBPID,
                    int32_t iDocID = 0);
  // Whether DOCUMENTTYPE has `iDocTypeID`; its DESCRIPTION ("" when absent or NULL), reported
  // as "Velmora.Utility.GetDocTypeDescription".
  bool DocTypeFoundInTable(const std::string& iDocTypeID);
  std::string GetDocumentTypeDescription(const std::string& iDocTypeID);
  // ---- end of recipient resolution and the publication table ----

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

  // ---- Plug-in calls (src/delivery/utility_plugins.cc) ----
  // A plug-in method string names a component and, after a second ".", a method:
  // "component.class" or "component.class.method".

  // The text before the second "." (the whole string when it holds fewer than two "."), as a
  // Variant holding text. Reported as "Velmora.Utility.GetClass".
  Variant GetClass(const std::string& iDllClassMethodString);
  // The text after the second "."; "" when there is none or it is the last character.
  // Reported as "Velmora.Utility.GetMethod".
  Variant GetMethod(const std::string& iDllClassMethodString);
  // Calls the plug-in with `iArguments`: the named method, else MethodCall of the IMethodCall
  // interface, else the late-bound member "IMethodCall_MethodCall"; the answer as a boolean.
  // Any failure is reported, raised, as "Velmora.Utility.CallMethod" with "object <string> not
  // found or method called with wrong number/type of arguments" as additional information,
  // keeping the number of the error (a plug-in's own number included). Plug-ins are the
  // components named in config/components.xml of the home (velmora/plugin/method_call.h).
  bool CallMethod(const std::string& iDllClassMethodString, Variant& iArguments);
  // Hands the workbook `i_oExcelWorkBook` (a sheet::WorkbookObject, the handle of
  // Velmora.B2BExcel) to the plug-in: the named method, else GetExcelWorkBook of the IMethodCall
  // interface, else the late-bound member "IMethodCall_GetExcelWorkBook"; the answer as a
  // boolean. The workbook the plug-in hands back replaces the caller's (a plug-in can hand back
  // only the one it got, or nothing). After a successful call the file
  // `i_sFilePathTemplate` is deleted unless it is "". On failure the workbook is closed and
  // the failure is reported, raised, as "Velmora.Utility.CallMethod_Excel" with the text of
  // CallMethod.
  bool CallMethodForExcel(const std::string& iDllClassMethodString, ObjectRef& i_oExcelWorkBook,
                          const std::string& i_sFilePathTemplate = "");
  // Whether a component of GetClass(iDllClassMethodString) can be created; nothing is called.
  // A plug-in whose library cannot be loaded or whose factory fails cannot be created.
  bool CheckMethodCall(const std::string& iDllClassMethodString);
  // ---- end of plug-in calls ----

  // ---- Users, partners and access checks (src/routing/utility_users.cc) ----
  // The gateway to the host's membership directory, partner register, validator and
  // configuration. Failures are reported under "Velmora.Utility.<operation>" and raised unless
  // said otherwise. The IIS virtual id is read once per Utility object (see iis_virtual_id_).

  // "GLOBAL"/"IISVirtId" of the site configuration, read when this object has not cached it
  // yet (an absent key leaves the cache empty, so the next call reads again).
  std::string getIISVirtID();
  // getAUOAddress(getIISVirtID(), sUserID): the user object bound to `sUserID` (compared
  // exactly). An unknown or empty user id raises as the directory raises (NotPresent,
  // MissingUserID).
  std::shared_ptr<host::MembershipUser> GetAUObject(const std::string& sUserID);
  // A new "KxMembership.User" initialised with the site configuration file and bound to
  // `sUserID` with the membership service account. `sIISVirtID` is not used.
  std::shared_ptr<host::MembershipUser> getAUOAddress(const std::string& sIISVirtID,
                                                      const std::string& sUserID);
  // The directory search for one filter ("cn=<user id>" or "employeenumber=<number>"), at most
  // 10 rows with "cn" and "BusinessPartnerID". A blank `sIISVirtID` is set to getIISVirtID().
  std::shared_ptr<db::Recordset> GetAuoRSByCriteria(const Variant& vCriteria,
                                                    std::string& sIISVirtID);
  // The business partner id and the e-mail address of the user object of `sUserID`.
  int32_t GetAUBusinessPartnerID(const std::string& sUserID);
  std::string GetAUEmailAddress(const std::string& sUserID);
  // The sender of document `sXML`: for an OBI document (as the "Velmora.OBI" component, asked
  // late-bound, reports it; none when that component is not available) the sender partner
  // name of its envelope (looked up by "cn="); otherwise, or when that name is empty, the
  // trimmed SENDER (looked up by "cn="), else CONTACT (looked up by "employeenumber=", then
  // by "cn="). A sender the directory knows gives its partner and its stored user id; an
  // unknown one leaves `lBPID` 0 and `sSenderName` as the document has it. No SENDER and no
  // CONTACT raises TagNotPresentError with label "ZODAR0004". On any failure `lBPID` is 0 and
  // `sSenderName` "", and the error is reported with the text of "ZODAR0004" as additional
  // information. A text that is not well-formed raises the parser's number, its input line as
  // source and its reason as description.
  void GetSenderBPAndName(const std::string& sXML, int32_t& lBPID, std::string& sSenderName);
  // The register's name of partner `lBPID`; an unknown partner raises NotPresent, reported as
  // "Velmora.Utility.GetBusinesspartnerName".
  std::string GetBusinessPartnerName(int32_t lBPID);
  // True when the partner of the sender of `sXML` (GetSenderBPAndName) is the partner of
  // `sUser`.
  bool BPOfDocumentEqualsBPOfUser(const std::string& sUser, const std::string& sXML);
  // The validator's answer for `sUser` / `sPassword` (a Boolean); `sXML` is not read.
  Variant CheckUserAuthorization(const std::string& sUser, const std::string& sPassword,
                                 const std::string& sXML);
  // The id of application `sApplicationName` in the B2B configuration file. Reported as
  // "Velmora.Utility.GetApplicID".
  int32_t GetApplicationID(const std::string& sApplicationName);
  // True when the id of `sApplicationName` is among the applications `sUser` may use.
  bool UserAccessToApplicationAllowed(const std::string& sUser,
                                      const std::string& sApplicationName);
  // GetParameter(sParamName); its failure passes unreported.
  std::string GetR2AVidodeParameter(const std::string& sParamName);
  // Looks for `sPattern` (a field name followed by "=", compared ignoring case, first
  // occurrence) in `sFormCollection`, the URL-encoded form body as text ("a=1&b=2"). `vValue`
  // becomes the text after the pattern up to the next "&", decoded by urlDecode (not trimmed),
  // or "" when the pattern is absent; the result is whether the trimmed value is not blank. A
  // value that does not decode writes the whole form into the error folder and is reported as
  // "RetrieveElementFromRequestFormCollection".
  bool RetrieveElementFromRequestFormCollection(const std::string& sFormCollection,
                                                const std::string& sPattern, Variant& vValue);
  // 0 for Null; otherwise `vValue` converted to a 16-bit integer (out of range raises
  // kErrOverflow, text that is not a number kErrTypeMismatch) and widened.
  int32_t CheckLong(const Variant& vValue);
  // "" for Null; otherwise `vValue` as text.
  std::string CheckString(const Variant& vValue);

 private:
  // The IIS virtual id of this object, filled by getIISVirtID on first use, never refreshed.
  std::string iis_virtual_id_;

 public:
  // ---- end of users, partners and access checks ----

  // ---- E-mail composition and sending ----
  // The library's one way of sending a mail, and the texts and links of document mails.
  // SendEmail, SendEmailWithAttachments and the links live in src/routing/utility_email*.cc;
  // the texts, the document mails and DownloadDocument in src/routing/email/ (library
  // velmora_email, above the stores they read). Messages go through the environment's mail
  // transport (core::CurrentEnv().Mail()); failures are reported under
  // "Velmora.Utility.<operation>" and raised unless said otherwise.

  // Sends one message from `sFrom` to the address list `sTo` (as written: addresses separated
  // by ";" or ","), with `sSubject` and the UTF-8 text `sBody`; the files `sHTMLFileName` and
  // `sXMLFileName` are attached when not empty (paths through the share and drive maps; each
  // named by its plain base name). An empty sender raises MissingEmailSenderError "The Sender
  // is missing.", then an empty receiver MissingEmailReceiverError "The Receiver is missing.",
  // both with source "Utility". A carriage return or line feed in the sender, the list, the
  // subject or a file name, or a malformed address, is refused before anything is sent; a file
  // that cannot be read sends nothing.
  void SendEmail(const std::string& sFrom, const std::string& sTo, const std::string& sSubject,
                 const std::string& sBody, const std::string& sHTMLFileName = "",
                 const std::string& sXMLFileName = "");
  // The same message with the files of `aAttachments` added, through the mail operation of
  // "D2ORiro.File": the first column of a two-dimensional array (element (0, row), as GetRows
  // gives it), or every element of a one-dimensional one, holds full paths. Anything else
  // attaches no further file.
  void SendEmailWithAttachments(const std::string& sFrom, const std::string& sTo,
                                const std::string& sSubject, const std::string& sBody,
                                const std::string& sHTMLFileName, const std::string& sXMLFileName,
                                const Variant& aAttachments);
  // A mail with document `sDocID` rendered as HTML (when the id is not empty) and `sXML` as
  // the file <id>.xml (when not empty), to `iBcc`. With `iSenderMode` -1, or 0 for a document
  // still new, the text is `sBody`; otherwise `sBody`, a blank line, label "ZODAR1717" in
  // `iLanguageID`, ":" and the document link (mode 1 for 0, 0 for 1, else the mode itself).
  // A non-blank `sCcList` gets one more mail with `sBody` only, with the HTML file when
  // `bHTMLToCc`. The temporary files are deleted afterwards.
  void sendEmailByGettingHTMLAndXML(const std::string& sFrom, const std::string& iBcc,
                                    const std::string& sBody, const std::string& sSubject,
                                    const std::string& sDocID, const Variant& vDocTypeID,
                                    const std::string& sXML, const std::string& sCcList = "",
                                    bool bHTMLToCc = false, int32_t iSenderMode = -1,
                                    int32_t iLanguageID = 1033);
  // The confirmation mail to the sender of `iDocID`, from and to his own address, when his
  // sender-list entry asks for notification: GetSubject and GetBody in mode 0 in his language,
  // the HTML file when `bAddHTML` or his HTML flag is set and the type has a style sheet, the
  // document's attachments when his attachments flag is set.
  void SendEmailToSender(int32_t iDocID, const std::string& sSubject = "",
                         const std::string& sBody = "", bool bAddHTML = false,
                         const std::string& sToList = "", const std::string& sCcList = "");
  // SendEmailToRecipientsEx(iDocID, nothing, sCcList, sSubject, sBody, bAddHTML, false, false,
  // true).
  void SendEmailToRecipients(int32_t iDocID, const std::string& sCcList = "",
                             const std::string& sSubject = "", const std::string& sBody = "",
                             bool bAddHTML = false);
  // One mail per current recipient of `iDocID` who asked for mail (all publication users, or
  // the users of `vUserIDs` unless `bPubUsersOnly`), in his language, with the link and, as
  // his list entry asks, one HTML file made once for all and the document's attachments; a
  // failed recipient is one publication error "ZODAR1817" and the next one is served. Then
  // one copy mail to `sCcList` (no link). `bSkipTo` and `bSkipCC` leave out either part.
  void SendEmailToRecipientsEx(int32_t iDocID, const Variant& vUserIDs = Variant(),
                               const std::string& sCcList = "", const std::string& sSubject = "",
                               const std::string& sBody = "", bool bAddHTML = false,
                               bool bSkipTo = false, bool bSkipCC = false,
                               bool bPubUsersOnly = true);
  // The administrator's mail (parameter "AdminEmailAddress", to and from) about `sFileName`
  // moved to the error folder: labels "ZODAR4100" and "ZODAR4103" in 1033. Never raises; an
  // address that cannot be read is an error log entry under the text of "ZODAR4104".
  void SendEmailToAdministrator(const std::string& sFileName);
  // The subject of a document mail in `sLanguageID`: the recipient head "ZODAR1712" (mode not
  // 0) or the sender head "ZODAR5530" (mode 0), ", ", "ZODAR1907" and the type's description
  // in single quotes, when `sSubject` is empty, or is the recipient head in mode 0; else
  // `sSubject` unchanged.
  std::string GetSubject(const std::string& sLanguageID, const std::string& sSubject,
                         const std::string& sDocTypeID, int32_t iSenderMode = 1);
  // The body of a document mail: `sBody` and a blank line (or the default sentence), the link
  // sentence "ZODAR4485" unless `bCcFlag`, and in mode 0 the recipients "ZODAR4483" (the list
  // of the publication table when `sToList` is empty; `sToList` receives it), the copies
  // "ZODAR4484" and, with open publication errors, "ZODAR1715" and the error box link. Links
  // have their blanks as "%20".
  std::string GetBody(const std::string& sLanguageID, int32_t iDocID, const std::string& sDocTypeID,
                      int32_t iSenderMode, const std::string& sBody, bool bCcFlag,
                      std::string& sToList, const std::string& sCcList = "");
  // `sBody`, or when it is empty the default sentence: "ZODAR1714", the id, " (", "ZODAR1907",
  // the type's description in single quotes, ") ", "ZODAR1713" and two CR LF.
  std::string GetDefaultBody(const std::string& sLanguageID, int32_t iDocID,
                             const std::string& sDocTypeID, const std::string& sBody = "");
  // getPagePath() + getVelmoraPath() + "?DocID=" + id + "&DocTypeID=" + URL-encoded trimmed
  // type + "&SenderMode=" + mode; blanks left as they are.
  std::string getDocumentHyperlinkBySenderMode(int32_t iDocID, const std::string& sDocTypeID,
                                               int32_t iSenderMode);
  // Parameter "SiteLink" with one "/" added when it does not end with one.
  Variant getPagePath();
  // Parameter "SiteLinkStartingPoint" without one final "/" or "".
  std::string getVelmoraPath();
  // Key "ReceiveUrl" of section "GLOBAL" of the B2B configuration file.
  std::string getReceiveUrl();
  // getHTMLAttachmentByUsingXML(id as text, nothing, nothing), reported as
  // "Velmora.Utility.GetHTMLAttachment".
  std::string getHTMLAttachment(int32_t iDocID);
  // The document rendered with its type's HTML style sheet (a name holding ".xsl") and written
  // as <id>.html (UTF-16) into the temporary folder: its full path, or "" when the document or
  // the style sheet is not there. `vXML` is rendered instead of the stored body when both it
  // and `vDocTypeID` are given and it is not empty.
  std::string getHTMLAttachmentByUsingXML(const std::string& sDocID, const Variant& vDocTypeID,
                                          const Variant& vXML);
  // Whether the type's HTML style sheet loads; a failure is an error log entry and false.
  bool CanAttachHTMLFile(const std::string& sDocTypeID);
  // DeleteXMLFileFromDisk, reported as "Velmora.Utility.DeleteHTMLAttachment".
  void DeleteHTMLAttachment(const std::string& sFileName);
  // DOCUMENTTYPE.SHOWACCEPTREJECT of the type; false when there is no row.
  bool ShowAcceptRejectButtons(const std::string& sDocTypeID);
  // Document `iDocID` for user `sUserID` as a download by his manual-download send method:
  // XML text (transformed when the method names a style sheet), or for `iFileFormat` below 1
  // a workbook as bytes; the publication becomes downloaded and a history row is written. A
  // failure after the send method was found is a publication error "ZODAR1301" with a NOTSENT
  // history row, then raised.
  Variant DownloadDocument(int32_t iDocID, const std::string& sUserID, int16_t iFileFormat);
  // ---- end of e-mail composition and sending ----

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
  // Whether the workbook engine can start a process and reach it (core::GetSheetEngine()); a
  // false answer is logged. Never raises.
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
