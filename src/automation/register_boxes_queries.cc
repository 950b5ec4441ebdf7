#include "automation/registration.h"
#include "velmora/boxes/queries.h"
#include "velmora/boxes/sql_queries.h"

namespace velmora::automation {

// The list queries of the document boxes: Velmora.SQLQueries and Velmora.Queries.
void RegisterQueryClasses(ClassRegistry& registry) {
  registry.Add("Velmora.SQLQueries")
      .Bind("GetDocListQuery", &SQLQueries::GetDocListQuery,
            {"i_lSenderMode", "i_sDocTypeID", "i_alTagIDs", "i_asTagDescriptions", "i_lNrOfTags",
             "i_asFilterNames", "i_asFilterValues", "i_lNrOfFilters", "i_lParentDocID", "i_sUser",
             "o_sQuery", "o_sErrors"});
  registry.Add("Velmora.Queries")
      .Bind("CheckDocTypeReferences", &Queries::CheckDocTypeReferences,
            {"iDocTypeID", Opt("iLanguageID", Variant(int32_t{1033}))});
}

}  // namespace velmora::automation
