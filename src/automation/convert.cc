#include "automation/convert.h"

#include "platform/json/json_codec.h"

namespace velmora::automation {

Bytes Converter<Bytes>::From(const Variant& value) {
  if (value.IsArray()) {
    Bytes bytes;
    for (const Variant& item : value.AsArray().values()) {
      bytes.push_back(item.ToByte());
    }
    return bytes;
  }
  if (value.kind() == Variant::Kind::kText) {
    return json::DecodeBase64(value.ToText());
  }
  return value.ToBytes();
}

std::vector<std::string> Converter<std::vector<std::string>>::From(const Variant& value) {
  std::vector<std::string> texts;
  if (value.IsEmpty()) {
    return texts;
  }
  for (const Variant& item : value.AsArray().values()) {
    texts.push_back(item.ToText());
  }
  return texts;
}

Variant Converter<std::vector<std::string>>::To(const std::vector<std::string>& value) {
  VariantArray array(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    array.At(static_cast<int32_t>(i)) = Variant(value[i]);
  }
  return Variant(std::move(array));
}

std::shared_ptr<Collection> Converter<std::shared_ptr<Collection>>::From(const Variant& value) {
  if (value.IsEmpty() || value.IsNull() || value.IsNothing()) {
    return nullptr;
  }
  if (auto collection = value.As<Collection>()) {
    return collection;
  }
  if (!value.IsArray()) {
    throw Error(kErrTypeMismatch, "Velmora",
                "Type mismatch: a collection of texts is an array, not " + value.TypeName());
  }
  auto collection = std::make_shared<Collection>();
  for (const Variant& item : value.AsArray().values()) {
    collection->Add(Variant(item.ToText()));
  }
  return collection;
}

Variant Converter<std::shared_ptr<Collection>>::To(const std::shared_ptr<Collection>& value) {
  if (!value) {
    return Variant();
  }
  VariantArray array(value->Count());
  for (size_t i = 0; i < value->Count(); ++i) {
    array.At(static_cast<int32_t>(i)) = value->items()[i];
  }
  return Variant(std::move(array));
}

}  // namespace velmora::automation
