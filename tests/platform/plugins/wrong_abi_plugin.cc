// A plug-in library built for another plug-in ABI.
#include "velmora/plugin/method_call.h"

namespace {

class Anything : public velmora::plugin::Component {};

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t velmora_plugin_abi() {
  return velmora::plugin::kAbiVersion + 1;
}
VELMORA_PLUGIN_FACTORY(wrong_abi_create, Anything)
