#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "velmora/base/date_time.h"

namespace velmora {

class Variant;

// A reference-counted object that a Variant can hold: dictionaries, collections, recordsets,
// XML documents, workbooks. Objects are shared the way script callers share them: copying a
// Variant copies the reference, not the object.
class Object {
 public:
  virtual ~Object() = default;
  // A short name of the object's kind ("Dictionary", "Recordset"), for messages.
  virtual std::string TypeName() const = 0;
  // The object as plain values, for callers outside the process (the JSON of the automation
  // service): a recordset as {"columns": [...], "rows": [[...]]}, an XML document as its text.
  // By default the kind's name.
  virtual Variant Export() const;
};

using ObjectRef = std::shared_ptr<Object>;
using Bytes = std::vector<uint8_t>;

// A one- or two-dimensional array of variants with lower bounds, as scripts build them.
// Two-dimensional arrays are indexed (i, j); GetRows fills them as (field, row).
class VariantArray {
 public:
  VariantArray() = default;
  // One dimension: `count` elements from `lower`.
  explicit VariantArray(size_t count, int32_t lower = 0);
  // Two dimensions (a named factory, so that two counts are never read as count and bound).
  static VariantArray TwoDimensional(size_t count1, size_t count2, int32_t lower1 = 0,
                                     int32_t lower2 = 0);

  int dimensions() const { return static_cast<int>(counts_.size()); }
  // REQUIRES: 1 <= dimension <= dimensions().
  int32_t LBound(int dimension = 1) const { return lowers_[dimension - 1]; }
  int32_t UBound(int dimension = 1) const;
  size_t Count(int dimension = 1) const { return counts_[dimension - 1]; }

  // Raise kErrSubscriptOutOfRange for an index outside the bounds or the wrong dimension.
  Variant& At(int32_t i);
  const Variant& At(int32_t i) const;
  Variant& At(int32_t i, int32_t j);
  const Variant& At(int32_t i, int32_t j) const;

  // Adds one element at the end of a one-dimensional array (ReDim Preserve by one).
  void Append(Variant value);

  const std::vector<Variant>& values() const { return values_; }

  bool operator==(const VariantArray& other) const;

 private:
  size_t Offset(int32_t i) const;
  size_t Offset(int32_t i, int32_t j) const;

  std::vector<size_t> counts_;
  std::vector<int32_t> lowers_;
  std::vector<Variant> values_;
};

// The value type of script callers: empty, null, Boolean, 16-, 32- and 64-bit integers,
// double, date, text, byte array, array and object. Conversions follow the script runtime:
// empty converts to 0 or "", null to nothing (kErrInvalidUseOfNull), text to a number only
// when it reads as one (otherwise kErrTypeMismatch), out-of-range numbers raise kErrOverflow,
// True is -1. Value type (objects inside are shared references).
class Variant {
 public:
  enum class Kind {
    kEmpty,
    kNull,
    kBool,
    kInt16,
    kInt32,
    kInt64,
    kDouble,
    kDate,
    kText,
    kBytes,
    kArray,
    kObject
  };
  struct Null {
    bool operator==(const Null&) const = default;
  };

  Variant() = default;
  Variant(Null) : value_(Null{}) {}
  Variant(bool value) : value_(value) {}
  Variant(int16_t value) : value_(value) {}
  Variant(int32_t value) : value_(value) {}
  Variant(int64_t value) : value_(value) {}
  Variant(double value) : value_(value) {}
  Variant(DateTime value) : value_(value) {}
  Variant(std::string value) : value_(std::move(value)) {}
  Variant(const char* value) : value_(std::string(value)) {}
  Variant(Bytes value) : value_(std::move(value)) {}
  Variant(VariantArray value) : value_(std::make_shared<VariantArray>(std::move(value))) {}
  Variant(ObjectRef value) : value_(std::move(value)) {}

  // Arrays are values: a copy of a Variant holding an array holds its own copy of it.
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&&) noexcept = default;
  Variant& operator=(Variant&&) noexcept = default;
  ~Variant() = default;

  static Variant MakeNull() { return Variant(Null{}); }

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool IsEmpty() const { return kind() == Kind::kEmpty; }
  bool IsNull() const { return kind() == Kind::kNull; }
  bool IsNumeric() const;
  // Whether the value is held as a number: a Boolean, an integer or a Double (not a numeric
  // text, not a date).
  bool IsNumberKind() const {
    return kind() == Kind::kBool || kind() == Kind::kInt16 || kind() == Kind::kInt32 ||
           kind() == Kind::kInt64 || kind() == Kind::kDouble;
  }
  bool IsObject() const { return kind() == Kind::kObject; }
  bool IsArray() const { return kind() == Kind::kArray; }
  // A variant holding an empty object reference ("Nothing") is an object that is nothing.
  bool IsNothing() const { return IsObject() && !std::get<ObjectRef>(value_); }

  std::string ToText() const;
  bool ToBool() const;
  int16_t ToInt16() const;
  int32_t ToInt32() const;
  int64_t ToInt64() const;
  uint8_t ToByte() const;
  double ToDouble() const;
  DateTime ToDate() const;
  Bytes ToBytes() const;

  // REQUIRES the matching kind; raise kErrTypeMismatch otherwise.
  const VariantArray& AsArray() const;
  VariantArray& AsArray();
  const ObjectRef& AsObject() const;

  // The object as `T`, or nullptr when it is not an object of that kind.
  template <class T>
  std::shared_ptr<T> As() const {
    if (!IsObject()) {
      return nullptr;
    }
    return std::dynamic_pointer_cast<T>(std::get<ObjectRef>(value_));
  }

  // The name of the kind as scripts know it ("String", "Long", "Empty").
  std::string TypeName() const;

  bool operator==(const Variant& other) const;

 private:
  std::variant<std::monostate, Null, bool, int16_t, int32_t, int64_t, double, DateTime, std::string,
               Bytes, std::shared_ptr<VariantArray>, ObjectRef>
      value_;
};

}  // namespace velmora
