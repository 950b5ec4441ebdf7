#include "core/components.h"

#include <gtest/gtest.h>

#include "platform/host/configuration.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"

namespace velmora::core {
namespace {

class NamedSource : public ComponentSource {
 public:
  ObjectRef Create(const std::string& progid) override {
    if (progid == "Plugin.Known") {
      return std::make_shared<Dictionary>();
    }
    if (progid == "Plugin.Broken") {
      throw Error(kErrFileNotFound, progid, "library missing");
    }
    return nullptr;
  }
};

TEST(ComponentRegistryTest, HostComponentsAreBuiltIn) {
  ObjectRef configuration = ComponentRegistry::Global().Create("tarvex.CONFIGURATION");
  EXPECT_NE(std::dynamic_pointer_cast<host::Configuration>(configuration), nullptr);
}

TEST(ComponentRegistryTest, UnknownProgIdRaisesCannotCreate) {
  try {
    ComponentRegistry::Global().Create("Nobody.Home");
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), kErrCannotCreateObject);
    EXPECT_NE(raised.description().find("Nobody.Home"), std::string::npos);
  }
}

TEST(ComponentRegistryTest, ScopedComponentReplacesAndRestores) {
  ComponentRegistry registry;
  const auto before = registry.Create("Tarvex.Log");
  {
    ScopedComponent fake("Tarvex.Log", [] { return std::make_shared<Dictionary>(); });
    EXPECT_EQ(ComponentRegistry::Global().Create("Tarvex.Log")->TypeName(), "Dictionary");
  }
  EXPECT_EQ(ComponentRegistry::Global().Create("Tarvex.Log")->TypeName(), before->TypeName());
  {
    ScopedComponent added("Test.Added", [] { return std::make_shared<Dictionary>(); });
    EXPECT_NO_THROW(ComponentRegistry::Global().Create("Test.Added"));
  }
  EXPECT_THROW(ComponentRegistry::Global().Create("Test.Added"), Error);
}

TEST(ComponentRegistryTest, SourcesAreAskedAfterFactoriesAndTheirErrorsPassThrough) {
  ComponentRegistry registry;
  registry.AddSource(std::make_shared<NamedSource>());
  EXPECT_EQ(registry.Create("Plugin.Known")->TypeName(), "Dictionary");
  try {
    registry.Create("Plugin.Broken");
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), kErrFileNotFound);
  }
  EXPECT_THROW(registry.Create("Plugin.Unknown"), Error);
}

}  // namespace
}  // namespace velmora::core
