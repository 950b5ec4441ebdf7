#pragma once

#include <memory>

#include "platform/plugins/plugin_component.h"
#include "velmora/base/variant.h"

// Plug-in components in the component registry: every create-by-ProgID that no registered
// factory answers looks in config/components.xml of the installation home.
namespace velmora::delivery {

// The object of a created plug-in: a core::Dispatch for the late-bound calls (one argument by
// reference), and velmora::IMethodCall and/or velmora::IMethodCall24 exactly when the plug-in
// implements them, so that asking for an interface answers as the plug-in does.
ObjectRef MakePluginObject(std::shared_ptr<plugins::PluginComponent> component);

// Adds the plug-in source to core::ComponentRegistry::Global(), once per process. Called by
// RegisterAllClasses of the automation layer and by Utility's plug-in calls, so that the app,
// the automation service and library callers all find plug-ins.
void InstallPluginSource();

}  // namespace velmora::delivery
