#include "platform/plugins/value_convert.h"

#include <cmath>
#include <limits>

#include "velmora/base/error.h"

namespace velmora::plugins {
namespace {

[[noreturn]] void Mismatch(const std::string& what) {
  throw Error(kErrTypeMismatch, "Velmora", "Type mismatch: a plug-in cannot take " + what);
}

}  // namespace

plugin::Value ToPluginValue(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kEmpty:
      return plugin::Value();
    case Variant::Kind::kNull:
      return plugin::Value::Null();
    case Variant::Kind::kBool:
      return plugin::Value(value.ToBool());
    case Variant::Kind::kInt16:
    case Variant::Kind::kInt32:
    case Variant::Kind::kInt64:
    case Variant::Kind::kDouble:
      return plugin::Value(value.ToDouble());
    case Variant::Kind::kDate:
    case Variant::Kind::kText:
      return plugin::Value(value.ToText());
    case Variant::Kind::kArray: {
      const VariantArray& array = value.AsArray();
      if (array.dimensions() > 1) {
        Mismatch("an array of more than one dimension");
      }
      std::vector<plugin::Value> items;
      for (const Variant& item : array.values()) {
        items.push_back(ToPluginValue(item));
      }
      return plugin::Value(std::move(items));
    }
    case Variant::Kind::kObject: {
      if (value.IsNothing()) {
        return plugin::Value(static_cast<plugin::WorkBook*>(nullptr));
      }
      auto* workbook = dynamic_cast<plugin::WorkBook*>(value.AsObject().get());
      if (workbook == nullptr) {
        Mismatch("an object of kind " + value.AsObject()->TypeName());
      }
      return plugin::Value(workbook);
    }
    case Variant::Kind::kBytes:
      break;
  }
  Mismatch("a " + value.TypeName());
}

Variant FromPluginValue(const plugin::Value& value, const Variant& original) {
  switch (value.kind()) {
    case plugin::Value::Kind::kEmpty:
      return Variant();
    case plugin::Value::Kind::kNull:
      return Variant::MakeNull();
    case plugin::Value::Kind::kBoolean:
      return Variant(value.boolean());
    case plugin::Value::Kind::kNumber: {
      const double number = value.number();
      if (std::trunc(number) == number && number >= std::numeric_limits<int32_t>::min() &&
          number <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(number));
      }
      return Variant(number);
    }
    case plugin::Value::Kind::kText:
      return Variant(value.text());
    case plugin::Value::Kind::kArray: {
      const int32_t lower = original.IsArray() && original.AsArray().dimensions() == 1
                                ? original.AsArray().LBound()
                                : 0;
      VariantArray array(value.items().size(), lower);
      int32_t index = lower;
      for (const plugin::Value& item : value.items()) {
        array.At(index++) = FromPluginValue(item, Variant());
      }
      return Variant(std::move(array));
    }
    case plugin::Value::Kind::kWorkBook:
      break;
  }
  if (value.workbook() == nullptr) {
    return Variant(ObjectRef());
  }
  if (original.IsObject() && !original.IsNothing() &&
      dynamic_cast<plugin::WorkBook*>(original.AsObject().get()) == value.workbook()) {
    return original;
  }
  throw Error(kErrTypeMismatch, "Velmora",
              "Type mismatch: the plug-in handed back a workbook the host did not give it");
}

}  // namespace velmora::plugins
