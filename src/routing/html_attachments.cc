#include "routing/html_attachments.h"

#include "core/db_utils.h"
#include "core/sql_literals.h"
#include "core/url_encode.h"
#include "routing/style_sheets.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"

namespace velmora::routing::html_attachments {
namespace {

bool ContainsXslExtension(const std::string& name) {
  return text::ToUpper(name).find(".XSL") != std::string::npos;
}

}  // namespace

std::string Write(const std::string& doc_id, const Variant& type, const Variant& xml) {
  const int32_t document = Variant(doc_id).ToInt32();
  const auto rows = core::getDisconnectedReadOnlyRecordSet(
      "SELECT XMLBODY, HTMLATTACHMENTXSL FROM DOCUMENT AS DOC, DOCUMENTTYPE AS DOCTYPE WHERE "
      "DOC.DOCUMENTID = " +
      core::SqlLong(document) + " AND " + "DOC.DOCUMENTTYPEID = DOCTYPE.DOCUMENTTYPEID");
  if (rows->IsEOF()) {
    return std::string();
  }
  const bool given =
      !type.IsEmpty() && !type.IsNull() && !xml.IsEmpty() && !xml.IsNull() && !xml.ToText().empty();
  const std::string xml_text = given ? xml.ToText() : rows->Field("XMLBODY").ToText();
  const Variant style_sheet = rows->Field("HTMLATTACHMENTXSL");
  const std::string name = style_sheet.IsNull() ? std::string() : style_sheet.ToText();
  if (!ContainsXslExtension(name) || text::Trim(name).empty()) {
    return std::string();
  }
  std::string file_name = doc_id + ".html";
  const std::string html =
      style_sheets::Transform(xml_text, style_sheets::HtmlFolder() + text::Trim(name),
                              "Velmora.Utility.transformXMLStringToHTML");
  return xml_files::Write(html, file_name, true);
}

std::string WriteStored(int32_t doc_id) {
  return Write(std::to_string(doc_id), Variant(), Variant());
}

std::string PagePath() {
  std::string link = core::GetParameter("SiteLink");
  if (link.empty() || link.back() != '/') {
    link += '/';
  }
  return link;
}

std::string VelmoraPath() {
  std::string path = core::GetParameter("SiteLinkStartingPoint");
  if (!path.empty() && (path.back() == '/' || path.back() == '\\')) {
    path.pop_back();
  }
  return path;
}

std::string DocumentLink(int32_t doc_id, const std::string& type, int32_t sender_mode) {
  return PagePath() + VelmoraPath() + "?DocID=" + std::to_string(doc_id) +
         "&DocTypeID=" + core::URLEncode(text::Trim(type)) +
         "&SenderMode=" + std::to_string(sender_mode);
}

}  // namespace velmora::routing::html_attachments
