#include "platform/json/json_codec.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"

namespace velmora::json {
namespace {

using json = nlohmann::ordered_json;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

Variant FromJson(const json& value) {
  switch (value.type()) {
    case json::value_t::null:
      return Variant::MakeNull();
    case json::value_t::boolean:
      return Variant(value.get<bool>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: {
      if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)) {
        return Variant(value.get<double>());
      }
      const int64_t number = value.get<int64_t>();
      if (number >= INT32_MIN && number <= INT32_MAX) {
        return Variant(static_cast<int32_t>(number));
      }
      return Variant(number);
    }
    case json::value_t::number_float:
      return Variant(value.get<double>());
    case json::value_t::string:
      return Variant(value.get<std::string>());
    case json::value_t::array: {
      VariantArray array(value.size());
      for (size_t i = 0; i < value.size(); ++i) {
        array.At(static_cast<int32_t>(i)) = FromJson(value[i]);
      }
      return Variant(std::move(array));
    }
    case json::value_t::object: {
      auto dictionary = std::make_shared<Dictionary>();
      for (const auto& [key, item] : value.items()) {
        dictionary->Add(key, FromJson(item));
      }
      return Variant(ObjectRef(dictionary));
    }
    default:
      return Variant();
  }
}

json ToJson(const Variant& value);

json ArrayToJson(const VariantArray& array) {
  json out = json::array();
  if (array.dimensions() == 1) {
    for (const Variant& item : array.values()) {
      out.push_back(ToJson(item));
    }
  } else if (array.dimensions() == 2) {
    for (int32_t i = array.LBound(1); i <= array.UBound(1); ++i) {
      json column = json::array();
      for (int32_t j = array.LBound(2); j <= array.UBound(2); ++j) {
        column.push_back(ToJson(array.At(i, j)));
      }
      out.push_back(std::move(column));
    }
  }
  return out;
}

json ObjectToJson(const ObjectRef& object) {
  if (!object) {
    return nullptr;
  }
  if (auto dictionary = std::dynamic_pointer_cast<Dictionary>(object)) {
    json out = json::object();
    for (const auto& [key, item] : dictionary->entries()) {
      out[key] = ToJson(item);
    }
    return out;
  }
  if (auto collection = std::dynamic_pointer_cast<Collection>(object)) {
    json out = json::array();
    for (const Variant& item : collection->items()) {
      out.push_back(ToJson(item));
    }
    return out;
  }
  return ToJson(object->Export());
}

json ToJson(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kEmpty:
    case Variant::Kind::kNull:
      return nullptr;
    case Variant::Kind::kBool:
      return value.ToBool();
    case Variant::Kind::kInt16:
    case Variant::Kind::kInt32:
    case Variant::Kind::kInt64:
      return value.ToInt64();
    case Variant::Kind::kDouble:
      return value.ToDouble();
    case Variant::Kind::kDate:
    case Variant::Kind::kText:
      return value.ToText();
    case Variant::Kind::kBytes:
      return EncodeBase64(value.ToBytes());
    case Variant::Kind::kArray:
      return ArrayToJson(value.AsArray());
    case Variant::Kind::kObject:
      return ObjectToJson(value.AsObject());
  }
  return nullptr;
}

// The deepest nesting of arrays and objects in `text`, counted outside strings; stops counting
// once past kMaxNesting.
int Nesting(std::string_view text) {
  int depth = 0;
  int deepest = 0;
  bool in_string = false;
  for (size_t i = 0; i < text.size() && deepest <= kMaxNesting; ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

int Sextet(char c) {
  for (int i = 0; i < 64; ++i) {
    if (kAlphabet[i] == c) {
      return i;
    }
  }
  return -1;
}

}  // namespace

Variant Parse(std::string_view text) {
  if (Nesting(text) > kMaxNesting) {
    throw Error(kErrTypeMismatch, "Velmora.JSON",
                "Invalid JSON: arrays and objects nest deeper than " + std::to_string(kMaxNesting) +
                    " levels");
  }
  try {
    return FromJson(json::parse(text));
  } catch (const json::exception& failure) {
    throw Error(kErrTypeMismatch, "Velmora.JSON", std::string("Invalid JSON: ") + failure.what());
  }
}

bool IsJson(std::string_view text) { return json::accept(text); }

std::string Serialize(const Variant& value) {
  return ToJson(value).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string EncodeBase64(const Bytes& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t chunk = (static_cast<uint32_t>(bytes[i]) << 16) |
                           (i + 1 < bytes.size() ? static_cast<uint32_t>(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? static_cast<uint32_t>(bytes[i + 2]) : 0);
    out += kAlphabet[(chunk >> 18) & 63];
    out += kAlphabet[(chunk >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
  }
  return out;
}

Bytes DecodeBase64(std::string_view text) {
  Bytes out;
  uint32_t buffer = 0;
  int bits = 0;
  size_t padding = 0;
  for (char c : text) {
    if (c == '=') {
      ++padding;
      continue;
    }
    const int sextet = Sextet(c);
    if (sextet < 0 || padding > 0) {
      throw Error(kErrTypeMismatch, "Velmora.JSON", "Invalid base64 text");
    }
    buffer = (buffer << 6) | static_cast<uint32_t>(sextet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<uint8_t>((buffer >> bits) & 0xFF));
    }
  }
  if (padding > 2 || (text.size() % 4 != 0 && padding > 0)) {
    throw Error(kErrTypeMismatch, "Velmora.JSON", "Invalid base64 text");
  }
  return out;
}

}  // namespace velmora::json
