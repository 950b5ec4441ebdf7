#include "platform/db/errors.h"

#include <utility>

#include "velmora/base/error.h"

namespace velmora::db {

void RaiseDbError(int32_t number, std::string source, std::string description) {
  throw Error(number, std::move(source), std::move(description));
}

void RaiseDbError(int32_t number, std::string description) {
  throw Error(number, kDbErrorSource, std::move(description));
}

}  // namespace velmora::db
