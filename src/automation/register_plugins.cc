#include <memory>
#include <string>
#include <vector>

#include "automation/registration.h"
#include "core/components.h"
#include "delivery/plugin_source.h"
#include "velmora/delivery/method_call.h"
#include "velmora/routing/utility.h"

namespace velmora::automation {
namespace {

// The library's own interface class created by ProgID: its registered methods by name, and
// the interface itself, so that a caller asking the created object for it gets the library's
// empty bodies.
template <class Interface>
class InterfaceClassObject : public core::Dispatch, public Interface {
 public:
  explicit InterfaceClassObject(const ClassInfo& info) : info_(info) {}
  std::string TypeName() const override { return info_.progid(); }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    return InvokeMethod(info_, method, args);
  }
  bool HasMethod(const std::string& method) const override { return info_.Find(method) != nullptr; }

 private:
  const ClassInfo& info_;
};

template <class Interface>
void MakeCreatableWithInterface(ClassRegistry& registry, const std::string& progid) {
  if (&registry != &ClassRegistry::Global()) {
    return;
  }
  const ClassInfo* info = registry.Find(progid);
  core::ComponentRegistry::Global().Register(
      progid, [info] { return std::make_shared<InterfaceClassObject<Interface>>(*info); });
}

}  // namespace

// The plug-in interfaces, Utility's plug-in calls, and the plug-in components of the
// installation in the component registry.
void RegisterPluginClasses(ClassRegistry& registry) {
  registry.Add("Velmora.IMethodCall")
      .Bind("MethodCall", &IMethodCall::MethodCall, {"i_vDocumentData"})
      .Bind("GetExcelWorkBook", &IMethodCall::GetExcelWorkBook, {"i_oExcelWorkBook"});
  registry.Add("Velmora.IMethodCall24")
      .Bind("setBusinessPartnerID", &IMethodCall24::setBusinessPartnerID, {"i_lBPID"})
      .Bind("setDocumentID", &IMethodCall24::setDocumentID, {"i_lDocID"})
      .Bind("setDocumentAttachments", &IMethodCall24::setDocumentAttachments, {"i_asAttachments"})
      .Bind("setDocumentXML", &IMethodCall24::setDocumentXML, {"i_sDocumentData"})
      .Bind("setExcelWorkBook", &IMethodCall24::setExcelWorkBook, {"i_oExcelWorkBook"})
      .Bind("Process", &IMethodCall24::Process);
  MakeCreatableWithInterface<IMethodCall>(registry, "Velmora.IMethodCall");
  MakeCreatableWithInterface<IMethodCall24>(registry, "Velmora.IMethodCall24");

  registry.Add("Velmora.Utility")
      .Bind("GetClass", &Utility::GetClass, {Ref("iDllClassMethodString")})
      .Bind("GetMethod", &Utility::GetMethod, {Ref("iDllClassMethodString")})
      .Bind("CallMethod", &Utility::CallMethod, {Ref("iDllClassMethodString"), Ref("iArguments")})
      .Bind("CheckMethodCall", &Utility::CheckMethodCall, {Ref("iDllClassMethodString")});

  delivery::InstallPluginSource();
}

}  // namespace velmora::automation
