#include "automation/call_service.h"

#include "automation/class_registry.h"
#include "automation/reply_values.h"
#include "platform/json/json_codec.h"
#include "velmora/base/dictionary.h"

namespace velmora::automation {
namespace {

Variant ArgsValue(const std::vector<Variant>& args) {
  VariantArray array(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    array.At(static_cast<int32_t>(i)) = ReplyValue(args[i]);
  }
  return Variant(std::move(array));
}

}  // namespace

CallReply CallAndReply(const std::string& progid, const std::string& method,
                       std::vector<Variant> args) {
  RegisterAllClasses();
  auto reply = std::make_shared<Dictionary>();
  CallReply outcome;
  try {
    Variant result = ClassRegistry::Global().Call(progid, method, args);
    reply->Add("result", ReplyValue(result));
  } catch (...) {
    const Error error = CurrentError();
    auto details = std::make_shared<Dictionary>();
    details->Add("number", Variant(error.number()));
    details->Add("source", Variant(error.source()));
    details->Add("description", Variant(error.description()));
    reply->Add("error", Variant(ObjectRef(details)));
    outcome.failed = true;
  }
  try {
    reply->Add("args", ArgsValue(args));
    outcome.json = json::Serialize(Variant(ObjectRef(reply)));
  } catch (...) {
    const Error error = CurrentError();
    auto details = std::make_shared<Dictionary>();
    details->Add("number", Variant(error.number()));
    details->Add("source", Variant(error.source()));
    details->Add("description",
                 Variant("The reply cannot be written as JSON: " + error.description()));
    auto fallback = std::make_shared<Dictionary>();
    fallback->Add("error", Variant(ObjectRef(details)));
    outcome.failed = true;
    outcome.json = json::Serialize(Variant(ObjectRef(fallback)));
  }
  return outcome;
}

Variant ArgumentFromText(const std::string& text) {
  if (json::IsJson(text)) {
    return json::Parse(text);
  }
  return Variant(text);
}

}  // namespace velmora::automation
