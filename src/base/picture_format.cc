#include "velmora/base/picture_format.h"

#include <optional>
#include <string>

#include "base/picture_parts.h"
#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

using pictures::FormatDate;
using pictures::FormatNumber;
using pictures::FormatText;
using pictures::GeneralDate;
using pictures::HoldsAny;

std::string DefaultText(const Variant& value) {
  if (value.kind() == Variant::Kind::kDate) {
    return GeneralDate(value.ToDate());
  }
  return value.ToText();
}

bool IsNumberValue(const Variant& value) {
  return value.IsNumberKind() || (value.kind() == Variant::Kind::kText && value.IsNumeric());
}

std::optional<DateTime> DateValue(const Variant& value) {
  if (value.kind() == Variant::Kind::kDate) {
    return value.ToDate();
  }
  if (value.kind() == Variant::Kind::kText) {
    return DateTime::Parse(text::Trim(value.ToText()));
  }
  return std::nullopt;
}

// A named picture applied to `value`, or nullopt when `name` names none.
std::optional<std::string> FormatNamed(const Variant& value, const std::string& name) {
  struct Named {
    const char* name;
    const char* picture;
    bool date;
  };
  static constexpr Named kNamed[] = {
      {"Currency", "$#,##0.00;($#,##0.00)", false},
      {"Fixed", "0.00", false},
      {"Standard", "#,##0.00", false},
      {"Percent", "0.00%", false},
      {"Scientific", "0.00E+00", false},
      {"Long Date", "dddd, mmmm d, yyyy", true},
      {"Medium Date", "dd-mmm-yy", true},
      {"Short Date", "yyyy-mm-dd", true},
      {"Long Time", "hh:nn:ss", true},
      {"Medium Time", "hh:nn AM/PM", true},
      {"Short Time", "hh:nn", true},
  };
  for (const Named& named : kNamed) {
    if (text::IEquals(name, named.name)) {
      return named.date ? FormatDate(value.ToDate(), named.picture)
                        : FormatNumber(value.ToDouble(), named.picture);
    }
  }
  static constexpr const char* kChoices[][3] = {
      {"Yes/No", "Yes", "No"}, {"True/False", "True", "False"}, {"On/Off", "On", "Off"}};
  for (const auto& choice : kChoices) {
    if (text::IEquals(name, choice[0])) {
      return std::string(value.ToDouble() != 0 ? choice[1] : choice[2]);
    }
  }
  if (text::IEquals(name, "General Number")) {
    return Variant(value.ToDouble()).ToText();
  }
  if (text::IEquals(name, "General Date")) {
    std::optional<DateTime> date = DateValue(value);
    return date ? GeneralDate(*date) : DefaultText(value);
  }
  return std::nullopt;
}

}  // namespace

Variant FormatPicture(const Variant& value, const Variant& picture) {
  if (value.IsNull()) {
    return Variant::MakeNull();
  }
  if (value.IsEmpty()) {
    return Variant(std::string());
  }
  const std::string picture_text =
      picture.IsNull() || picture.IsEmpty() ? std::string() : picture.ToText();
  if (picture_text.empty()) {
    return Variant(DefaultText(value));
  }
  if (std::optional<std::string> named = FormatNamed(value, picture_text)) {
    return Variant(*named);
  }
  if (HoldsAny(picture_text, "@&")) {
    return Variant(FormatText(DefaultText(value), picture_text));
  }
  const bool digit_picture = HoldsAny(picture_text, "0#");
  if (IsNumberValue(value) && (digit_picture || !HoldsAny(picture_text, "cdwmqyhnst"))) {
    return Variant(FormatNumber(value.ToDouble(), picture_text));
  }
  if (std::optional<DateTime> date = DateValue(value)) {
    return Variant(FormatDate(*date, picture_text));
  }
  if (IsNumberValue(value)) {
    return Variant(FormatNumber(value.ToDouble(), picture_text));
  }
  return Variant(value.ToText());
}

}  // namespace velmora
