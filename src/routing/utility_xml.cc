// Utility, XML and XSL services: rendering with style sheets, the style-sheet folders, the
// per-type HTML style sheet, node queries and the temporary XML files.
#include <unistd.h>

#include <optional>
#include <string_view>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "platform/files/path_text.h"
#include "platform/xml/text_encoding.h"
#include "routing/xml_loading.h"
#include "routing/xml_network_component.h"
#include "routing/xml_text.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/base/text_encoding.h"
#include "velmora/core/file_handling.h"
#include "velmora/routing/utility.h"
#include "velmora/routing/xml.h"

namespace velmora {
namespace {

// "D2ORiro.XML" is creatable from program start-up on.
[[maybe_unused]] const bool kNetworkXmlRegistered = (routing::RegisterNetworkXmlComponent(), true);

// Characters that never stand in an element or attribute name of a stored query.
constexpr std::string_view kNotInNames = " ?.,><'\";:|][}{=+)(*&^%$#@`~!\\/";

bool IsNetworkStyleSheet(const std::string& path) { return path.rfind("\\\\", 0) == 0; }

// `xml_text` transformed by `style_sheet`, by "D2ORiro.XML" for network paths and by the XML
// class otherwise.
std::string ApplyStyleSheet(const std::string& xml_text, const std::string& style_sheet,
                            const std::string& path) {
  if (!IsNetworkStyleSheet(style_sheet)) {
    return XML().ApplyXslStyleSheetToXmlString(xml_text, style_sheet);
  }
  auto component = core::GetComponent<core::Dispatch>(routing::kNetworkXmlProgId);
  if (!component) {
    throw Error(kErrObjectRequired, path, "Object required");
  }
  std::vector<Variant> args{Variant(xml_text), Variant(style_sheet)};
  return component->Invoke("ApplyXslStyleSheetToXmlString", args).ToText();
}

// `value` ending with the separator of its kind: "/" for a base URL, "\" for a folder.
std::string WithSeparator(std::string value) {
  const char separator = routing::IsHttpStyleSheet(value) ? '/' : '\\';
  if (value.empty() || value.back() != separator) {
    value += separator;
  }
  return value;
}

// DOCUMENTTYPE.HTMLATTACHMENTXSL of `type`: nullopt for no row or NULL.
std::optional<std::string> ReadHtmlAttachmentXsl(const std::string& type) {
  const std::optional<Variant> field = core::FirstField(
      "SELECT HTMLATTACHMENTXSL FROM DOCUMENTTYPE WHERE DOCUMENTTYPEID = " + core::SqlText(type) +
          " ",
      "HTMLATTACHMENTXSL");
  if (!field || field->IsNull()) {
    return std::nullopt;
  }
  return field->ToText();
}

// The decimal id of the running thread, which makes generated names unique across threads.
std::string ThreadIdText() { return std::to_string(static_cast<long long>(::gettid())); }

// The text to write for `xml_text`: text that begins with an XML declaration declares the
// encoding it is written in, and in Windows-1252 carries the characters outside the code page
// as character references; any other text is written as it is.
std::string TextToWrite(const std::string& xml_text, bool unicode) {
  if (xml_text.rfind("<?xml", 0) != 0) {
    return xml_text;
  }
  if (unicode) {
    return xml::SetDeclaredEncoding(xml_text, "UTF-16");
  }
  return text::Windows1252ToUtf8(xml::EncodeXmlText(xml_text, xml::TextEncoding::kWindows1252));
}

}  // namespace

std::string Utility::transformXMLStringToHTML(const std::string& sXML,
                                              const std::string& sXSLPath) {
  constexpr const char* kPath = "Velmora.Utility.transformXMLStringToHTML";
  return core::Guarded(kPath,
                       [&]() -> std::string { return ApplyStyleSheet(sXML, sXSLPath, kPath); });
}

std::string Utility::transformXMLToHTMLCommon(const xml::Document& oXmlDoc,
                                              const std::string& sXSLPath) {
  constexpr const char* kPath = "Velmora.Utility.transformXMLToHTMLCommon";
  return core::Guarded(
      kPath, [&]() -> std::string { return ApplyStyleSheet(oXmlDoc.Xml(), sXSLPath, kPath); });
}

std::string Utility::GetTransformXSLPath() {
  return core::Guarded("Velmora.Utility.GetTransformXSLPath", [&]() -> std::string {
    return WithSeparator(core::GetParameter("TransformXSLPath"));
  });
}

std::string Utility::GetHTMLXSLPath() {
  return core::Guarded("Velmora.Utility.GetHTMLXSLPath", [&]() -> std::string {
    return WithSeparator(core::GetParameter("HTMLXSLPath"));
  });
}

std::string Utility::getXSL(const std::string& i_sDocTypeID) {
  return core::Guarded(
      "Velmora.Utility.getXSL",
      [&]() -> std::string {
        std::optional<std::string> file = ReadHtmlAttachmentXsl(i_sDocTypeID);
        if (!file) {
          return "";
        }
        return GetHTMLXSLPath() + text::Trim(*file);
      },
      [&] { return Variant("DocumentType: '" + i_sDocTypeID + "'"); });
}

std::string Utility::GetHtmlAttachmentXsl(const std::string& sDocTypeID) {
  return core::Guarded("Velmora.Utility.GetHtmlAttachmentXsl", [&]() -> std::string {
    return ReadHtmlAttachmentXsl(sDocTypeID).value_or("");
  });
}

std::string Utility::ConstructXslPattern(TagAttrXsl eTagAttrXsl, const std::string& sXslPattern) {
  switch (eTagAttrXsl) {
    case TagAttrXsl::TAGVALUE:
      return "//" + sXslPattern;
    case TagAttrXsl::ATTRVALUE:
      return "//@" + sXslPattern;
    case TagAttrXsl::XSLPATTERN:
      return sXslPattern;
    default:
      return "";
  }
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
  if (sXslPattern.empty()) {
    return "";
  }
  try {
    std::optional<xml::Node> node = oXmlDoc.SelectSingleNode(sXslPattern);
    return node ? text::Trim(node->Text()) : std::string();
  } catch (...) {
    // An invalid query finds nothing; callers read "" as "not found".
    return "";
  }
}

std::shared_ptr<xml::NodeList> Utility::ExecuteXSLPatternReturnAllNodes(
    const xml::Document& oXmlDoc, const std::string& sXslPattern) {
  try {
    return std::make_shared<xml::NodeList>(oXmlDoc.SelectNodes(sXslPattern));
  } catch (...) {
    // An invalid query gives no list; callers read nothing as "not found".
    return nullptr;
  }
}

Variant Utility::WriteXMLFileToDisk(const std::string& sXML, std::string& sFileName) {
  return core::Guarded("Velmora.Utility.WriteXMLFileToDisk", [&]() -> Variant {
    return WriteXMLFileToDiskAsciiOrUnicode(sXML, sFileName, true);
  });
}

Variant Utility::WriteXMLFileToDiskAsciiOrUnicode(const std::string& sXML, std::string& sFileName,
                                                  bool bUnicode) {
  std::string full_path;
  try {
    FileHandling files;
    if (sFileName.empty()) {
      sFileName = ThreadIdText() + files.GetFileName(EFileType::TempFile, "", "", "", "");
    }
    if (files::HasParentStep(sFileName)) {
      RaiseError(EnumerationErrors::InvalidParamValue,
                 "Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode",
                 "The file name '" + sFileName + "' may not climb out of its folder with '..'.");
    }
    full_path = AddTempPathIfNoDriveFound(sFileName);
    files.createTextFile(TextToWrite(sXML, bUnicode), full_path, bUnicode);
    return Variant(full_path);
  } catch (...) {
    core::ReportError("Velmora.Utility.WriteXMLFileToDiskAsciiOrUnicode(" +
                      text::Utf8Left(sXML, 6) + ", " + full_path + ")");
  }
  return Variant();
}

void Utility::DeleteXMLFileFromDisk(const std::string& sFileName) {
  constexpr const char* kPath = "Velmora.Utility.DeleteXMLFileFromDisk";
  core::Guarded(kPath, [&] {
    if (text::Trim(sFileName).empty()) {
      return;
    }
    try {
      FileHandling().DeleteFileFromDisk(sFileName);
    } catch (const Error& error) {
      if (error.number() != kErrPermissionDenied) {
        throw;
      }
      const std::string cannot_delete = routing::LabelWithFileName("ZODAR4567", sFileName);
      core::LogError(
          error, kPath,
          Variant(cannot_delete + "\r\n" + core::GetLabelForMessage("ZODAR0881", Dictionary{})));
    }
  });
}

}  // namespace velmora
