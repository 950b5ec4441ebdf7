#pragma once

#include <cstdint>
#include <string>

#include "velmora/routing/publication_status.h"

// Look-ups on the publication table and the publication errors. Failures of the database
// raise, unreported.
namespace velmora::recipients {

// The status named by the trimmed `text` ("New", "Accepted", "Accept", "Rejected", "Viewed",
// "Downloaded", ... in the spellings listed with the definition); PUBLICATIONUNKNOWNSTATUS for
// anything else.
PUBLICATIONSTATUS StatusNamed(const std::string& text);

// True when document `doc_id` has a publication error with CLOSED 0.
bool HasOpenPublicationErrors(int32_t doc_id);

}  // namespace velmora::recipients
