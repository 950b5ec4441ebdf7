// Utility, plug-in calls: the published forms of the plug-in method service of delivery.
#include <string>

#include "core/guarded.h"
#include "delivery/plugin_methods.h"
#include "velmora/routing/utility.h"

namespace velmora {

Variant Utility::GetClass(const std::string& iDllClassMethodString) {
  return core::Guarded("Velmora.Utility.GetClass", [&] {
    return Variant(delivery::plugin_methods::ComponentOf(iDllClassMethodString));
  });
}

Variant Utility::GetMethod(const std::string& iDllClassMethodString) {
  return core::Guarded("Velmora.Utility.GetMethod", [&] {
    return Variant(delivery::plugin_methods::MethodOf(iDllClassMethodString));
  });
}

bool Utility::CallMethod(const std::string& iDllClassMethodString, Variant& iArguments) {
  return core::Guarded(
      "Velmora.Utility.CallMethod",
      [&] { return delivery::plugin_methods::Call(iDllClassMethodString, iArguments); },
      [&] {
        return Variant("object " + iDllClassMethodString +
                       " not found or method called with wrong number/type of arguments");
      });
}

bool Utility::CheckMethodCall(const std::string& iDllClassMethodString) {
  return core::Guarded("Velmora.Utility.CheckMethodCall",
                       [&] { return delivery::plugin_methods::Creatable(iDllClassMethodString); });
}

}  // namespace velmora
