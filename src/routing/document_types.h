#pragma once

#include <optional>
#include <string>

// Look-ups on the document types of table DOCUMENTTYPE. Failures of the database raise,
// unreported.
namespace velmora::routing::document_types {

// Whether DOCUMENTTYPE has `type`.
bool Exists(const std::string& type);

// The DESCRIPTION of `type`; "" when the type is absent or has none.
std::string Description(const std::string& type);

// HTMLATTACHMENTXSL of `type` as stored; nullopt when the type is absent or the field NULL.
std::optional<std::string> HtmlAttachmentXsl(const std::string& type);

}  // namespace velmora::routing::document_types
