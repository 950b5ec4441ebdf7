#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Velmora.Template: the template record of a document type (XMLTEMPLATE): an empty XML document,
// given inline or as a URL, for the portal's entry form, and the URL of the style sheet that
// shows documents of the type. At most one record per type is created here. Stateless; every
// call opens and closes its own connection. Failures are reported as "Velmora.Template.<name>"
// and raised.
class Template {
 public:
  // The template's URL (`oIsURL` true) when one is stored, else the inline template, else "";
  // `oIsURL` is false unless a URL is returned, also when the call fails.
  std::string GetXmlTemplateDocument(const std::string& iDocTypeID, bool& oIsURL);
  // XSLURL of the type, or "" (no row, null or empty).
  std::string getXslUrl(const std::string& iDocTypeID);
  // Stores the type's record: updates the existing one, else adds it. Returns its ID.
  int32_t InsertTemplate(const std::string& iDocTypeID, const std::string& iXmlTemplateURL,
                         const std::string& iXmlTemplate, const std::string& iXslURL);
  // Rewrites the four columns of record `iTemplateID`; an unknown ID changes nothing.
  void UpdateTemplate(int32_t iTemplateID, const std::string& iDocTypeID,
                      const std::string& iXmlTemplateURL, const std::string& iXmlTemplate,
                      const std::string& iXslURL);
  void DeleteTemplate(int32_t iTemplateID);
  // The record ID of the type, or 0.
  int32_t GetTemplateID(const std::string& iDocTypeID);
  bool checkTemplateByDocumentTypeID(const std::string& iDocTypeID);
  // True when the type has a record; fills the outputs whose column is not null (a null
  // template gives "").
  bool getTemplateProperties(const std::string& iDocTypeID, int32_t& oTemplateID,
                             std::string& oXslURL, std::string& oXmlTemplateURL,
                             std::string& oXmlTemplate);
};

}  // namespace velmora
