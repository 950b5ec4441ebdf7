// Velmora.XML: the public loaders and the style-sheet transform.
#include "velmora/routing/xml.h"

#include "core/general.h"
#include "core/guarded.h"
#include "platform/xml/stylesheet.h"
#include "routing/xml_loading.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

constexpr const char* kApplyToDomPath = "Velmora.XML.ApplyXslStyleSheetToXmlDomDocument";

// `source` transformed by the style sheet held in `style_document`, loaded from `name`. A style
// sheet that does not compile, or a transform that fails, raises XSLParseError naming it.
std::string Transform(const xml::Document& source, const xml::Document& style_document,
                      const std::string& name) {
  try {
    std::unique_ptr<xml::Stylesheet> style = xml::Stylesheet::FromDocument(style_document);
    return style->Transform(source);
  } catch (const Error& error) {
    if (error.number() != ErrNumber(EnumerationErrors::XSLParseError)) {
      throw;
    }
    RaiseError(EnumerationErrors::XSLParseError, kApplyToDomPath,
               "The XML Object couldn't parse XSL file '" + name + "'.\r\n" + error.description());
  }
}

}  // namespace

std::shared_ptr<xml::Document> XML::XmlStringToDomDocument(const std::string& i_sXml) {
  return core::Guarded("Velmora.XML.XmlStringToDomDocument",
                       [&]() -> std::shared_ptr<xml::Document> {
                         return routing::LoadXmlInDomDocument(i_sXml, "");
                       });
}

std::shared_ptr<xml::Document> XML::XmlFileToDomDocument(const std::string& i_sXmlFile) {
  return core::Guarded("Velmora.XML.XmlFileToDomDocument", [&]() -> std::shared_ptr<xml::Document> {
    return routing::LoadXmlInDomDocument("", i_sXmlFile);
  });
}

std::shared_ptr<xml::Document> XML::XslFileToDomDocument(const std::string& i_sXslFile) {
  return core::Guarded("Velmora.XML.XslFileToDomDocument", [&]() -> std::shared_ptr<xml::Document> {
    return routing::LoadXslInDomDocument("", i_sXslFile);
  });
}

std::string XML::ApplyXslStyleSheetToXmlString(const std::string& i_sXml,
                                               const std::string& i_sXslFile) {
  return core::Guarded("Velmora.XML.ApplyXslStyleSheetToXmlString", [&]() -> std::string {
    std::shared_ptr<xml::Document> document = XmlStringToDomDocument(i_sXml);
    Variant style_sheet(i_sXslFile);
    return ApplyXslStyleSheetToXmlDomDocument(document, style_sheet);
  });
}

std::string XML::ApplyXslStyleSheetToXmlDomDocument(std::shared_ptr<xml::Document>& io_oXmlDoc,
                                                    Variant& io_vXslFile) {
  return core::Guarded(kApplyToDomPath, [&]() -> std::string {
    if (!io_oXmlDoc) {
      RaiseError(EnumerationErrors::MissingInput, kApplyToDomPath,
                 "Not a valid Xml DOM document is given");
    }
    if (io_vXslFile.IsNull() || text::Trim(io_vXslFile.ToText()).empty()) {
      return io_oXmlDoc->Xml();
    }
    const std::string name = io_vXslFile.ToText();
    std::shared_ptr<xml::Document> style_document = XslFileToDomDocument(name);
    return Transform(*io_oXmlDoc, *style_document, name);
  });
}

}  // namespace velmora
