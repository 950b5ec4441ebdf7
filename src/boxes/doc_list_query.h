#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "velmora/base/variant.h"

// The pieces of SQLQueries.GetDocListQuery: one builder per list, the tag columns and joins,
// and the filter. Each reports its failures as "Velmora.SQLQueries.<operation>" and raises
// them again.
namespace velmora::boxes {

// The messages of a refused request: [0] the main message, [1] a hint on the allowed values,
// [2] a note on wildcards. Filled before the refusal is raised.
using ErrorList = std::array<std::string, 3>;

// List modes (the SENDERMODE values the lists use).
inline constexpr int32_t kOutBox = 0;
inline constexpr int32_t kInBox = 1;
inline constexpr int32_t kErrorBox = 2;

// One list request. The arrays are the caller's; elements 1 ... count are read.
struct DocListRequest {
  int32_t mode = kOutBox;
  std::string doc_type;
  const VariantArray* tag_ids = nullptr;
  int32_t tag_count = 0;
  const VariantArray* filter_names = nullptr;
  const VariantArray* filter_values = nullptr;
  int32_t filter_count = 0;
  int32_t parent = 0;
  std::string user;
};

std::string GetDocListQueryForInBox(const DocListRequest& request, ErrorList& errors);
std::string GetDocListQueryForOutBox(const DocListRequest& request, ErrorList& errors);
std::string GetDocListQueryForErrorBox(const DocListRequest& request, ErrorList& errors);

// ", T1.TAGVALUE AS T1" ... for `count` tags.
std::string AddTagConfigFieldsToSelectClause(int32_t count);
// One LEFT OUTER JOIN on TAGSVALUE per tag; a tag id that is not a whole 32-bit number is
// refused with InvalidParamValue.
std::string AddTagConfigFieldsToFromClause(const VariantArray& tag_ids, int32_t count,
                                           ErrorList& errors);

// The " AND ( ... )" conditions of the filters for list `mode`.
std::string GetQueryFilter(int32_t mode, const VariantArray& names, const VariantArray& values,
                           int32_t count, ErrorList& errors);

}  // namespace velmora::boxes
