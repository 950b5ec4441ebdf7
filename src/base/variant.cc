#include "velmora/base/variant.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

[[noreturn]] void TypeMismatch() { throw Error(kErrTypeMismatch, "Velmora", "Type mismatch"); }
[[noreturn]] void Overflow() { throw Error(kErrOverflow, "Velmora", "Overflow"); }
[[noreturn]] void InvalidUseOfNull() {
  throw Error(kErrInvalidUseOfNull, "Velmora", "Invalid use of Null");
}
[[noreturn]] void OutOfRange() {
  throw Error(kErrSubscriptOutOfRange, "Velmora", "Subscript out of range");
}

// Rounds half to even, as the script runtime's integer conversions do.
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) {
    return floor + 1;
  }
  if (fraction < 0.5) {
    return floor;
  }
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

bool ParseDouble(std::string_view s, double& value) {
  const std::string trimmed = text::Trim(s);
  if (trimmed.empty()) {
    return false;
  }
  char* end = nullptr;
  value = std::strtod(trimmed.c_str(), &end);
  return end == trimmed.c_str() + trimmed.size() && std::isfinite(value);
}

std::string FormatDouble(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  return buffer;
}

template <class T>
T CheckedInteger(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= static_cast<double>(std::numeric_limits<T>::min()) &&
        rounded <= static_cast<double>(std::numeric_limits<T>::max()))) {
    Overflow();
  }
  return static_cast<T>(rounded);
}

template <class T>
T CheckedInteger(int64_t value) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
    Overflow();
  }
  return static_cast<T>(value);
}

}  // namespace

Variant Object::Export() const { return Variant(TypeName()); }

VariantArray::VariantArray(size_t count, int32_t lower)
    : counts_{count}, lowers_{lower}, values_(count) {}

VariantArray VariantArray::TwoDimensional(size_t count1, size_t count2, int32_t lower1,
                                          int32_t lower2) {
  VariantArray array;
  array.counts_ = {count1, count2};
  array.lowers_ = {lower1, lower2};
  array.values_.resize(count1 * count2);
  return array;
}

int32_t VariantArray::UBound(int dimension) const {
  return lowers_[dimension - 1] + static_cast<int32_t>(counts_[dimension - 1]) - 1;
}

size_t VariantArray::Offset(int32_t i) const {
  if (counts_.size() != 1 || i < lowers_[0] || i > UBound(1)) {
    OutOfRange();
  }
  return static_cast<size_t>(i - lowers_[0]);
}

size_t VariantArray::Offset(int32_t i, int32_t j) const {
  if (counts_.size() != 2 || i < lowers_[0] || i > UBound(1) || j < lowers_[1] || j > UBound(2)) {
    OutOfRange();
  }
  return static_cast<size_t>(i - lowers_[0]) + static_cast<size_t>(j - lowers_[1]) * counts_[0];
}

Variant& VariantArray::At(int32_t i) { return values_[Offset(i)]; }
const Variant& VariantArray::At(int32_t i) const { return values_[Offset(i)]; }
Variant& VariantArray::At(int32_t i, int32_t j) { return values_[Offset(i, j)]; }
const Variant& VariantArray::At(int32_t i, int32_t j) const { return values_[Offset(i, j)]; }

void VariantArray::Append(Variant value) {
  if (counts_.empty()) {
    counts_ = {0};
    lowers_ = {0};
  }
  if (counts_.size() != 1) {
    OutOfRange();
  }
  values_.push_back(std::move(value));
  ++counts_[0];
}

bool VariantArray::operator==(const VariantArray& other) const {
  return counts_ == other.counts_ && lowers_ == other.lowers_ && values_ == other.values_;
}

Variant::Variant(const Variant& other) : value_(other.value_) {
  if (auto* array = std::get_if<std::shared_ptr<VariantArray>>(&value_); array && *array) {
    *array = std::make_shared<VariantArray>(**array);
  }
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    value_ = std::move(copy.value_);
  }
  return *this;
}

bool Variant::IsNumeric() const {
  switch (kind()) {
    case Kind::kEmpty:
    case Kind::kBool:
    case Kind::kInt16:
    case Kind::kInt32:
    case Kind::kInt64:
    case Kind::kDouble:
      return true;
    case Kind::kText: {
      double ignored = 0;
      return ParseDouble(std::get<std::string>(value_), ignored);
    }
    default:
      return false;
  }
}

std::string Variant::ToText() const {
  switch (kind()) {
    case Kind::kEmpty:
      return {};
    case Kind::kNull:
      InvalidUseOfNull();
    case Kind::kBool:
      return std::get<bool>(value_) ? "True" : "False";
    case Kind::kInt16:
      return std::to_string(std::get<int16_t>(value_));
    case Kind::kInt32:
      return std::to_string(std::get<int32_t>(value_));
    case Kind::kInt64:
      return std::to_string(std::get<int64_t>(value_));
    case Kind::kDouble:
      return FormatDouble(std::get<double>(value_));
    case Kind::kDate:
      return std::get<DateTime>(value_).ToText();
    case Kind::kText:
      return std::get<std::string>(value_);
    case Kind::kBytes: {
      const Bytes& bytes = std::get<Bytes>(value_);
      return std::string(bytes.begin(), bytes.end());
    }
    default:
      TypeMismatch();
  }
}

