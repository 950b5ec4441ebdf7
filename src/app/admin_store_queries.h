#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The checks that the admin commands share: the document type, user and partner they name are
// present, and texts keep within their width. Each check opens and closes its own connection
// of the installation.
namespace velmora::app {

// Exit 1 with a clear message (Missing) when the document type, user or partner is not there.
void RequireDocumentType(const std::string& id);
// The business partner of user `user_id`.
int32_t PartnerOfUser(const std::string& user_id);
// The partner id written in `text`, which must name a registered partner.
int32_t RequirePartner(const std::string& text);
// Refuses (BadInput) an empty text or one longer than `max_chars` bytes.
void RequireText(const std::string& what, const std::string& value, size_t max_chars);

}  // namespace velmora::app
