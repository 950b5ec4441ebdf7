#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/plugins/component_table.h"
#include "platform/plugins/library.h"
#include "velmora/base/variant.h"
#include "velmora/plugin/method_call.h"

namespace velmora::plugins {

// One object of a plug-in, seen from the host: every call crosses the boundary through the
// component's Host* members and a failure the plug-in reports is raised as an Error with the
// plug-in's number and description and the ProgID as source. Keeps its library open.
class PluginComponent {
 public:
  using Interface = plugin::Component::Interface;

  // Loads the library of `entry` (once per process), finds its factory and creates an object.
  // Raises kErrCannotCreateObject when the library cannot be loaded, has another ABI or lacks
  // the factory, and the factory's failure as the plug-in reports it.
  static std::unique_ptr<PluginComponent> Create(const PluginEntry& entry);

  // The object `object` made by the library `library`.
  PluginComponent(std::string progid, std::shared_ptr<PluginLibrary> library,
                  std::unique_ptr<plugin::Component> object);
  PluginComponent(const PluginComponent&) = delete;
  PluginComponent& operator=(const PluginComponent&) = delete;
  ~PluginComponent();

  const std::string& progid() const { return progid_; }
  bool Implements(Interface which) const;

  // IMethodCall; the by-reference argument receives what the plug-in left in it.
  bool MethodCall(Variant& data);
  bool GetExcelWorkBook(Variant& workbook);
  // IMethodCall24.
  void SetBusinessPartnerID(int32_t id);
  void SetDocumentID(int32_t id);
  void SetDocumentAttachments(std::vector<std::string>& paths);
  void SetDocumentXML(const std::string& data);
  void SetExcelWorkBook(const Variant& workbook);
  void Process();

  // The call-by-name entry: one by-reference argument, one answer.
  bool HasMethod(const std::string& name) const;
  Variant Invoke(const std::string& name, Variant& argument);

 private:
  // Raises `status` when it is a failure.
  void Check(const plugin::Status& status) const;

  std::string progid_;
  // Declared before the object: the object is destroyed before its library may close.
  std::shared_ptr<PluginLibrary> library_;
  std::unique_ptr<plugin::Component> object_;
};

}  // namespace velmora::plugins
