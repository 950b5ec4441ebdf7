#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"
#include "velmora/base/variant.h"
#include "velmora/db/recordset.h"
#include "velmora/xml/document.h"

// Conversions between variants and the C++ types of public method signatures. A type without
// a Converter cannot be bound (a compile error, not a run-time surprise).
namespace velmora::automation {

template <class T, class Enable = void>
struct Converter;

template <>
struct Converter<Variant> {
  static Variant From(const Variant& value) { return value; }
  static Variant To(const Variant& value) { return value; }
};

template <>
struct Converter<std::string> {
  static std::string From(const Variant& value) { return value.ToText(); }
  static Variant To(const std::string& value) { return Variant(value); }
};

template <>
struct Converter<bool> {
  static bool From(const Variant& value) { return value.ToBool(); }
  static Variant To(bool value) { return Variant(value); }
};

template <>
struct Converter<int16_t> {
  static int16_t From(const Variant& value) { return value.ToInt16(); }
  static Variant To(int16_t value) { return Variant(value); }
};

template <>
struct Converter<int32_t> {
  static int32_t From(const Variant& value) { return value.ToInt32(); }
  static Variant To(int32_t value) { return Variant(value); }
};

template <>
struct Converter<int64_t> {
  static int64_t From(const Variant& value) { return value.ToInt64(); }
  static Variant To(int64_t value) { return Variant(value); }
};

template <>
struct Converter<uint8_t> {
  static uint8_t From(const Variant& value) { return value.ToByte(); }
  static Variant To(uint8_t value) { return Variant(static_cast<int16_t>(value)); }
};

template <>
struct Converter<double> {
  static double From(const Variant& value) { return value.ToDouble(); }
  static Variant To(double value) { return Variant(value); }
};

template <>
struct Converter<DateTime> {
  static DateTime From(const Variant& value) { return value.ToDate(); }
  static Variant To(const DateTime& value) { return Variant(value); }
};

// A byte array arrives as an array of integers 0-255 or as base64 text.
template <>
struct Converter<Bytes> {
  static Bytes From(const Variant& value);
  static Variant To(const Bytes& value) { return Variant(value); }
};

template <>
struct Converter<VariantArray> {
  static VariantArray From(const Variant& value) {
    return value.IsEmpty() ? VariantArray() : value.AsArray();
  }
  static Variant To(const VariantArray& value) { return Variant(value); }
};

// A list of texts arrives as an array (any lower bound) and leaves as an array from 0.
template <>
struct Converter<std::vector<std::string>> {
  static std::vector<std::string> From(const Variant& value);
  static Variant To(const std::vector<std::string>& value);
};

// Objects: an object argument must hold an object of the type (or nothing); a JSON object
// converts to a Dictionary.
template <class T>
struct Converter<std::shared_ptr<T>, std::enable_if_t<std::is_base_of_v<Object, T>>> {
  static std::shared_ptr<T> From(const Variant& value) {
    if (value.IsEmpty() || value.IsNull() || value.IsNothing()) {
      return nullptr;
    }
    auto object = value.As<T>();
    if (!object) {
      throw Error(kErrTypeMismatch, "Velmora", "Type mismatch: " + value.TypeName());
    }
    return object;
  }
  static Variant To(const std::shared_ptr<T>& value) { return Variant(ObjectRef(value)); }
};

// An XML document arrives as a DOMDocument object or as its XML text, parsed into a new document
// (text that is not well-formed raises the parser's number, with its reason, line and column);
// "" gives a new empty document; null and Empty give nothing, which a method taking the document
// as a shared pointer may accept (see RequiredObject for one taken by reference). It leaves as
// the object, which a reply writes as its XML text.
template <>
struct Converter<std::shared_ptr<xml::Document>> {
  static std::shared_ptr<xml::Document> From(const Variant& value);
  static Variant To(const std::shared_ptr<xml::Document>& value) {
    return Variant(ObjectRef(value));
  }
};

// A recordset arrives as a Recordset object or in the form a reply writes one,
// {"columns": [names], "rows": [[values], ...]}, as a recordset in memory on its first row
// (db::NewInMemoryRecordset: the method may change its rows, which go back to the caller when
// the parameter is by reference); null and Empty give nothing. Another value raises
// kErrTypeMismatch.
template <>
struct Converter<std::shared_ptr<db::Recordset>> {
  static std::shared_ptr<db::Recordset> From(const Variant& value);
  static Variant To(const std::shared_ptr<db::Recordset>& value) {
    return Variant(ObjectRef(value));
  }
};

// The object for a parameter taken by reference (T&, const T&), which cannot be nothing: raises
// kErrObjectRequired for nothing, except that an XML document given as null or Empty is a new
// empty document.
template <class T>
std::shared_ptr<T> RequiredObject(const Variant& value) {
  std::shared_ptr<T> object = Converter<std::shared_ptr<T>>::From(value);
  if (!object) {
    throw Error(kErrObjectRequired, "Velmora", "Object required");
  }
  return object;
}
template <>
std::shared_ptr<xml::Document> RequiredObject<xml::Document>(const Variant& value);

// A collection of texts (attachment paths) arrives as a Collection or as an array of texts (a
// JSON array of strings) and leaves as an array; nothing, Null and Empty are no collection.
template <>
struct Converter<std::shared_ptr<Collection>> {
  static std::shared_ptr<Collection> From(const Variant& value);
  static Variant To(const std::shared_ptr<Collection>& value);
};

// Enumerations travel as their numbers.
template <class T>
struct Converter<T, std::enable_if_t<std::is_enum_v<T>>> {
  static T From(const Variant& value) { return static_cast<T>(value.ToInt32()); }
  static Variant To(T value) { return Variant(static_cast<int32_t>(value)); }
};

}  // namespace velmora::automation
