#pragma once

#include <gtest/gtest.h>

#include <string>

#include "velmora/base/error.h"

// Checks that many tests share.
namespace velmora::testing {

// The Error that `call` raises; fails the test (and returns an empty Error) when it raises none.
template <class Call>
Error RaisedBy(Call&& call) {
  try {
    call();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "no Error was raised";
  return Error();
}

// Whether `text` holds `part`.
inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace velmora::testing
