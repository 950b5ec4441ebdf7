#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/db/connection.h"
#include "velmora/xml/document.h"

// Resolving a document's recipients into PUBLICATION rows, and the look-ups on a parsed
// document that processing needs before it (document type, default receiver). Failures raise
// unreported: the caller's own method reports them (Utility under its published paths).
namespace velmora::recipients {

// The document type of `document`: the OBI envelope's type; else its DOCTYPE-ID when
// DOCUMENTTYPE has it; else the answer of the document type rules for `partner` when
// DOCUMENTTYPE has it; else "".
std::string DocumentTypeOf(const std::shared_ptr<xml::Document>& document, int32_t partner);

// The RECEIVER of a document that names a REQUISITIONER; "" otherwise.
std::string DefaultReceiverOf(const xml::Document& document);

// Inserts a PUBLICATION row for `doc_id` for every DISTRIBUTIONLIST user of `type` that has
// none yet, narrowed to partner `partner` (unless 0) and to `user` (unless ""). Returns the
// number of rows inserted.
int32_t FillFromDistributionList(db::Connection& connection, int32_t doc_id,
                                 const std::string& type, int32_t partner, const std::string& user);
// The same on a connection of its own.
int32_t FillFromDistributionList(int32_t doc_id, const std::string& type, int32_t partner,
                                 const std::string& user);

// Resolves every non-empty value `query` selects in `document` (RECEIVER as a user,
// BUSINESSPARTNER as a partner id, BUS-PART-C / BUS-PART-S as partner codes) into PUBLICATION
// rows, writes a publication error for each value that leads to nobody, blanks the values and
// stores the document when any was found. True when any value gave a recipient; raises
// kErrObjectRequired for an invalid query.
bool ResolveRoutingElement(int32_t doc_id, const std::string& type, xml::Document& document,
                           const std::string& query);

// Blanks the nodes `query` selects and stores the document when there were any.
void ClearAndStore(int32_t doc_id, xml::Document& document, const std::string& query);

// Blanks USESDISTLIST, RECEIVER, BUSINESSPARTNER, BUS-PART-C and BUS-PART-S, in this order.
void RemoveRoutingElements(int32_t doc_id, xml::Document& document);

// The recipients of document `doc_id` from `xml` (read from the record when "") and `type`
// (the record's when ""): the whole distribution list for a USESDISTLIST of "1" or "true"
// (the routing elements are then blanked), the OBI receiver, else the routing elements.
// 1 when any recipient was found, 0 otherwise and for a document without id, type or text.
int32_t ResolveRecipients(int32_t doc_id, const std::string& type, const std::string& xml);

}  // namespace velmora::recipients
