#include "core/components.h"

#include "core/db_utils.h"
#include "core/env.h"
#include "core/file_service.h"
#include "platform/host/configuration.h"
#include "platform/host/log.h"
#include "platform/host/membership.h"
#include "platform/host/partner_register.h"
#include "velmora/base/error.h"

namespace velmora::core {

ComponentRegistry& ComponentRegistry::Global() {
  static ComponentRegistry registry;
  return registry;
}

ComponentRegistry::ComponentRegistry() {
  factories_["Tarvex.Configuration"] = [] { return host::NewXmlConfiguration(CurrentEnv().home); };
  factories_["Tarvex.Log"] = [] { return host::NewInstallationLog(CurrentEnv().home); };
  factories_["D2ORiro.File"] = [] { return NewSiteRemoteFile(); };
  factories_["KxMembership.User"] = [] { return host::NewMembershipUser(GetConnection); };
  factories_["KxMembership.Members"] = [] { return host::NewMembershipMembers(GetConnection); };
  factories_["KxMembership.Validator"] = [] { return host::NewMembershipValidator(GetConnection); };
  factories_["KxCommon.BusinessPartner"] = [] { return host::NewBusinessPartner(GetConnection); };
}

ComponentFactory ComponentRegistry::Register(const std::string& progid, ComponentFactory factory) {
  std::lock_guard lock(mutex_);
  ComponentFactory previous;
  if (auto found = factories_.find(progid); found != factories_.end()) {
    previous = std::move(found->second);
  }
  factories_[progid] = std::move(factory);
  return previous;
}

void ComponentRegistry::Unregister(const std::string& progid) {
  std::lock_guard lock(mutex_);
  factories_.erase(progid);
}

void ComponentRegistry::AddSource(std::shared_ptr<ComponentSource> source) {
  std::lock_guard lock(mutex_);
  sources_.push_back(std::move(source));
}

ObjectRef ComponentRegistry::Create(const std::string& progid) {
  ComponentFactory factory;
  std::vector<std::shared_ptr<ComponentSource>> sources;
  {
    std::lock_guard lock(mutex_);
    if (auto found = factories_.find(progid); found != factories_.end()) {
      factory = found->second;
    }
    sources = sources_;
  }
  ObjectRef object;
  if (factory) {
    object = factory();
  } else {
    for (const auto& source : sources) {
      object = source->Create(progid);
      if (object) {
        break;
      }
    }
  }
  if (!object) {
    throw Error(kErrCannotCreateObject, progid, "Cannot create component '" + progid + "'");
  }
  return object;
}

ScopedComponent::ScopedComponent(std::string progid, ComponentFactory factory)
    : progid_(std::move(progid)),
      previous_(ComponentRegistry::Global().Register(progid_, std::move(factory))) {}

ScopedComponent::~ScopedComponent() {
  if (previous_) {
    ComponentRegistry::Global().Register(progid_, std::move(previous_));
  } else {
    ComponentRegistry::Global().Unregister(progid_);
  }
}

}  // namespace velmora::core
