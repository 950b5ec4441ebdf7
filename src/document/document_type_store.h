#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The document types (DOCUMENTTYPE) and the style sheets that turn one type into another
// (DOCTYPETODOCTYPE). Each operation opens its own connection of the installation and closes
// it on every path; database failures raise. The callers check texts and references.
namespace velmora::document {

// A row of DOCUMENTTYPE; "" stands for Null in the optional texts.
struct DocumentTypeRecord {
  std::string id;
  std::string description;
  std::string ext_description;
  std::string icon_file;
  std::string html_xsl;
  bool show_accept_reject = false;
};

// A row of DOCTYPETODOCTYPE; Null columns are nullopt.
struct DocumentTypeConversion {
  int32_t id = 0;
  std::optional<std::string> doctype;
  std::optional<std::string> new_doctype;
  std::optional<std::string> xsl;
};

class DocumentTypeStore {
 public:
  bool Exists(const std::string& id);
  // Adds `type`; a taken id raises the database's error.
  void Add(const DocumentTypeRecord& type);
  // Every document type by id.
  std::vector<DocumentTypeRecord> List();
  // Whether a row was removed.
  bool Remove(const std::string& id);

  // The conversions, by document type and the type it becomes.
  std::vector<DocumentTypeConversion> Conversions();
  bool ConversionExists(const std::string& doctype, const std::string& new_doctype);
  // Adds the conversion of `doctype` into `new_doctype` by style sheet `xsl`; returns its id.
  int32_t AddConversion(const std::string& doctype, const std::string& new_doctype,
                        const std::string& xsl);
  // Whether a conversion was removed.
  bool RemoveConversion(const std::string& doctype, const std::string& new_doctype);
};

}  // namespace velmora::document
