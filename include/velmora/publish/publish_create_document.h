#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"

namespace velmora {

// Velmora.PublishCreateDocument: the front door for publishing. A document arrives as an XML
// text, an XML file, a workbook file or an OBI object and is either processed at once
// (synchronous: Document::ProcessDocumentWithAttachments, the new id returned) or written into
// the pick-up folder for the folder import (asynchronous: 0 returned). Attachments are a
// collection of full file paths (texts); asynchronous publishing refuses a non-empty one.
//
// When a synchronous publication of a text fails, the text (as "Error.xml") and its
// attachments are copied into a new error folder before the error is reported, unless the
// publication came through PublishDocument (the caller owns the file). Every failure reaches
// the caller as an error under "PublishCreateDocument.<method>".
//
// An object keeps the publisher's language (for the texts of attachment failures) and whether
// a file publication is under way; it is not safe for concurrent use.
class PublishCreateDocument {
 public:
  PublishCreateDocument() = default;
  PublishCreateDocument(const PublishCreateDocument&) = delete;
  PublishCreateDocument& operator=(const PublishCreateDocument&) = delete;

  // PublishXmlDocument(i_sXMLStr, i_oAttachments, true).
  int32_t Main(const std::string& i_sXMLStr, std::shared_ptr<Collection>& i_oAttachments);
  // "" (any case) sets 1033; otherwise the text as a number. A text that is not a number is
  // logged and leaves the language unchanged.
  void SetPublisherLanguageID(const std::string& i_sLanguageID);
  // The language set; 0 until set (0 reads labels in the default language).
  int32_t GetPublisherLanguageID();
  // Publishes an XML text: the new document id (synchronous) or 0 after writing it into the
  // pick-up folder as "XML_yyyy.mm.dd_hh.mm.ss-<n>.xml".
  int32_t PublishXmlDocument(const std::string& i_sXmlString,
                             const std::shared_ptr<Collection>& i_oAttachments,
                             bool i_bSynchronous);
  // Publishes a workbook file (extension "xls"): converted to XML and processed, or copied
  // into the pick-up folder as "B2BExcel_...-<n>.xls". Raises ExcelNotInstalled when no
  // spreadsheet engine is available and NotAnExcelFile for another extension.
  int32_t PublishExcelDocument(const std::string& i_sExcelFile,
                               const std::shared_ptr<Collection>& i_oAttachments,
                               bool i_bSynchronous);
  // Publishes the XML inside an OBI object (Base64 text) after checking its version and
  // language; asynchronously as "OBI_...-<n>.xml".
  int32_t PublishObiDocument(const std::string& i_sObiObject, bool i_bSynchronous);
  // PublishXmlDocument(i_sXMLStr, an empty collection, true).
  int32_t MainX(const std::string& i_sXMLStr);
  // Publishes a file: "xml" (any case) as XML, anything else as a workbook. Failed content is
  // not copied to an error folder: the caller owns the file.
  int32_t PublishDocument(const std::string& i_sFile,
                          const std::shared_ptr<Collection>& i_oAttachments, bool i_bSynchronous);
  // Copies each attachment file (paths equal without regard to case once) into the document's
  // folder of the attachments folder and records it in ATTACHMENT. Never raises: a file that
  // cannot be copied becomes a PUBLICATIONERRORS row with label "ZODAR1816", a missing
  // attachments folder or an unexpected failure one with "ZODAR1808".
  void CopyAttachmentCollection(int32_t i_lDocID, std::shared_ptr<Collection>& i_oAttachments);

 private:
  int32_t PublishDocumentSync(const std::string& xml,
                              const std::shared_ptr<Collection>& attachments);
  int32_t PublishXmlDocument2(const std::string& file,
                              const std::shared_ptr<Collection>& attachments, bool synchronous);

  int32_t mPublisherLanguageID = 0;
  bool in_file_publication_ = false;
};

}  // namespace velmora
