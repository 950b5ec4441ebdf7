#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/xml/document.h"

// The DOCUMENT operations that only the library calls (document processing and conversion to
// another document type). Each opens and closes its own connection and reports its failures as
// "Velmora.Document.<operation>" (GetXSLFromDoctypeToDoctypeTable as
// "Velmora.Utility.GetXSLFromDoctypeToDoctypeTable"). Dates are written as the clock's now.
namespace velmora::document {

// Adds a DOCUMENT row with STATUS -1, ORIGINALXMLBODY = `xml` and both dates now; returns
// its DOCUMENTID.
int32_t StoreOriginalDocument(const std::string& xml);

// Writes the properties of row `docId` when it exists: DOCUMENTTYPEID only when `docTypeId`
// is not blank, DOC_DOCUMENTID only when `parentDocId` is not -1; STATUS, SENDER,
// DEFAULTRECEIVER and SHOW (1 or 0) always.
void UpdateDocument(int32_t docId, const std::string& docTypeId, const std::string& sender,
                    const std::string& defaultReceiver, int16_t status, bool show,
                    int32_t parentDocId);

// XMLBODY (and, with `alsoTemp`, TEMPXMLBODY) := ORIGINALXMLBODY; CREATIONDATE := now.
void CopyOriginalXMLtoXMLBody(int32_t docId, bool alsoTemp);
// XMLBODY := TEMPXMLBODY; CREATIONDATE := now. Reported as CopyOriginalXMLtoXMLBody.
void CopyTempXMLtoXMLBody(int32_t docId);
// Fills an empty (or NULL) TEMPXMLBODY from XMLBODY, or from ORIGINALXMLBODY when XMLBODY is
// empty too; a filled TEMPXMLBODY is left alone.
void CopyOriginalXMLtoTempXMLBody(int32_t docId);
// TEMPXMLBODY loaded into a new XML document (empty when there is no row); a malformed body
// raises as Document::GetXmlDomDocument does.
std::shared_ptr<xml::Document> GetTempXmlDomDocument(int32_t docId);
// TEMPXMLBODY := NULL.
void UpdateTempXMLBodyWithNULLInDocument(int32_t docId);
// TRANSFORMXSLNAME of the conversion from `oldDocTypeId` to `newDocTypeId`, or "".
std::string GetXSLFromDoctypeToDoctypeTable(const std::string& oldDocTypeId,
                                            const std::string& newDocTypeId);
// Whether the document asks to be shown to its sender: the first B2BSHOW element's text,
// trimmed, is "TRUE" in any case, or "1". False when absent or without a document.
bool GetShowFlagFromDoc(const xml::Document* doc);

}  // namespace velmora::document
