#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "velmora/base/text.h"
#include "velmora/base/variant.h"

namespace velmora::core {

using ComponentFactory = std::function<ObjectRef()>;

// A place that can create components the registry does not know by itself (plug-in libraries
// named in config/components.xml). Asked in order after the registered factories.
class ComponentSource {
 public:
  virtual ~ComponentSource() = default;
  // The new object, or nullptr when this source does not know `progid`. Raises an Error when
  // it knows it but cannot create it.
  virtual ObjectRef Create(const std::string& progid) = 0;
};

// Every create-by-ProgID of the library goes through here: the host components
// ("Tarvex.Configuration", "Tarvex.Log"), Velmora's own classes, and plug-ins. ProgIDs compare
// without regard to ASCII case. Tests replace a component with ScopedComponent. Safe to use
// from several threads.
class ComponentRegistry {
 public:
  static ComponentRegistry& Global();

  ComponentRegistry();
  ComponentRegistry(const ComponentRegistry&) = delete;
  ComponentRegistry& operator=(const ComponentRegistry&) = delete;

  // Registers `factory` for `progid`, replacing any earlier one; returns the one replaced.
  ComponentFactory Register(const std::string& progid, ComponentFactory factory);
  void Unregister(const std::string& progid);
  void AddSource(std::shared_ptr<ComponentSource> source);

  // A new instance. Raises kErrCannotCreateObject naming the ProgID when nothing can create
  // it, or the factory's own error.
  ObjectRef Create(const std::string& progid);

 private:
  struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return text::ToUpper(a) < text::ToUpper(b);
    }
  };

  std::mutex mutex_;
  std::map<std::string, ComponentFactory, CaseInsensitiveLess> factories_;
  std::vector<std::shared_ptr<ComponentSource>> sources_;
};

// Puts a test's factory in place of a component for the life of the object.
class ScopedComponent {
 public:
  ScopedComponent(std::string progid, ComponentFactory factory);
  ~ScopedComponent();
  ScopedComponent(const ScopedComponent&) = delete;
  ScopedComponent& operator=(const ScopedComponent&) = delete;

 private:
  std::string progid_;
  ComponentFactory previous_;
};

}  // namespace velmora::core
