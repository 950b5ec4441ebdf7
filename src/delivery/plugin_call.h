#pragma once

#include <functional>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/delivery/method_call.h"

namespace velmora::delivery {

// The two-way call of a plug-in component `progid` with one by-reference `argument`: when the
// component implements IMethodCall, a named `method` is called late bound and no name calls
// `interface_call`; otherwise `method`, or `late_member` when no method is named, is called late
// bound on the same component (created again only when its first creation failed). The answer
// as a boolean. Raises what creation or the call raises; a component without late-bound methods
// raises kErrUnknownMethod.
bool CallPluginTwoWay(const std::string& progid, const std::string& method,
                      const std::string& late_member, Variant& argument,
                      const std::function<bool(IMethodCall&)>& interface_call);

}  // namespace velmora::delivery
