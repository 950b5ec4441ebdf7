#include "automation/registration.h"
#include "velmora/boxes/box_list.h"

namespace velmora::automation {

// Velmora.BoxList: the paged document lists of the boxes.
void RegisterBoxListClasses(ClassRegistry& registry) {
  registry.Add("Velmora.BoxList")
      .Bind("List", &BoxList::List,
            {"i_lSenderMode", "i_sDocTypeID", "i_alTagIDs", "i_lNrOfTags", "i_asFilterNames",
             "i_asFilterValues", "i_lNrOfFilters", "i_sUser", "o_sNext",
             Opt("i_lLimit", Variant(int32_t{50})), Opt("i_sAfter", Variant(std::string()))})
      .Bind("Count", &BoxList::Count,
            {"i_lSenderMode", "i_sDocTypeID", "i_alTagIDs", "i_lNrOfTags", "i_asFilterNames",
             "i_asFilterValues", "i_lNrOfFilters", "i_sUser"});
}

}  // namespace velmora::automation