double Variant::ToDouble() const {
  switch (kind()) {
    case Kind::kEmpty:
      return 0;
    case Kind::kNull:
      InvalidUseOfNull();
    case Kind::kBool:
      return std::get<bool>(value_) ? -1 : 0;
    case Kind::kInt16:
      return std::get<int16_t>(value_);
    case Kind::kInt32:
      return std::get<int32_t>(value_);
    case Kind::kInt64:
      return static_cast<double>(std::get<int64_t>(value_));
    case Kind::kDouble:
      return std::get<double>(value_);
    case Kind::kText: {
      const std::string& s = std::get<std::string>(value_);
      int64_t whole = 0;
      if (text::ParseInt64(s, whole)) {
        return static_cast<double>(whole);
      }
      double value = 0;
      if (!ParseDouble(s, value)) {
        TypeMismatch();
      }
      return value;
    }
    default:
      TypeMismatch();
  }
}

int64_t Variant::ToInt64() const {
  switch (kind()) {
    case Kind::kInt16:
      return std::get<int16_t>(value_);
    case Kind::kInt32:
      return std::get<int32_t>(value_);
    case Kind::kInt64:
      return std::get<int64_t>(value_);
    case Kind::kText: {
      int64_t whole = 0;
      if (text::ParseInt64(std::get<std::string>(value_), whole)) {
        return whole;
      }
      return CheckedInteger<int64_t>(ToDouble());
    }
    default:
      return CheckedInteger<int64_t>(ToDouble());
  }
}

int32_t Variant::ToInt32() const { return CheckedInteger<int32_t>(ToInt64()); }
int16_t Variant::ToInt16() const { return CheckedInteger<int16_t>(ToInt64()); }
uint8_t Variant::ToByte() const { return CheckedInteger<uint8_t>(ToInt64()); }

bool Variant::ToBool() const {
  switch (kind()) {
    case Kind::kBool:
      return std::get<bool>(value_);
    case Kind::kText: {
      const std::string& s = std::get<std::string>(value_);
      if (text::IEquals(text::TrimView(s), "True")) {
        return true;
      }
      if (text::IEquals(text::TrimView(s), "False")) {
        return false;
      }
      return ToDouble() != 0;
    }
    default:
      return ToDouble() != 0;
  }
}

DateTime Variant::ToDate() const {
  switch (kind()) {
    case Kind::kDate:
      return std::get<DateTime>(value_);
    case Kind::kNull:
      InvalidUseOfNull();
    case Kind::kText: {
      auto parsed = DateTime::Parse(std::get<std::string>(value_));
      if (!parsed) {
        TypeMismatch();
      }
      return *parsed;
    }
    default:
      TypeMismatch();
  }
}

Bytes Variant::ToBytes() const {
  switch (kind()) {
    case Kind::kBytes:
      return std::get<Bytes>(value_);
    case Kind::kText: {
      const std::string& s = std::get<std::string>(value_);
      return Bytes(s.begin(), s.end());
    }
    case Kind::kEmpty:
      return {};
    default:
      TypeMismatch();
  }
}

const VariantArray& Variant::AsArray() const {
  if (!IsArray()) {
    TypeMismatch();
  }
  return *std::get<std::shared_ptr<VariantArray>>(value_);
}

VariantArray& Variant::AsArray() {
  if (!IsArray()) {
    TypeMismatch();
  }
  return *std::get<std::shared_ptr<VariantArray>>(value_);
}

const ObjectRef& Variant::AsObject() const {
  if (!IsObject()) {
    throw Error(kErrObjectRequired, "Velmora", "Object required");
  }
  return std::get<ObjectRef>(value_);
}

std::string Variant::TypeName() const {
  switch (kind()) {
    case Kind::kEmpty:
      return "Empty";
    case Kind::kNull:
      return "Null";
    case Kind::kBool:
      return "Boolean";
    case Kind::kInt16:
      return "Integer";
    case Kind::kInt32:
      return "Long";
    case Kind::kInt64:
      return "LongLong";
    case Kind::kDouble:
      return "Double";
    case Kind::kDate:
      return "Date";
    case Kind::kText:
      return "String";
    case Kind::kBytes:
      return "Byte()";
    case Kind::kArray:
      return "Variant()";
    case Kind::kObject: {
      const ObjectRef& object = std::get<ObjectRef>(value_);
      return object ? object->TypeName() : "Nothing";
    }
  }
  return "Unknown";
}

bool Variant::operator==(const Variant& other) const {
  if (kind() != other.kind()) {
    return false;
  }
  if (IsArray()) {
    return AsArray() == other.AsArray();
  }
  return value_ == other.value_;
}

}  // namespace velmora
