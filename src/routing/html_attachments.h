#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"

// The HTML rendering of a document attached to its mails, and the links of document mails.
// Failures raise, unreported.
namespace velmora::routing::html_attachments {

// The document `doc_id` rendered with its type's HTML style sheet (a name holding ".xsl") and
// written as <id>.html (UTF-16) into the temporary folder: its full path, or "" when the
// document or the style sheet is not there. `xml` is rendered instead of the stored body when
// both it and `type` are given and it is not empty.
std::string Write(const std::string& doc_id, const Variant& type, const Variant& xml);

// Write of the stored body of document `doc_id`.
std::string WriteStored(int32_t doc_id);

// Parameter "SiteLink" with one "/" added when it does not end with one.
std::string PagePath();

// Parameter "SiteLinkStartingPoint" without one final "/" or "\".
std::string VelmoraPath();

// PagePath() + VelmoraPath() + "?DocID=" + id + "&DocTypeID=" + URL-encoded trimmed type +
// "&SenderMode=" + mode.
std::string DocumentLink(int32_t doc_id, const std::string& type, int32_t sender_mode);

}  // namespace velmora::routing::html_attachments
