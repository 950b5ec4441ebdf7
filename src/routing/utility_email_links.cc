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
#include "routing/html_attachments.h"
#include "routing/xml_files.h"
#include "routing/xml_network_component.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"
#include "velmora/routing/xml.h"

namespace velmora {
namespace {

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
    return routing::html_attachments::DocumentLink(iDocID, sDocTypeID, iSenderMode);
  });
}

Variant Utility::getPagePath() {
  return core::Guarded("Velmora.Utility.getPagePath",
                       [] { return Variant(routing::html_attachments::PagePath()); });
}

std::string Utility::getVelmoraPath() {
  return core::Guarded("Velmora.Utility.getVelmoraPath",
                       [] { return routing::html_attachments::VelmoraPath(); });
}

std::string Utility::getReceiveUrl() {
  return core::Guarded("Velmora.Utility.getReceiveUrl", [&] {
    return core::ReadConfigValue(core::GetB2BConfigFile(), "GLOBAL", "ReceiveUrl").ToText();
  });
}

std::string Utility::getHTMLAttachment(int32_t iDocID) {
  return core::Guarded("Velmora.Utility.GetHTMLAttachment",
                       [&] { return routing::html_attachments::WriteStored(iDocID); });
}

std::string Utility::getHTMLAttachmentByUsingXML(const std::string& sDocID,
                                                 const Variant& vDocTypeID, const Variant& vXML) {
  return core::Guarded("Velmora.Utility.getHTMLAttachmentByUsingXML",
                       [&] { return routing::html_attachments::Write(sDocID, vDocTypeID, vXML); });
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
  core::Guarded("Velmora.Utility.DeleteHTMLAttachment",
                [&] { routing::xml_files::Delete(sFileName); });
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
