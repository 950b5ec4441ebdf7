// Utility, plug-in calls: the method string split, the two-way call of a plug-in (its
// IMethodCall interface first, then late bound) and the creation check.
#include <memory>
#include <string>

#include "core/components.h"
#include "core/general.h"
#include "core/guarded.h"
#include "delivery/plugin_call.h"
#include "delivery/plugin_source.h"
#include "velmora/base/error.h"
#include "velmora/delivery/method_call.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// The position of the second "." of `text`, or npos.
size_t SecondDot(const std::string& text) {
  const size_t first = text.find('.');
  return first == std::string::npos ? std::string::npos : text.find('.', first + 1);
}

}  // namespace

Variant Utility::GetClass(std::string& iDllClassMethodString) {
  return core::Guarded("Velmora.Utility.GetClass", [&]() -> Variant {
    return Variant(iDllClassMethodString.substr(0, SecondDot(iDllClassMethodString)));
  });
}

Variant Utility::GetMethod(std::string& iDllClassMethodString) {
  return core::Guarded("Velmora.Utility.GetMethod", [&]() -> Variant {
    const size_t dot = SecondDot(iDllClassMethodString);
    return Variant(dot == std::string::npos ? std::string()
                                            : iDllClassMethodString.substr(dot + 1));
    return Variant();
  });
}

bool Utility::CallMethod(std::string& iDllClassMethodString, Variant& iArguments) {
  return core::Guarded(
      "Velmora.Utility.CallMethod",
      [&]() -> bool {
        bool result = false;
        delivery::InstallPluginSource();
        const std::string progid = GetClass(iDllClassMethodString).ToText();
        const std::string method = GetMethod(iDllClassMethodString).ToText();
        result = delivery::CallPluginTwoWay(
            progid, method, "IMethodCall_MethodCall", iArguments,
            [&iArguments](IMethodCall& plugin) { return plugin.MethodCall(iArguments); });
        return result;
      },
      [&] {
        return Variant("object " + iDllClassMethodString +
                       " not found or method called with wrong number/type of arguments");
      });
}

bool Utility::CheckMethodCall(std::string& iDllClassMethodString) {
  std::string progid;
  try {
    delivery::InstallPluginSource();
    progid = GetClass(iDllClassMethodString).ToText();
  } catch (...) {
    core::ReportError("Velmora.Utility.CheckMethodCall");
  }
  try {
    core::ComponentRegistry::Global().Create(progid);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace velmora
