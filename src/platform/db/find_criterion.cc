#include "platform/db/find_criterion.h"

#include <cctype>
#include <cstdlib>

#include "platform/db/errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::db {
namespace {

[[noreturn]] void BadCriterion(std::string_view criterion, std::string_view why) {
  RaiseDbError(kErrDbBadArgument, "The Find criterion \"" + std::string(criterion) +
                                      "\" cannot be read: " + std::string(why));
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.' ||
         static_cast<unsigned char>(c) >= 0x80;
}

void SkipBlanks(std::string_view s, size_t& pos) {
  while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) {
    ++pos;
  }
}

// Reads a whole number or decimal; nullopt-like empty Variant when the text is not one.
Variant ReadNumber(std::string_view s) {
  int64_t integer = 0;
  if (text::ParseInt64(s, integer)) {
    return Variant(integer);
  }
  std::string copy(s);
  char* end = nullptr;
  double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || end != copy.c_str() + copy.size() ||
      !(std::isdigit(static_cast<unsigned char>(copy.back())) || copy.back() == '.')) {
    return Variant();
  }
  return Variant(value);
}

// Glob match with "*" and "%" for any run of characters.
bool Like(std::string_view value, std::string_view pattern) {
  size_t v = 0;
  size_t p = 0;
  size_t star = std::string_view::npos;
  size_t resume = 0;
  while (v < value.size()) {
    if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
      star = p++;
      resume = v;
    } else if (p < pattern.size() && pattern[p] == value[v]) {
      ++p;
      ++v;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      v = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
    ++p;
  }
  return p == pattern.size();
}

template <class T>
bool Compare(FindCriterion::Operator op, const T& a, const T& b) {
  switch (op) {
    case FindCriterion::Operator::kEqual:
      return a == b;
    case FindCriterion::Operator::kNotEqual:
      return a != b;
    case FindCriterion::Operator::kLess:
      return a < b;
    case FindCriterion::Operator::kGreater:
      return a > b;
    case FindCriterion::Operator::kLessOrEqual:
      return a <= b;
    case FindCriterion::Operator::kGreaterOrEqual:
      return a >= b;
    case FindCriterion::Operator::kLike:
      return false;
  }
  return false;
}

}  // namespace

FindCriterion ParseFindCriterion(std::string_view criterion) {
  std::string_view s = text::TrimView(criterion);
  FindCriterion result;
  size_t pos = 0;
  if (pos < s.size() && s[pos] == '[') {
    size_t close = s.find(']', pos);
    if (close == std::string_view::npos) {
      BadCriterion(criterion, "the column name has no closing bracket");
    }
    result.column = std::string(s.substr(1, close - 1));
    pos = close + 1;
  } else {
    while (pos < s.size() && IsNameChar(s[pos])) {
      ++pos;
    }
    result.column = std::string(s.substr(0, pos));
  }
  if (result.column.empty()) {
    BadCriterion(criterion, "it does not start with a column name");
  }
  SkipBlanks(s, pos);
  std::string_view rest = s.substr(pos);
  static constexpr std::pair<std::string_view, FindCriterion::Operator> kOperators[] = {
      {"<>", FindCriterion::Operator::kNotEqual},
      {"<=", FindCriterion::Operator::kLessOrEqual},
      {">=", FindCriterion::Operator::kGreaterOrEqual},
      {"=", FindCriterion::Operator::kEqual},
      {"<", FindCriterion::Operator::kLess},
      {">", FindCriterion::Operator::kGreater},
  };
  bool found = false;
  for (const auto& [symbol, op] : kOperators) {
    if (rest.starts_with(symbol)) {
      result.op = op;
      pos += symbol.size();
      found = true;
      break;
    }
  }
  if (!found && text::IStartsWith(rest, "LIKE") &&
      (rest.size() == 4 || std::isspace(static_cast<unsigned char>(rest[4])) || rest[4] == '\'')) {
    result.op = FindCriterion::Operator::kLike;
    pos += 4;
    found = true;
  }
  if (!found) {
    BadCriterion(criterion, "no comparison operator follows the column name");
  }
  SkipBlanks(s, pos);
  std::string_view value = s.substr(pos);
  if (value.empty()) {
    BadCriterion(criterion, "no value follows the operator");
  }
  if (value.front() == '\'') {
    std::string literal;
    size_t i = 1;
    bool closed = false;
    while (i < value.size()) {
      if (value[i] == '\'') {
        if (i + 1 < value.size() && value[i + 1] == '\'') {
          literal += '\'';
          i += 2;
          continue;
        }
        closed = true;
        ++i;
        break;
      }
      literal += value[i++];
    }
    if (!closed) {
      BadCriterion(criterion, "the quoted value is not closed");
    }
    if (!text::TrimView(value.substr(i)).empty()) {
      BadCriterion(criterion, "text follows the quoted value");
    }
    result.value = Variant(std::move(literal));
    return result;
  }
  if (result.op == FindCriterion::Operator::kLike) {
    BadCriterion(criterion, "LIKE needs a quoted pattern");
  }
  result.value = ReadNumber(value);
  if (result.value.IsEmpty()) {
    BadCriterion(criterion, "the value is neither a quoted text nor a number");
  }
  return result;
}

bool MatchesCriterion(const FindCriterion& criterion, const Variant& field) {
  if (field.IsNull() || field.IsEmpty()) {
    return false;
  }
  if (criterion.value.kind() == Variant::Kind::kText) {
    if (field.IsArray() || field.IsObject()) {
      return false;
    }
    std::string field_text = field.ToText();
    const std::string& wanted = criterion.value.ToText();
    if (criterion.op == FindCriterion::Operator::kLike) {
      return Like(field_text, wanted);
    }
    return Compare(criterion.op, field_text, wanted);
  }
  double wanted = criterion.value.ToDouble();
  if (field.IsNumberKind()) {
    return Compare(criterion.op, field.ToDouble(), wanted);
  }
  if (field.kind() == Variant::Kind::kText) {
    Variant number = ReadNumber(text::TrimView(field.ToText()));
    return !number.IsEmpty() && Compare(criterion.op, number.ToDouble(), wanted);
  }
  return false;
}

}  // namespace velmora::db
