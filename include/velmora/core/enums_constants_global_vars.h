#pragma once

#include "velmora/base/enumeration_errors.h"

namespace velmora {

// Velmora.EnumsConstantsGlobalVars: carries the public enumerations for script callers
// (EnumerationErrors, SENDERMODE and the enumerations of the other classes). No operations.
class EnumsConstantsGlobalVars {};

}  // namespace velmora
