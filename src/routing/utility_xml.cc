// Utility, XML and XSL services: the published forms of the style-sheet, node-query and
// temporary-file services of routing.
#include <optional>
#include <string_view>

#include "core/general.h"
#include "core/guarded.h"
#include "routing/document_types.h"
#include "routing/node_queries.h"
#include "routing/style_sheets.h"
#include "routing/xml_files.h"
#include "routing/xml_text.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// Characters that never stand in an element or attribute name of a stored query.
constexpr std::string_view kNotInNames = " ?.,><'\";:|][}{=+)(*&^%$#@`~!\\/";

}  // namespace

std::string Utility::transformXMLStringToHTML(const std::string& sXML,
                                              const std::string& sXSLPath) {
  constexpr const char* kPath = "Velmora.Utility.transformXMLStringToHTML";
  return core::Guarded(kPath,
                       [&] { return routing::style_sheets::Transform(sXML, sXSLPath, kPath); });
}

std::string Utility::transformXMLToHTMLCommon(const xml::Document& oXmlDoc,
                                              const std::string& sXSLPath) {
  constexpr const char* kPath = "Velmora.Utility.transformXMLToHTMLCommon";
  return core::Guarded(
      kPath, [&] { return routing::style_sheets::Transform(oXmlDoc.Xml(), sXSLPath, kPath); });
}

std::string Utility::GetTransformXSLPath() {
  return core::Guarded("Velmora.Utility.GetTransformXSLPath",
                       [] { return routing::style_sheets::TransformFolder(); });
}

std::string Utility::GetHTMLXSLPath() {
  return core::Guarded("Velmora.Utility.GetHTMLXSLPath",
                       [] { return routing::style_sheets::HtmlFolder(); });
}

std::string Utility::getXSL(const std::string& i_sDocTypeID) {
  return core::Guarded(
      "Velmora.Utility.getXSL",
      [&]() -> std::string {
        std::optional<std::string> file = routing::document_types::HtmlAttachmentXsl(i_sDocTypeID);
        if (!file) {
          return "";
        }
        return GetHTMLXSLPath() + text::Trim(*file);
      },
      [&] { return Variant("DocumentType: '" + i_sDocTypeID + "'"); });
}

std::string Utility::GetHtmlAttachmentXsl(const std::string& sDocTypeID) {
  return core::Guarded("Velmora.Utility.GetHtmlAttachmentXsl", [&] {
    return routing::document_types::HtmlAttachmentXsl(sDocTypeID).value_or("");
  });
}

std::string Utility::ConstructXslPattern(TagAttrXsl eTagAttrXsl, const std::string& sXslPattern) {
  return routing::node_queries::QueryFor(eTagAttrXsl, sXslPattern);
}

bool Utility::CheckXslPattern(std::string& sXslPattern, TagAttrXsl eTagAttrXsl) {
  return core::Guarded(
      "Velmora.Utility.CheckXslPattern",
      [&]() -> bool {
        sXslPattern = text::Trim(sXslPattern);
        const std::string& value = sXslPattern;
        switch (eTagAttrXsl) {
          case TagAttrXsl::TAGVALUE:
          case TagAttrXsl::ATTRVALUE:
            if (value.find_first_of(kNotInNames) != std::string::npos) {
              return false;
            }
            break;
          case TagAttrXsl::XSLPATTERN:
            if (value.find('\\') != std::string::npos && value.find('/') != std::string::npos) {
              return false;
            }
            if (value == "//" || value == "\\\\" || value == "\\" || value == "/" ||
                value.find(' ') != std::string::npos) {
              return false;
            }
            break;
          default:
            return true;
        }
        if (routing::IsLenientNumeric(value)) {
          return false;
        }
        return value.empty() || value[0] < '0' || value[0] > '9';
      },
      [&] { return Variant("XSL pattern checked: " + sXslPattern); });
}

std::string Utility::ExecuteXSLPattern(const xml::Document& oXmlDoc,
                                       const std::string& sXslPattern) {
  return routing::node_queries::FirstText(oXmlDoc, sXslPattern);
}

std::shared_ptr<xml::NodeList> Utility::ExecuteXSLPatternReturnAllNodes(
    const xml::Document& oXmlDoc, const std::string& sXslPattern) {
  return routing::node_queries::AllNodes(oXmlDoc, sXslPattern);
}

Variant Utility::WriteXMLFileToDisk(const std::string& sXML, std::string& sFileName) {
  return core::Guarded("Velmora.Utility.WriteXMLFileToDisk", [&]() -> Variant {
    return WriteXMLFileToDiskAsciiOrUnicode(sXML, sFileName, true);
  });
}

Variant Utility::WriteXMLFileToDiskAsciiOrUnicode(const std::string& sXML, std::string& sFileName,
                                                  bool bUnicode) {
  // The reported path names the file, so it is composed after the failure.
  std::string full_path;
  try {
    full_path = routing::xml_files::PathFor(sFileName);
    routing::xml_files::WriteAt(sXML, full_path, bUnicode);
    return Variant(full_path);
  } catch (...) {
    core::ReportError("Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode(" +
                      text::Utf8Left(sXML, 6) + ", " + full_path + ")");
  }
  return Variant();
}

void Utility::DeleteXMLFileFromDisk(const std::string& sFileName) {
  core::Guarded("Velmora.Utility.DeleteXMLFileFromDisk",
                [&] { routing::xml_files::Delete(sFileName); });
}

}  // namespace velmora
