#pragma once

#include <cstdint>

#include "velmora/rules/rules.h"

// Look-ups of rule headers (RULEHEADER) for the maintenance, each on a connection of its own.
namespace velmora::rules {

// Whether rule `id` exists with type `type`.
bool RuleExists(int32_t id, RuleType type);

}  // namespace velmora::rules
