#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "velmora/base/variant.h"

// The queries behind Velmora.BoxList. A page is read in two steps: the keys of the page's
// documents in list order (a keyset query on CREATIONDATE and DOCUMENTID that the indexes of
// the type and sender serve), then the rows of those documents with the columns of the list
// text. Both engines run the same texts.
namespace velmora::boxes {

// A list request, read and checked.
struct BoxListRequest {
  int32_t mode = 0;
  std::string doc_type;
  std::string user;
  // Error box: the viewer's business partner.
  int32_t partner = 0;
  // Read the viewer's own rows first (inbox: the viewer's publications; error box: the history
  // rows of the viewer's partner) and sort their documents, instead of walking the type's
  // documents newest first; for viewers with few such rows.
  bool from_viewer_rows = false;
  // The tag columns T1 ... Tn.
  std::vector<int32_t> tag_ids;
  // " AND ( ... )" conditions on the listed document's own row: DOCUMENT, the viewer's
  // PUBLICATION row (inbox) and the tag values.
  std::string conditions;
  // Out box: conditions on PUBLICATION, which one publication of the document must meet.
  std::string publication_conditions;
  // The tags (1-based) whose values the conditions read.
  std::set<size_t> filtered_tags;
};

// Reads the arguments of a list as GetDocListQuery reads them (top-level lists), refusing with
// InvalidParamValue what the text would refuse, counts larger than their arrays, and filters
// the text would ignore or that name a column the list does not have. `source` is the method
// path of the refusal.
BoxListRequest ReadBoxListRequest(int32_t mode, const std::string& doc_type,
                                  const VariantArray& tag_ids, int32_t tag_count,
                                  const VariantArray& filter_names,
                                  const VariantArray& filter_values, int32_t filter_count,
                                  const std::string& user, const std::string& source);

// Where a page starts: after the document with this creation date (nullopt: no date) and id.
struct BoxListKey {
  std::optional<std::string> created;
  int32_t id = 0;
};

// The keys (DOCUMENTID, and CREATIONDATE as text in column K) of at most `limit` documents after
// `after`, in list order, among the documents with a creation date (`dated`) or without one.
// The creation date of `after` is the query's one "?" parameter when `dated` and `after` has a
// date.
std::string KeysQuery(const BoxListRequest& request, bool dated,
                      const std::optional<BoxListKey>& after, int32_t limit);

// A viewer with fewer rows of its own than this has them read first (from_viewer_rows).
inline constexpr int32_t kFewViewerRows = 1000;

// One row, column N: the number of the viewer's own rows, counted up to kFewViewerRows.
std::string ViewerRowsQuery(const BoxListRequest& request);

// One row, column N, with the number of documents of the whole list.
std::string CountQuery(const BoxListRequest& request);

// The rows of the documents `ids` with the columns of the list text, in list order.
std::string RowsQuery(const BoxListRequest& request, const std::vector<int32_t>& ids);

// The opaque text of a key, and back. Reading raises InvalidParamValue from `source` for a text
// that WriteCursor did not write.
std::string WriteCursor(const BoxListKey& key);
BoxListKey ReadCursor(const std::string& cursor, const std::string& source);

}  // namespace velmora::boxes
