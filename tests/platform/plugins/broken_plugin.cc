// A plug-in library that fails in every way a plug-in can, for the host's failure paths.
#include <stdexcept>
#include <string>

#include "velmora/plugin/method_call.h"

namespace {

using velmora::plugin::Failure;
using velmora::plugin::Value;

// Fails in its constructor with a number of its own.
class RefusesToStart : public velmora::plugin::Component {
 public:
  RefusesToStart() { throw Failure(1234, "no licence for this server"); }
};

// Implements no interface; answers the late-bound members by name, and fails in its methods.
class LateBoundOnly : public velmora::plugin::Component {
 public:
  LateBoundOnly() {
    AddMethod("IMethodCall_MethodCall", [](Value& argument) {
      argument = Value("seen: " + argument.text());
      return Value(true);
    });
    AddMethod("Raise", [](Value&) -> Value { throw Failure(5555, "bad document"); });
    AddMethod("Crash", [](Value&) -> Value { throw std::runtime_error("out of paper"); });
    AddMethod("Answer", [](Value& argument) { return argument; });
  }
};

// Implements IMethodCall and fails in MethodCall.
class FailingMethodCall : public velmora::plugin::Component, public velmora::plugin::IMethodCall {
 public:
  bool MethodCall(Value&) override { throw Failure(4321, "cannot take this document"); }
  bool GetExcelWorkBook(velmora::plugin::WorkBook*&) override { return false; }
};

}  // namespace

VELMORA_PLUGIN_ABI()
VELMORA_PLUGIN_FACTORY(broken_refuses_to_start, RefusesToStart)
VELMORA_PLUGIN_FACTORY(broken_late_bound_only, LateBoundOnly)
VELMORA_PLUGIN_FACTORY(broken_failing_method_call, FailingMethodCall)

// Hand-written factories that break the rules of the boundary.
extern "C" __attribute__((visibility("default"))) velmora::plugin::Component* broken_throws(
    velmora::plugin::Status*) {
  throw std::runtime_error("escaped");
}

extern "C" __attribute__((visibility("default"))) velmora::plugin::Component* broken_makes_nothing(
    velmora::plugin::Status*) {
  return nullptr;
}
