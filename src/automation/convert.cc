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

std::shared_ptr<xml::Document> Converter<std::shared_ptr<xml::Document>>::From(
    const Variant& value) {
  if (value.IsEmpty() || value.IsNothing()) {
    return nullptr;
  }
  if (value.IsObject()) {
    if (auto document = value.As<xml::Document>()) {
      return document;
    }
    throw Error(kErrTypeMismatch, "Velmora", "Type mismatch: " + value.TypeName());
  }
  if (value.IsNull()) {
    return nullptr;
  }
  auto document = std::make_shared<xml::Document>();
  const std::string xml_text = value.ToText();
  if (!xml_text.empty() && !document->LoadXml(xml_text)) {
    const xml::ParseError& failure = document->parse_error();
    throw Error(failure.code, "Velmora",
                "The XML text is not well-formed: " + failure.reason + " (line " +
                    std::to_string(failure.line) + ", column " + std::to_string(failure.column) +
                    ")");
  }
  return document;
}

template <>
std::shared_ptr<xml::Document> RequiredObject<xml::Document>(const Variant& value) {
  std::shared_ptr<xml::Document> document = Converter<std::shared_ptr<xml::Document>>::From(value);
  return document ? document : std::make_shared<xml::Document>();
}

namespace {

[[noreturn]] void NotARecordset(const std::string& what) {
  throw Error(
      kErrTypeMismatch, "Velmora",
      "Type mismatch: a recordset is {\"columns\": [names], \"rows\": [[values], ...]}; " + what);
}

// The elements of `value`, which must be a one-dimensional array (`what` says which).
const std::vector<Variant>& ListOf(const Variant& value, const std::string& what) {
  if (!value.IsArray() || value.AsArray().dimensions() != 1) {
    NotARecordset(what + " is not an array");
  }
  return value.AsArray().values();
}

}  // namespace

std::shared_ptr<db::Recordset> Converter<std::shared_ptr<db::Recordset>>::From(
    const Variant& value) {
  if (value.IsEmpty() || value.IsNull() || value.IsNothing()) {
    return nullptr;
  }
  if (auto recordset = value.As<db::Recordset>()) {
    return recordset;
  }
  auto form = value.As<Dictionary>();
  if (!form) {
    throw Error(kErrTypeMismatch, "Velmora", "Type mismatch: " + value.TypeName());
  }
  const Variant columns = form->Item("columns");
  const Variant given_rows = form->Item("rows");
  std::vector<std::string> names;
  for (const Variant& name : ListOf(columns, "\"columns\"")) {
    if (name.kind() != Variant::Kind::kText || name.ToText().empty()) {
      NotARecordset("a column name is not a text");
    }
    names.push_back(name.ToText());
  }
  std::vector<std::vector<Variant>> rows;
  for (const Variant& row : ListOf(given_rows, "\"rows\"")) {
    const std::vector<Variant>& values = ListOf(row, "row " + std::to_string(rows.size() + 1));
    if (values.size() != names.size()) {
      NotARecordset("row " + std::to_string(rows.size() + 1) + " has " +
                    std::to_string(values.size()) + " values for " + std::to_string(names.size()) +
                    " columns");
    }
    for (const Variant& field : values) {
      if (field.IsArray() || field.IsObject()) {
        NotARecordset("a field value is an array or an object");
      }
    }
    rows.push_back(values);
  }
  return db::NewInMemoryRecordset(names, std::move(rows));
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
