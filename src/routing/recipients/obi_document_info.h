#pragma once

#include <memory>
#include <string>

#include "velmora/xml/document.h"

// What the OBI service says about a document. The service lives above this library, so it is
// asked late-bound: the component "Velmora.OBI" and its method GetObiDocumentInfo.
namespace velmora::recipients {

struct ObiDocumentInfo {
  // The root element names an OBI document type.
  bool is_obi = false;
  // The document type id the service reports.
  std::string document_type_id;
  // The receiving user the service reports.
  std::string receiver_user;
};

// Asks "Velmora.OBI" about `document`. A document is not OBI when the component cannot be
// created (B2B_getComponent logs that). Failures of the call itself are raised.
ObiDocumentInfo GetObiDocumentInfo(const std::shared_ptr<xml::Document>& document);

}  // namespace velmora::recipients
