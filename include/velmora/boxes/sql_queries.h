#pragma once

#include <cstdint>
#include <string>

#include "velmora/base/variant.h"

namespace velmora {

// Velmora.SQLQueries: the SQL text of the three document lists a user sees (inbox, out box,
// error box), for the pages to run and sort. Builds text only; it reads the directory for the
// viewer's business partner (error box) and the label table for messages, and nothing else.
// Stateless.
//
// The pages name the filters: a filter name is a qualified column followed by one comparison
// operator or LIKE ("DOCUMENT.DOCUMENTID =", "DOCUMENT.SENDER LIKE"); anything else is refused.
// Tag ids must be whole numbers. Values reach the SQL only as literals.
class SQLQueries {
 public:
  // Builds the list of `i_lSenderMode` (0 out box, 1 inbox, 2 error box; any other value the out
  // box) for document type `i_sDocTypeID` and viewer `i_sUser` into `o_sQuery`. Elements
  // 1 ... `i_lNrOfTags` of `i_alTagIDs` become the columns T1 ... Tn (top-level lists only;
  // `i_asTagDescriptions` is not read); elements 1 ... `i_lNrOfFilters` of `i_asFilterNames` and
  // `i_asFilterValues` narrow the list. `i_lParentDocID` 0 lists top-level documents, another id
  // that document's children. `o_sErrors` is "" or three messages joined by "|" (main message,
  // allowed values, wildcard note). A rejected filter value, a refused filter name or tag id
  // raise InvalidParamValue with the main message as description, after filling `o_sErrors`;
  // any failure is reported as "Velmora.SQLQueries.GetDocListQuery".
  void GetDocListQuery(int32_t i_lSenderMode, const std::string& i_sDocTypeID,
                       const VariantArray& i_alTagIDs, const VariantArray& i_asTagDescriptions,
                       int32_t i_lNrOfTags, const VariantArray& i_asFilterNames,
                       const VariantArray& i_asFilterValues, int32_t i_lNrOfFilters,
                       int32_t& i_lParentDocID, const std::string& i_sUser, Variant& o_sQuery,
                       Variant& o_sErrors);
};

}  // namespace velmora
