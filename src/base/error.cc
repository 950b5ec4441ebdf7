#include "velmora/base/error.h"

#include <new>
#include <utility>

namespace velmora {

Error::Error(int32_t number, std::string source, std::string description, std::string help_file,
             int32_t help_context)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      help_file_(std::move(help_file)),
      help_context_(help_context) {}

Error Error::WithDescription(std::string description) const {
  Error copy = *this;
  copy.description_ = std::move(description);
  return copy;
}

Error CurrentError() {
  try {
    throw;
  } catch (const Error& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return Error(kErrOutOfMemory, "Velmora", "Out of memory");
  } catch (const std::exception& failure) {
    return Error(kErrUnexpected, "Velmora", std::string("Unexpected failure: ") + failure.what());
  } catch (...) {
    return Error(kErrUnexpected, "Velmora", "Unexpected failure");
  }
}

const Error& PendingError::error() const {
  static const Error kNone;
  return error_ ? *error_ : kNone;
}

}  // namespace velmora
