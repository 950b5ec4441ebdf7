#include "automation/class_registry.h"

#include "core/components.h"

namespace velmora::automation {
namespace {

// A public class reached by ProgID through the component registry.
class ClassDispatch : public core::Dispatch {
 public:
  explicit ClassDispatch(const ClassInfo& info) : info_(info) {}
  std::string TypeName() const override { return info_.progid(); }
  Variant Invoke(const std::string& method, std::vector<Variant>& args) override {
    return InvokeMethod(info_, method, args);
  }
  bool HasMethod(const std::string& method) const override { return info_.Find(method) != nullptr; }

 private:
  const ClassInfo& info_;
};

}  // namespace

const Method* ClassInfo::Find(const std::string& name) const {
  for (const Method& method : methods_) {
    if (text::IEquals(method.name, name)) {
      return &method;
    }
  }
  return nullptr;
}

ClassInfo& ClassInfo::Implements(const std::string& interface_name,
                                 const std::vector<std::string>& operations) {
  for (const std::string& operation : operations) {
    const Method* method = Find(operation);
    if (method == nullptr) {
      throw Error(kErrUnknownMethod, progid_ + "." + operation,
                  "Cannot publish '" + operation + "' for " + interface_name + ": not bound");
    }
    Method published = *method;
    published.name = interface_name + "_" + operation;
    Add(std::move(published));
  }
  return *this;
}

void ClassInfo::Add(Method method) {
  for (Method& existing : methods_) {
    if (text::IEquals(existing.name, method.name)) {
      existing = std::move(method);
      return;
    }
  }
  methods_.push_back(std::move(method));
}

ClassRegistry& ClassRegistry::Global() {
  static ClassRegistry registry;
  return registry;
}

ClassInfo& ClassRegistry::Add(const std::string& progid) {
  auto& slot = classes_[progid];
  if (!slot) {
    slot = std::make_unique<ClassInfo>(progid);
    // Only the process-wide registry lives as long as the component registry; a registry a
    // test builds for itself must not leave factories behind that point into it.
    if (this == &Global()) {
      const ClassInfo* info = slot.get();
      core::ComponentRegistry::Global().Register(
          progid, [info] { return std::make_shared<ClassDispatch>(*info); });
    }
  }
  return *slot;
}

const ClassInfo* ClassRegistry::Find(const std::string& progid) const {
  const auto found = classes_.find(progid);
  return found == classes_.end() ? nullptr : found->second.get();
}

std::vector<std::string> ClassRegistry::ProgIds() const {
  std::vector<std::string> progids;
  for (const auto& entry : classes_) {
    progids.push_back(entry.first);
  }
  return progids;
}

Variant ClassRegistry::Call(const std::string& progid, const std::string& method,
                            std::vector<Variant>& args) const {
  const ClassInfo* info = Find(progid);
  if (info == nullptr) {
    throw Error(kErrCannotCreateObject, progid, "Cannot create component '" + progid + "'");
  }
  return InvokeMethod(*info, method, args);
}

Variant InvokeMethod(const ClassInfo& info, const std::string& method_name,
                     std::vector<Variant>& args) {
  const std::string path = info.progid() + "." + method_name;
  const Method* method = info.Find(method_name);
  if (method == nullptr) {
    throw Error(kErrUnknownMethod, path,
                "Object doesn't support this property or method: '" + path + "'");
  }
  size_t required = 0;
  for (const Param& param : method->params) {
    if (!param.optional) {
      ++required;
    }
  }
  if (args.size() < required || args.size() > method->params.size()) {
    throw Error(
        kErrWrongArgumentCount, path,
        "Wrong number of arguments for '" + path + "': " + std::to_string(args.size()) +
            " given, " +
            (required == method->params.size()
                 ? std::to_string(required)
                 : std::to_string(required) + " to " + std::to_string(method->params.size())) +
            " expected");
  }
  const size_t given = args.size();
  for (size_t i = given; i < method->params.size(); ++i) {
    args.push_back(method->params[i].default_value);
  }
  try {
    Variant result = method->invoke(args);
    args.resize(given);
    return result;
  } catch (...) {
    args.resize(given);
    throw;
  }
}

}  // namespace velmora::automation
