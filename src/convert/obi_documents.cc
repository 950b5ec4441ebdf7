// Velmora.OBI: recognising OBI documents and reading their type, partners and version.
#include <optional>

#include "convert/obi_failures.h"
#include "core/labels.h"
#include "routing/node_queries.h"
#include "velmora/base/text.h"
#include "velmora/convert/obi.h"

namespace velmora {
namespace {

using convert::PassObiErrorOrReport;

// The description of a failed XmlToDom: four label lines joined by "\r\n".
std::string ParseFailureText(const xml::ParseError& failure) {
  const auto line = [](const char* label, const char* placeholder, Variant value) {
    Dictionary replacements;
    replacements.Add(placeholder, std::move(value));
    return core::GetLabelForMessage(label, replacements);
  };
  return core::GetLabelForMessage("ZODAR1839", {}) + "\r\n" +
         line("ZODAR1843", "[%DESCRIPTION%]", Variant(failure.reason)) + "\r\n" +
         line("ZODAR1840", "[%ERROR_LINE%]", Variant(std::to_string(failure.line))) + "\r\n" +
         line("ZODAR1841", "[%ERROR_COLUMN%]", Variant(std::to_string(failure.column)));
}

// The value of the digit at `position` of `text`; 0 when there is none.
uint8_t DigitAt(const std::string& text, size_t position) {
  if (position >= text.size() || text[position] < '0' || text[position] > '9') {
    return 0;
  }
  return static_cast<uint8_t>(text[position] - '0');
}

// The partner name of the sender or receiver (`role`) of OBI document `document` of `type`.
std::string PartnerName(const xml::Document& document, const std::string& type,
                        const std::string& role) {
  return routing::node_queries::FirstText(document,
                                          "/" + type + "/Envelope/" + role + "/PartnerName");
}

void Write(std::string* output, const std::string& value) {
  if (output != nullptr) {
    *output = value;
  }
}

}  // namespace

Bytes OBI::GetObiDocumentVersion(const std::shared_ptr<xml::Document>& oXmlDoc,
                                 const std::string& iXml) {
  try {
    const std::shared_ptr<xml::Document> document = oXmlDoc ? oXmlDoc : XmlToDom(iXml);
    Bytes version{0, 0};
    if (const std::optional<xml::Node> root = document->DocumentElement()) {
      const std::string text = root->GetAttribute("version").value_or("");
      version[0] = DigitAt(text, 0);
      version[1] = DigitAt(text, 2);
    }
    return version;
  } catch (...) {
    PassObiErrorOrReport("GetObiDocumentVersion");
  }
  return {};
}

bool OBI::IsObiDocument(const std::string& iDocTypeID) {
  try {
    return text::IStartsWith(text::Trim(iDocTypeID), "OBI");
  } catch (...) {
    PassObiErrorOrReport("IsObiDocument");
  }
  return false;
}

bool OBI::GetObiDocumentInfo(const std::shared_ptr<xml::Document>& oXmlDoc, const std::string& iXml,
                             const ObiDocumentInfoOutputs& outputs) {
  try {
    const std::shared_ptr<xml::Document> document = oXmlDoc ? oXmlDoc : XmlToDom(iXml);
    const std::optional<xml::Node> root = document->DocumentElement();
    if (!root || !IsObiDocument(root->Name())) {
      return false;
    }
    const std::string type = root->Name();
    Write(outputs.oDocTypeID, type);
    if (outputs.oSenderBP != nullptr || outputs.oSenderUser != nullptr) {
      const std::string sender = PartnerName(*document, type, "Sender");
      Write(outputs.oSenderBP, sender);
      Write(outputs.oSenderUser, sender);
    }
    if (outputs.oReceiverBP != nullptr || outputs.oReceiverUser != nullptr) {
      const std::string receiver = PartnerName(*document, type, "Receiver");
      Write(outputs.oReceiverBP, receiver);
      Write(outputs.oReceiverUser, receiver);
    }
    return true;
  } catch (...) {
    PassObiErrorOrReport("GetObiDocumentInfo");
  }
  return false;
}

std::shared_ptr<xml::Document> OBI::XmlToDom(const std::string& iXml) {
  try {
    auto document = std::make_shared<xml::Document>();
    if (!document->LoadXml(iXml)) {
      RaiseError(EnumerationErrors::ProcessDocumentError, "Velmora.OBI.XmlToDom",
                 ParseFailureText(document->parse_error()));
    }
    return document;
  } catch (...) {
    PassObiErrorOrReport("XmlToDom");
  }
  return nullptr;
}

bool OBI::IsOBIEnabled() { return false; }

}  // namespace velmora
