#pragma once

#include <cstdint>
#include <string>

#include "core/publication_errors.h"
#include "velmora/delivery/send_method.h"

// The records a push writes: publication errors with their replacements and history rows.
namespace velmora::delivery {

// The replacements of a failed send method: "[%DOCID%]", "[%LABEL%]" (format label),
// "[%LABEL1%]" (protocol label), "[%ADDRESS%]" (the address, its password hidden) and
// "[%BUSINESSPARTNER%]" (the partner's name; its id when the register does not know it).
core::XmlDocumentRef SendMethodReplacements(int32_t doc_id, const TSendMethodProperties& record,
                                            int32_t partner);
// The same without a send method: the labels and the address "".
core::XmlDocumentRef PartnerReplacements(int32_t doc_id, int32_t partner);

// A SENDMETHODHISTORY row: SENT with publication error 0, or NOTSENT with the error's id.
void AddSentHistory(int32_t send_method, int32_t partner, int32_t rule, int32_t doc_id,
                    const std::string& doc_type);
void AddNotSentHistory(int32_t send_method, int32_t partner, int32_t rule, int32_t doc_id,
                       const std::string& doc_type, int32_t publication_error);

// Records the error in flight as a publication error of the document without replacements
// (its number and description, `source`, label code "ZODAR0875"). When even that fails, the
// failure to record is logged and the result is false. Never raises. REQUIRES: called inside a
// catch block.
bool RecordRunFailure(int32_t doc_id, const std::string& source);

}  // namespace velmora::delivery
