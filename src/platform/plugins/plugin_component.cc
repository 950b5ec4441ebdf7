#include "platform/plugins/plugin_component.h"

#include "platform/plugins/value_convert.h"
#include "velmora/base/error.h"

namespace velmora::plugins {

std::unique_ptr<PluginComponent> PluginComponent::Create(const PluginEntry& entry) {
  std::shared_ptr<PluginLibrary> library = LoadPluginLibrary(entry.library_path);
  auto* factory = reinterpret_cast<plugin::FactoryFunction>(library->Symbol(entry.factory));
  if (factory == nullptr) {
    throw Error(kErrCannotCreateObject, entry.progid,
                "The plug-in library '" + library->path() + "' of '" + entry.progid +
                    "' does not export the factory '" + entry.factory + "'");
  }
  plugin::Status status;
  plugin::Component* made = nullptr;
  try {
    made = factory(&status);
  } catch (...) {
    // A hand-written factory that lets an exception escape.
    status = plugin::Status{plugin::kDefaultErrorNumber,
                            "The factory '" + entry.factory + "' raised an exception"};
  }
  std::unique_ptr<plugin::Component> object(made);
  if (!status.ok()) {
    throw Error(status.number, entry.progid, status.description);
  }
  if (!object) {
    throw Error(kErrCannotCreateObject, entry.progid,
                "The factory '" + entry.factory + "' of '" + entry.progid + "' made no object");
  }
  return std::make_unique<PluginComponent>(entry.progid, std::move(library), std::move(object));
}

PluginComponent::PluginComponent(std::string progid, std::shared_ptr<PluginLibrary> library,
                                 std::unique_ptr<plugin::Component> object)
    : progid_(std::move(progid)), library_(std::move(library)), object_(std::move(object)) {}

PluginComponent::~PluginComponent() = default;

void PluginComponent::Check(const plugin::Status& status) const {
  if (!status.ok()) {
    throw Error(status.number, progid_, status.description);
  }
}

bool PluginComponent::Implements(Interface which) const { return object_->HostImplements(which); }

bool PluginComponent::MethodCall(Variant& data) {
  plugin::Value value = ToPluginValue(data);
  bool answer = false;
  const plugin::Status status = object_->HostMethodCall(value, answer);
  data = FromPluginValue(value, data);
  Check(status);
  return answer;
}

bool PluginComponent::GetExcelWorkBook(Variant& workbook) {
  plugin::WorkBook* handle = ToPluginValue(workbook).workbook();
  bool answer = false;
  const plugin::Status status = object_->HostGetExcelWorkBook(handle, answer);
  workbook = FromPluginValue(plugin::Value(handle), workbook);
  Check(status);
  return answer;
}

void PluginComponent::SetBusinessPartnerID(int32_t id) {
  Check(object_->HostSetBusinessPartnerID(id));
}

void PluginComponent::SetDocumentID(int32_t id) { Check(object_->HostSetDocumentID(id)); }

void PluginComponent::SetDocumentAttachments(std::vector<std::string>& paths) {
  Check(object_->HostSetDocumentAttachments(paths));
}

void PluginComponent::SetDocumentXML(const std::string& data) {
  Check(object_->HostSetDocumentXML(data));
}

void PluginComponent::SetExcelWorkBook(const Variant& workbook) {
  Check(object_->HostSetExcelWorkBook(ToPluginValue(workbook).workbook()));
}

void PluginComponent::Process() { Check(object_->HostProcess()); }

bool PluginComponent::HasMethod(const std::string& name) const {
  return object_->HostHasMethod(name);
}

Variant PluginComponent::Invoke(const std::string& name, Variant& argument) {
  plugin::Value value = ToPluginValue(argument);
  plugin::Value answer;
  const plugin::Status status = object_->HostInvoke(name, value, answer);
  argument = FromPluginValue(value, argument);
  Check(status);
  return FromPluginValue(answer, Variant());
}

}  // namespace velmora::plugins
