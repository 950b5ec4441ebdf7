#include "delivery/plugin_call.h"

#include <memory>
#include <utility>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "velmora/base/error.h"

namespace velmora::delivery {
namespace {

bool CallByName(const ObjectRef& component, const std::string& progid, const std::string& method,
                Variant& argument) {
  auto dispatch = std::dynamic_pointer_cast<core::Dispatch>(component);
  if (!dispatch) {
    throw Error(kErrUnknownMethod, progid,
                "Object doesn't support this property or method: " + method);
  }
  std::vector<Variant> args{argument};
  const Variant answer = dispatch->Invoke(method, args);
  argument = std::move(args[0]);
  return answer.ToBool();
}

}  // namespace

bool CallPluginTwoWay(const std::string& progid, const std::string& method,
                      const std::string& late_member, Variant& argument,
                      const std::function<bool(IMethodCall&)>& interface_call) {
  ObjectRef component;
  std::shared_ptr<IMethodCall> early;
  try {
    component = core::ComponentRegistry::Global().Create(progid);
    early = std::dynamic_pointer_cast<IMethodCall>(component);
  } catch (...) {
    early.reset();
  }
  if (early) {
    return method.empty() ? interface_call(*early)
                          : CallByName(component, progid, method, argument);
  }
  if (!component) {
    component = core::ComponentRegistry::Global().Create(progid);
  }
  return CallByName(component, progid, method.empty() ? late_member : method, argument);
}

}  // namespace velmora::delivery
