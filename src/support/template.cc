#include "velmora/support/template.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "velmora/base/dictionary.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;

db::RecordsetOptions Updatable() {
  return db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic};
}

bool Filled(const Variant& value) {
  return !value.IsNull() && !value.IsEmpty() && !value.ToText().empty();
}

// The information added to a failure of a read for `type`.
core::Info TypeInfo(const std::string& type) {
  Dictionary replacements;
  replacements.Add("[%DOCTYPE%]", Variant(type));
  return Variant(core::GetLabelForMessage("ZODAR4450", replacements));
}

void SetColumns(db::Recordset& rs, const std::string& type, const std::string& xml_url,
                const std::string& xml_template, const std::string& xsl_url) {
  rs.SetField("DOCUMENTTYPEID", Variant(type));
  rs.SetField("XMLTEMPLATEURL", Variant(xml_url));
  rs.SetField("XMLTEMPLATE", Variant(xml_template));
  rs.SetField("XSLURL", Variant(xsl_url));
}

}  // namespace

std::string Template::GetXmlTemplateDocument(const std::string& iDocTypeID, bool& oIsURL) {
  oIsURL = false;
  try {
    auto connection = core::GetConnection();
    auto rs = connection->QueryDisconnected(
        "SELECT XMLTEMPLATEURL, XMLTEMPLATE FROM XMLTEMPLATE WHERE DOCUMENTTYPEID = " +
        SqlText(iDocTypeID) + " ");
    connection->Close();
    std::string result;
    if (!rs->IsEOF()) {
      const Variant url = rs->Field("XMLTEMPLATEURL");
      const Variant inline_template = rs->Field("XMLTEMPLATE");
      if (Filled(url)) {
        result = url.ToText();
        oIsURL = true;
      } else if (Filled(inline_template)) {
        result = inline_template.ToText();
      }
    }
    rs->Close();
    return result;
  } catch (...) {
    oIsURL = false;
    core::ReportError("Velmora.Template.GetXmlTemplateDocument");
  }
  return "";
}

std::string Template::getXslUrl(const std::string& iDocTypeID) {
  return core::Guarded(
      "Velmora.Template.getXslUrl",
      [&]() -> std::string {
        auto connection = core::GetConnection();
        auto rs = connection->Query(
            "SELECT XSLURL FROM XMLTEMPLATE WHERE DOCUMENTTYPEID = " + SqlText(iDocTypeID) + " ");
        std::string url;
        if (!rs->IsEOF() && Filled(rs->Field("XSLURL"))) {
          url = rs->Field("XSLURL").ToText();
        }
        rs->Close();
        connection->Close();
        return url;
      },
      [&] { return TypeInfo(iDocTypeID); });
}

int32_t Template::GetTemplateID(const std::string& iDocTypeID) {
  return core::Guarded("Velmora.Template.GetTemplateID", [&]() -> int32_t {
    auto connection = core::GetConnection();
    auto rs = connection->Query("SELECT XMLTEMPLATEID FROM XMLTEMPLATE WHERE DOCUMENTTYPEID = " +
                                SqlText(iDocTypeID) + " ");
    const int32_t id = rs->IsEOF() ? 0 : rs->Field("XMLTEMPLATEID").ToInt32();
    rs->Close();
    connection->Close();
    return id;
  });
}

bool Template::checkTemplateByDocumentTypeID(const std::string& iDocTypeID) {
  return core::Guarded("Velmora.Template.checkTemplateByDocumentTypeID", [&]() -> bool {
    auto connection = core::GetConnection();
    auto rs = connection->Query("SELECT XMLTEMPLATEID FROM XMLTEMPLATE WHERE DOCUMENTTYPEID = " +
                                SqlText(iDocTypeID) + " ");
    const bool exists = !rs->IsEOF();
    rs->Close();
    connection->Close();
    return exists;
  });
}

bool Template::getTemplateProperties(const std::string& iDocTypeID, int32_t& oTemplateID,
                                     std::string& oXslURL, std::string& oXmlTemplateURL,
                                     std::string& oXmlTemplate) {
  return core::Guarded(
      "Velmora.Template.getTemplateProperties",
      [&]() -> bool {
        auto connection = core::GetConnection();
        auto rs = connection->Query(
            "SELECT XMLTEMPLATEID, XSLURL, XMLTEMPLATEURL, XMLTEMPLATE FROM XMLTEMPLATE WHERE "
            "DOCUMENTTYPEID = " +
            SqlText(iDocTypeID) + " ");
        const bool exists = !rs->IsEOF();
        if (exists) {
          const Variant id = rs->Field("XMLTEMPLATEID");
          const Variant xsl_url = rs->Field("XSLURL");
          const Variant xml_url = rs->Field("XMLTEMPLATEURL");
          const Variant xml_template = rs->Field("XMLTEMPLATE");
          if (!id.IsNull()) {
            oTemplateID = id.ToInt32();
          }
          if (!xsl_url.IsNull()) {
            oXslURL = xsl_url.ToText();
          }
          if (!xml_url.IsNull()) {
            oXmlTemplateURL = xml_url.ToText();
          }
          oXmlTemplate = xml_template.IsNull() ? std::string() : xml_template.ToText();
        }
        rs->Close();
        connection->Close();
        return exists;
      },
      [&] { return TypeInfo(iDocTypeID); });
}

int32_t Template::InsertTemplate(const std::string& iDocTypeID, const std::string& iXmlTemplateURL,
                                 const std::string& iXmlTemplate, const std::string& iXslURL) {
  return core::Guarded("Velmora.Template.InsertTemplate", [&]() -> int32_t {
    int32_t id = GetTemplateID(iDocTypeID);
    if (id != 0) {
      UpdateTemplate(id, iDocTypeID, iXmlTemplateURL, iXmlTemplate, iXslURL);
      return id;
    }
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset("SELECT * FROM XMLTEMPLATE WHERE 0 = 1", Updatable());
    rs->AddNew();
    SetColumns(*rs, iDocTypeID, iXmlTemplateURL, iXmlTemplate, iXslURL);
    rs->Update();
    id = rs->Field("XMLTEMPLATEID").ToInt32();
    rs->Close();
    connection->Close();
    return id;
  });
}

void Template::UpdateTemplate(int32_t iTemplateID, const std::string& iDocTypeID,
                              const std::string& iXmlTemplateURL, const std::string& iXmlTemplate,
                              const std::string& iXslURL) {
  core::Guarded("Velmora.Template.UpdateTemplate", [&] {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "Select * FROM XMLTEMPLATE WHERE XMLTEMPLATEID = " + SqlLong(iTemplateID), Updatable());
    if (!rs->IsEOF()) {
      SetColumns(*rs, iDocTypeID, iXmlTemplateURL, iXmlTemplate, iXslURL);
      rs->Update();
    }
    rs->Close();
    connection->Close();
  });
}

void Template::DeleteTemplate(int32_t iTemplateID) {
  core::Guarded("Velmora.Template.DeleteTemplate", [&] {
    auto connection = core::GetConnection();
    connection->Execute("DELETE FROM XMLTEMPLATE WHERE (XMLTEMPLATEID = " + SqlLong(iTemplateID) +
                        ")");
    connection->Close();
  });
}

}  // namespace velmora
