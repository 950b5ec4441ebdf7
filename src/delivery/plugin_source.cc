#include "delivery/plugin_source.h"

#include <mutex>
#include <string>
#include <vector>

#include "core/components.h"
#include "core/dispatch.h"
#include "core/env.h"
#include "platform/host/installation_registry.h"
#include "platform/plugins/component_table.h"
#include "velmora/base/error.h"
#include "velmora/delivery/method_call.h"

namespace velmora::delivery {
namespace {

using plugins::PluginComponent;

// The late-bound face of every plug-in object.
class PluginDispatch : public core::Dispatch {
 public:
  explicit PluginDispatch(std::shared_ptr<PluginComponent> component)
      : component_(std::move(component)) {}
  std::string TypeName() const override { return component_->progid(); }
  bool HasMethod(const std::string& method) const override { return component_->HasMethod(method); }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    if (!component_->HasMethod(method)) {
      throw Error(kErrUnknownMethod, component_->progid(),
                  "Object doesn't support this property or method: " + method);
    }
    if (args.size() != 1) {
      throw Error(kErrWrongArgumentCount, component_->progid() + "." + method,
                  "Wrong number of arguments: a plug-in method takes one argument");
    }
    return component_->Invoke(method, args[0]);
  }

 private:
  std::shared_ptr<PluginComponent> component_;
};

class PluginMethodCall : public IMethodCall {
 public:
  explicit PluginMethodCall(std::shared_ptr<PluginComponent> component)
      : component_(std::move(component)) {}
  bool MethodCall(Variant& i_vDocumentData) override {
    return component_->MethodCall(i_vDocumentData);
  }
  bool GetExcelWorkBook(ObjectRef& i_oExcelWorkBook) override {
    Variant workbook(i_oExcelWorkBook);
    const bool answer = component_->GetExcelWorkBook(workbook);
    i_oExcelWorkBook = workbook.AsObject();
    return answer;
  }

 private:
  std::shared_ptr<PluginComponent> component_;
};

class PluginMethodCall24 : public IMethodCall24 {
 public:
  explicit PluginMethodCall24(std::shared_ptr<PluginComponent> component)
      : component_(std::move(component)) {}
  void setBusinessPartnerID(int32_t i_lBPID) override { component_->SetBusinessPartnerID(i_lBPID); }
  void setDocumentID(int32_t i_lDocID) override { component_->SetDocumentID(i_lDocID); }
  void setDocumentAttachments(std::vector<std::string>& i_asAttachments) override {
    component_->SetDocumentAttachments(i_asAttachments);
  }
  void setDocumentXML(std::string i_sDocumentData) override {
    component_->SetDocumentXML(i_sDocumentData);
  }
  void setExcelWorkBook(ObjectRef i_oExcelWorkBook) override {
    component_->SetExcelWorkBook(Variant(std::move(i_oExcelWorkBook)));
  }
  void Process() override { component_->Process(); }

 private:
  std::shared_ptr<PluginComponent> component_;
};

template <class... Interfaces>
class PluginObject : public PluginDispatch, public Interfaces... {
 public:
  explicit PluginObject(const std::shared_ptr<PluginComponent>& component)
      : PluginDispatch(component), Interfaces(component)... {}
};

class PluginSource : public core::ComponentSource {
 public:
  ObjectRef Create(const std::string& progid) override {
    const auto entry =
        plugins::FindPluginEntry(host::InstallationHome(core::CurrentEnv().home), progid);
    if (!entry) {
      return nullptr;
    }
    return MakePluginObject(PluginComponent::Create(*entry));
  }
};

}  // namespace

ObjectRef MakePluginObject(std::shared_ptr<PluginComponent> component) {
  const bool older = component->Implements(PluginComponent::Interface::kMethodCall);
  const bool current = component->Implements(PluginComponent::Interface::kMethodCall24);
  if (older && current) {
    return std::make_shared<PluginObject<PluginMethodCall, PluginMethodCall24>>(component);
  }
  if (older) {
    return std::make_shared<PluginObject<PluginMethodCall>>(component);
  }
  if (current) {
    return std::make_shared<PluginObject<PluginMethodCall24>>(component);
  }
  return std::make_shared<PluginObject<>>(component);
}

void InstallPluginSource() {
  static std::once_flag once;
  std::call_once(
      once, [] { core::ComponentRegistry::Global().AddSource(std::make_shared<PluginSource>()); });
}

}  // namespace velmora::delivery
