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

void RaiseEngineError(int32_t number, std::string source, std::string description,
                      std::string detail) {
  Error error(number, std::move(source), std::move(description));
  error.set_detail(std::move(detail));
  throw error;
}

void RaiseWithStatement(std::string_view sql) {
  try {
    throw;
  } catch (Error& error) {
    if (!error.detail().empty()) {
      error.set_detail(error.detail() + "; statement: " + std::string(sql));
    }
    throw;
  }
}

}  // namespace velmora::db
