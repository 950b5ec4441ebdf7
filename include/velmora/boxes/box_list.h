#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/db/recordset.h"

namespace velmora {

// Velmora.BoxList: the top-level inbox, out box and error box of a user, read a page at a time.
// A page holds the rows that SQLQueries.GetDocListQuery gives for the same arguments, with the
// same columns and values (tag columns T1 ... Tn included), newest first: by CREATIONDATE
// descending, then DOCUMENTID descending, documents without a creation date last. Stateless;
// every call opens and closes its own connection.
//
// Arguments as GetDocListQuery reads them: `i_lSenderMode` 0 out box, 1 inbox, 2 error box (any
// other value the out box); elements 1 ... `i_lNrOfTags` of `i_alTagIDs` become the tag
// columns; elements 1 ... `i_lNrOfFilters` of `i_asFilterNames` and `i_asFilterValues` narrow
// the list. A filter is accepted when GetDocListQuery turns it into a condition (a LIKE filter,
// a document id filter, a status filter of the out box or the inbox) on a column of DOCUMENT,
// of PUBLICATION (inbox and out box) or TAGVALUE of a listed tag (T1 ... Tn); a filter the text
// would refuse, ignore or fail on, a count larger than its array and a tag id that is not a
// whole number raise InvalidParamValue with a description that says what is wrong.
class BoxList {
 public:
  // One page of at most `i_lLimit` rows (1 ... 1,000) after the row that cursor `i_sAfter`
  // names ("" for the first page), as a disconnected read-only recordset. `o_sNext` receives the
  // cursor of the next page, or "" when this page is the last. A cursor is an opaque text that
  // stays valid while documents are added; a cursor that this class did not write or a limit
  // out of range raise InvalidParamValue. Reported as "Velmora.BoxList.List".
  std::shared_ptr<db::Recordset> List(int32_t i_lSenderMode, const std::string& i_sDocTypeID,
                                      const VariantArray& i_alTagIDs, int32_t i_lNrOfTags,
                                      const VariantArray& i_asFilterNames,
                                      const VariantArray& i_asFilterValues, int32_t i_lNrOfFilters,
                                      const std::string& i_sUser, Variant& o_sNext,
                                      int32_t i_lLimit = 50, const std::string& i_sAfter = "");

  // The number of rows of the whole list. Reported as "Velmora.BoxList.Count".
  // The tags matter only to filters on their values.
  int32_t Count(int32_t i_lSenderMode, const std::string& i_sDocTypeID,
                const VariantArray& i_alTagIDs, int32_t i_lNrOfTags,
                const VariantArray& i_asFilterNames, const VariantArray& i_asFilterValues,
                int32_t i_lNrOfFilters, const std::string& i_sUser);
};

}  // namespace velmora
