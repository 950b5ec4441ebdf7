#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace velmora {

// The one exception type of the library: a raised error with its number, source and
// description, as callers (pages, jobs, other classes) see it. Numbers of recognised
// failures come from EnumerationErrors; the runtime's own failures (type mismatch, overflow)
// keep their small numbers. Value type; safe to copy between threads.
class Error : public std::exception {
 public:
  Error() = default;
  Error(int32_t number, std::string source, std::string description, std::string help_file = {},
        int32_t help_context = 0);

  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }
  const std::string& help_file() const { return help_file_; }
  int32_t help_context() const { return help_context_; }
  const std::string& detail() const { return detail_; }

  void set_detail(std::string detail) { detail_ = std::move(detail); }
  // The same error (number, source, help, detail) with another description.
  Error WithDescription(std::string description) const;

  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_ = 0;
  std::string source_;
  std::string description_;
  std::string help_file_;
  int32_t help_context_ = 0;
  std::string detail_;
};

// Numbers of the runtime's own failures, raised by conversions and the automation layer.
inline constexpr int32_t kErrInvalidProcedureCall = 5;
inline constexpr int32_t kErrOverflow = 6;
inline constexpr int32_t kErrOutOfMemory = 7;
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrFileAlreadyExists = 58;
inline constexpr int32_t kErrPermissionDenied = 70;
inline constexpr int32_t kErrPathNotFound = 76;
inline constexpr int32_t kErrInvalidUseOfNull = 94;
inline constexpr int32_t kErrObjectRequired = 424;
inline constexpr int32_t kErrCannotCreateObject = 429;
inline constexpr int32_t kErrUnknownMethod = 438;
inline constexpr int32_t kErrWrongArgumentCount = 450;
inline constexpr int32_t kErrKeyAlreadyExists = 457;
// A failure that is not an Error (a C++ exception from a bug or from memory exhaustion)
// becomes an Error with this number so that the chain of method paths is kept.
inline constexpr int32_t kErrUnexpected = 51;

// Turns whatever is in flight into an Error: an Error as it is, a std::exception with
// kErrUnexpected and its message. REQUIRES: called from inside a catch block.
Error CurrentError();

// "The current error" of a step that runs with errors trapped: empty when the step succeeded.
// The step's catch stores the error; the code after the step looks at it, as a script
// would look at its error object after a statement run with errors resumed.
class PendingError {
 public:
  // Captures the exception in flight. REQUIRES: called from inside a catch block.
  void Capture() { error_ = CurrentError(); }
  void Set(Error error) { error_ = std::move(error); }
  void Clear() { error_.reset(); }

  bool IsSet() const { return error_.has_value() && error_->number() != 0; }
  int32_t number() const { return error_ ? error_->number() : 0; }
  // The stored error, or an Error with number 0 and empty texts.
  const Error& error() const;

  // StoreErr/RestoreErr: keep the error across a clean-up step that may clear it.
  PendingError Store() const { return *this; }
  void Restore(const PendingError& saved) { error_ = saved.error_; }

  // Raises the stored error. REQUIRES: IsSet().
  [[noreturn]] void Raise() const { throw *error_; }

 private:
  std::optional<Error> error_;
};

}  // namespace velmora
