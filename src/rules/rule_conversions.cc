// The enumeration and date conversions of Velmora.Rules.
#include <string>

#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/rules/rules.h"

namespace velmora {
namespace {

// `value` when it lies in first ... last, else 0.
int16_t Member(int32_t value, int32_t first, int32_t last) {
  return value >= first && value <= last ? static_cast<int16_t>(value) : int16_t{0};
}

// Reads `count` digits of `text` from `pos`.
bool ReadDigits(const std::string& text, size_t pos, size_t count, int& value) {
  value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

int16_t Rules::GetRuleType_SENDMETHODRULE() {
  return static_cast<int16_t>(RuleType::SENDMETHODRULE);
}
int16_t Rules::GetRuleType_DOCUMENTTYPERULE() {
  return static_cast<int16_t>(RuleType::DOCUMENTTYPERULE);
}
int16_t Rules::GetRuleType_SENDERIDRULE() { return static_cast<int16_t>(RuleType::SENDERIDRULE); }
int16_t Rules::GetRuleType_RECIPIENTIDRULE() {
  return static_cast<int16_t>(RuleType::RECIPIENTIDRULE);
}

int16_t Rules::ConvertRuleLogicEnum(const std::string& value) {
  if (value == "AND") {
    return static_cast<int16_t>(RuleLogic::ANDRULE);
  }
  if (value == "OR") {
    return static_cast<int16_t>(RuleLogic::ORRULE);
  }
  return 0;
}

int16_t Rules::ConvertRuleTypeEnum(int32_t value) { return Member(value, 1, 4); }
int16_t Rules::ConvertFieldTypeEnum(int32_t value) { return Member(value, 1, 3); }
int16_t Rules::ConvertTagAttrXslEnum(int32_t value) { return Member(value, 1, 4); }
int16_t Rules::ConvertConditionEnum(int32_t value) { return Member(value, 1, 10); }

std::string Rules::ConvertFieldTypeString(int32_t value) {
  switch (value) {
    case 1:
      return "string";
    case 2:
      return "numeric";
    case 3:
      return "date";
    default:
      return "";
  }
}

std::string Rules::ConvertConditionString(int32_t value) {
  return core::Guarded("Velmora.Rules.ConvertConditionString", [&]() -> std::string {
    static constexpr const char* kOperators[] = {"=", ">", ">=", "<", "<=", "<>"};
    static constexpr const char* kLabels[] = {"ZODAR5626", "ZODAR5627", "ZODAR5628", "ZODAR5629"};
    if (value >= 1 && value <= 6) {
      return kOperators[value - 1];
    }
    if (value >= 7 && value <= 10) {
      return core::GetLabel(kLabels[value - 7]);
    }
    return "";
  });
}

std::string Rules::DateToXSLPatternString(const Variant& i_vDate) {
  return core::Guarded("Velmora.Rules.DateToXSLPatternString",
                       [&]() -> std::string { return i_vDate.ToDate().DateText(); });
}

Variant Rules::XSLPatternStringToDate(const Variant& i_vDate) {
  return core::Guarded("Velmora.Rules.XSLPatternStringToDate", [&]() -> Variant {
    const std::string value = text::Trim(i_vDate.ToText());
    DateTime date{};
    date.hour = date.minute = date.second = 0;
    if (value.size() == 10 && ReadDigits(value, 0, 4, date.year) &&
        ReadDigits(value, 5, 2, date.month) && ReadDigits(value, 8, 2, date.day) &&
        date.IsValid()) {
      return Variant(date);
    }
    Dictionary replacements;
    replacements.Add("[%DATE%]", Variant(value));
    // The failure has no number of its own: InvalidParamValue, since the caller's text is
    // what is wrong.
    RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Rules.XSLPatternStringToDate",
               core::GetLabel("ZODAR5698", 0, &replacements));
    return Variant::MakeNull();
  });
}

}  // namespace velmora
