#include "rules/rule_store.h"

#include "core/bound_sql.h"

namespace velmora::rules {

bool RuleExists(int32_t id, RuleType type) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::AnyRow(connection,
                        "SELECT RULEID FROM RULEHEADER WHERE RULEID = ? AND RULETYPE = ?",
                        {Variant(id), Variant(static_cast<int32_t>(type))});
  });
}

}  // namespace velmora::rules
