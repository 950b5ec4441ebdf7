// Velmora.Document: the processing entry points and the conversions of a stored document.
#include "core/guarded.h"
#include "document/document_store.h"
#include "document/processing/processing.h"
#include "routing/style_sheets.h"
#include "velmora/delivery/receive_method.h"
#include "velmora/document/document.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// Component calls are reported under the processing path; an interactive call's error leaves
// unchanged, so that the page shows the step's localised message as it is.
Variant Process(document::ProcessingArgs& args) {
  if (args.interactive != 0) {
    return Variant(document::ProcessDocumentCore(args));
  }
  return Variant(
      core::Guarded(document::kProcessPath, [&] { return document::ProcessDocumentCore(args); }));
}

}  // namespace

Variant Document::ProcessDocument(int32_t iInterActive, const std::string& iOriginalXmlBody,
                                  std::string& iOriginalDocTypeID,
                                  std::string& iOriginalDefRecipient, int32_t& oDocID,
                                  int32_t& oSenderBPID, std::string& oDocTypeID,
                                  std::string& oSenderName, std::string& oDefRecipient,
                                  int16_t& oStatus, int32_t& iForwardedDocID) {
  document::ProcessingArgs args{iInterActive,          iOriginalXmlBody, iOriginalDocTypeID,
                                iOriginalDefRecipient, nullptr,          oDocID,
                                oSenderBPID,           oDocTypeID,       oSenderName,
                                oDefRecipient,         oStatus,          iForwardedDocID};
  return Process(args);
}

Variant Document::ProcessDocumentWithAttachments(
    int32_t iInterActive, const std::string& iOriginalXmlBody, std::string& iOriginalDocTypeID,
    std::string& iOriginalDefRecipient, const std::shared_ptr<Collection>& i_oAttachments,
    int32_t& oDocID, int32_t& oSenderBPID, std::string& oDocTypeID, std::string& oSenderName,
    std::string& oDefRecipient, int16_t& oStatus, int32_t& iForwardedDocID) {
  document::ProcessingArgs args{iInterActive,          iOriginalXmlBody, iOriginalDocTypeID,
                                iOriginalDefRecipient, i_oAttachments,   oDocID,
                                oSenderBPID,           oDocTypeID,       oSenderName,
                                oDefRecipient,         oStatus,          iForwardedDocID};
  return Process(args);
}

void Document::TransformDocToNewDocType(int32_t& iDocID, std::string& iOriginalDocTypeID,
                                        std::string& iNewDocTypeID) {
  core::Guarded("Velmora.Document.TransformDocToNewDocType", [&] {
    document::CopyOriginalXMLtoTempXMLBody(iDocID);
    const std::string xsl =
        document::GetXSLFromDoctypeToDoctypeTable(iOriginalDocTypeID, iNewDocTypeID);
    if (xsl.empty()) {
      document::CopyTempXMLtoXMLBody(iDocID);
    } else {
      const auto temp = document::GetTempXmlDomDocument(iDocID);
      UpdateDocumentWithXmlBody(
          iDocID, routing::style_sheets::Transform(temp->Xml(),
                                                   routing::style_sheets::TransformFolder() + xsl,
                                                   "Velmora.Utility.transformXMLToHTMLCommon"));
    }
    document::UpdateTempXMLBodyWithNULLInDocument(iDocID);
  });
}

namespace document {

std::string TransformDocumentToStandard(int32_t docId, const std::string& docTypeId,
                                        int32_t senderBp) {
  return core::Guarded("Velmora.Document.TransformDocumentToStandard", [&] {
    int32_t partner = senderBp;
    std::string type = docTypeId;
    const std::string xsl = ReceiveMethod().GetXslFileName(partner, type);
    Document documents;
    if (xsl.empty()) {
      CopyOriginalXMLtoXMLBody(docId, false);
      return documents.GetXmlDocument(docId);
    }
    const std::string standard = routing::style_sheets::Transform(
        documents.GetOriginalXmlDocument(docId), routing::style_sheets::TransformFolder() + xsl,
        "Velmora.Utility.transformXMLStringToHTML");
    documents.UpdateDocumentWithXmlBody(docId, standard);
    return standard;
  });
}

}  // namespace document
}  // namespace velmora
