#include "velmora/boxes/sql_queries.h"

#include <algorithm>
#include <string>

#include "boxes/doc_list_query.h"
#include "core/general.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

// Refuses a count of elements 1 ... count that `array` does not hold, before anything is built
// for them.
void CheckCount(const VariantArray& array, int32_t count, const std::string& what,
                boxes::ErrorList& errors) {
  const int32_t last = array.dimensions() == 1 ? array.UBound() : -1;
  if (count <= 0 || count <= last) {
    return;
  }
  errors[0] =
      "The number of " + what + " (" + std::to_string(count) + ") is more than the array holds.";
  errors[1] = "Elements 1 ... " + std::to_string(std::max(last, 0)) + " can be used.";
  RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.SQLQueries.GetDocListQuery", errors[0]);
}

}  // namespace

void SQLQueries::GetDocListQuery(int32_t i_lSenderMode, const std::string& i_sDocTypeID,
                                 const VariantArray& i_alTagIDs,
                                 const VariantArray& /*i_asTagDescriptions*/, int32_t i_lNrOfTags,
                                 const VariantArray& i_asFilterNames,
                                 const VariantArray& i_asFilterValues, int32_t i_lNrOfFilters,
                                 int32_t& i_lParentDocID, const std::string& i_sUser,
                                 Variant& o_sQuery, Variant& o_sErrors) {
  boxes::ErrorList errors;
  try {
    // InitializeVars: an unknown mode lists the out box.
    boxes::DocListRequest request;
    request.mode = (i_lSenderMode == boxes::kInBox || i_lSenderMode == boxes::kErrorBox)
                       ? i_lSenderMode
                       : boxes::kOutBox;
    CheckCount(i_alTagIDs, i_lNrOfTags, "tags", errors);
    CheckCount(i_asFilterNames, i_lNrOfFilters, "filters", errors);
    CheckCount(i_asFilterValues, i_lNrOfFilters, "filter values", errors);
    request.doc_type = i_sDocTypeID;
    request.tag_ids = &i_alTagIDs;
    request.tag_count = i_lNrOfTags;
    request.filter_names = &i_asFilterNames;
    request.filter_values = &i_asFilterValues;
    request.filter_count = i_lNrOfFilters;
    request.parent = i_lParentDocID;
    request.user = i_sUser;
    o_sQuery = Variant(std::string());
    o_sErrors = Variant(std::string());
    switch (request.mode) {
      case boxes::kInBox:
        o_sQuery = Variant(boxes::GetDocListQueryForInBox(request, errors));
        break;
      case boxes::kErrorBox:
        o_sQuery = Variant(boxes::GetDocListQueryForErrorBox(request, errors));
        break;
      default:
        o_sQuery = Variant(boxes::GetDocListQueryForOutBox(request, errors));
        break;
    }
  } catch (...) {
    const Error error = CurrentError();
    if (!text::Trim(error.description()).empty() && errors[0].empty()) {
      errors[0] = error.description();
    }
    o_sErrors = Variant(errors[0] + "|" + errors[1] + "|" + errors[2]);
    core::ReportError("Velmora.SQLQueries.GetDocListQuery");
  }
}

}  // namespace velmora
