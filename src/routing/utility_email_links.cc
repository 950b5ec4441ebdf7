// Utility, e-mail: the links of document mails, the receive URL, the HTML rendering of a
// document and the type's accept and reject flag.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db_utils.h"
#include "core/dispatch.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "core/url_encode.h"
#include "routing/xml_network_component.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"
#include "velmora/routing/xml.h"

namespace velmora {
namespace {

bool ContainsXslExtension(const std::string& name) {
  return text::ToUpper(name).find(".XSL") != std::string::npos;
}

// Loads the style sheet at `path` as CanAttachHTMLFile does: network paths through
// "D2ORiro.XML", others through the XML class.
void LoadStyleSheet(const std::string& path) {
  if (path.rfind("\\\\", 0) != 0) {
    XML().XslFileToDomDocument(path);
    return;
  }
  auto component = core::GetComponent<core::Dispatch>(routing::kNetworkXmlProgId);
  if (!component) {
    throw Error(kErrObjectRequired, "Velmora.Utility.CanAttachHTMLFile", "Object required");
  }
  std::vector<Variant> args{Variant(path)};
  component->Invoke("XslFileToDomDocument", args);
}

}  // namespace

std::string Utility::getDocumentHyperlinkBySenderMode(int32_t iDocID, const std::string& sDocTypeID,
                                                      int32_t iSenderMode) {
  return core::Guarded("Velmora.Utility.getDocumentHyperlinkBySenderMode", [&] {
    return getPagePath().ToText() + getVelmoraPath() + "?DocID=" + std::to_string(iDocID) +
           "&DocTypeID=" + core::URLEncode(text::Trim(sDocTypeID)) +
           "&SenderMode=" + std::to_string(iSenderMode);
  });
}

Variant Utility::getPagePath() {
  return core::Guarded("Velmora.Utility.getPagePath", [&] {
    std::string link = core::GetParameter("SiteLink");
    if (link.empty() || link.back() != '/') {
      link += '/';
    }
    return Variant(link);
  });
}

std::string Utility::getVelmoraPath() {
  return core::Guarded("Velmora.Utility.getVelmoraPath", [&] {
    std::string path = core::GetParameter("SiteLinkStartingPoint");
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) {
      path.pop_back();
    }
    return path;
  });
}

std::string Utility::getReceiveUrl() {
  return core::Guarded("Velmora.Utility.getReceiveUrl", [&] {
    return core::ReadConfigValue(core::GetB2BConfigFile(), "GLOBAL", "ReceiveUrl").ToText();
  });
}

std::string Utility::getHTMLAttachment(int32_t iDocID) {
  return core::Guarded("Velmora.Utility.GetHTMLAttachment", [&] {
    return getHTMLAttachmentByUsingXML(std::to_string(iDocID), Variant(), Variant());
  });
}

std::string Utility::getHTMLAttachmentByUsingXML(const std::string& sDocID,
                                                 const Variant& vDocTypeID, const Variant& vXML) {
  return core::Guarded("Velmora.Utility.getHTMLAttachmentByUsingXML", [&] {
    const int32_t document = Variant(sDocID).ToInt32();
    const auto rows = core::getDisconnectedReadOnlyRecordSet(
        "SELECT XMLBODY, HTMLATTACHMENTXSL FROM DOCUMENT AS DOC, DOCUMENTTYPE AS DOCTYPE WHERE "
        "DOC.DOCUMENTID = " +
        core::SqlLong(document) + " AND " + "DOC.DOCUMENTTYPEID = DOCTYPE.DOCUMENTTYPEID");
    if (rows->IsEOF()) {
      return std::string();
    }
    const bool given = !vDocTypeID.IsEmpty() && !vDocTypeID.IsNull() && !vXML.IsEmpty() &&
                       !vXML.IsNull() && !vXML.ToText().empty();
    const std::string xml_text = given ? vXML.ToText() : rows->Field("XMLBODY").ToText();
    const Variant style_sheet = rows->Field("HTMLATTACHMENTXSL");
    const std::string name = style_sheet.IsNull() ? std::string() : style_sheet.ToText();
    if (!ContainsXslExtension(name) || text::Trim(name).empty()) {
      return std::string();
    }
    std::string file_name = sDocID + ".html";
    const std::string html =
        transformXMLStringToHTML(xml_text, GetHTMLXSLPath() + text::Trim(name));
    return WriteXMLFileToDisk(html, file_name).ToText();
  });
}

bool Utility::CanAttachHTMLFile(const std::string& sDocTypeID) {
  constexpr const char* kPath = "Velmora.Utility.CanAttachHTMLFile";
  return core::Guarded(kPath, [&] {
    const std::string path = text::Trim(getXSL(sDocTypeID));
    if (path.empty()) {
      return false;
    }
    try {
      LoadStyleSheet(path);
      return true;
    } catch (...) {
      core::LogError(kPath, Variant("The XML Object couldn't load the XSL file '" + path + "'."));
    }
    return false;
  });
}

void Utility::DeleteHTMLAttachment(const std::string& sFileName) {
  core::Guarded("Velmora.Utility.DeleteHTMLAttachment", [&] { DeleteXMLFileFromDisk(sFileName); });
}

bool Utility::ShowAcceptRejectButtons(const std::string& sDocTypeID) {
  return core::Guarded("Velmora.Utility.ShowAcceptRejectButtons", [&] {
    const std::optional<Variant> flag =
        core::FirstField(std::string(" SELECT SHOWACCEPTREJECT ") + " FROM DOCUMENTTYPE " +
                             " WHERE DOCUMENTTYPEID = " + core::SqlText(sDocTypeID),
                         "SHOWACCEPTREJECT");
    return flag && !flag->IsNull() && flag->ToBool();
  });
}

}  // namespace velmora
