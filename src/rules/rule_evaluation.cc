// Evaluating one rule of Velmora.Rules: plug-in rules, line rules, lines and conditions.
#include <optional>
#include <set>
#include <string>

#include "core/date_parser.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "routing/node_queries.h"
#include "rules/rule_rows.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"
#include "velmora/rules/rules.h"

namespace velmora {
namespace {

using rules::NumberField;
using rules::TextField;

constexpr int32_t kAndRule = static_cast<int32_t>(RuleLogic::ANDRULE);
constexpr int32_t kOrRule = static_cast<int32_t>(RuleLogic::ORRULE);
constexpr int32_t kStringField = static_cast<int32_t>(FieldType::STRINGFIELD);
constexpr int32_t kNumericField = static_cast<int32_t>(FieldType::NUMERICFIELD);
constexpr int32_t kDateField = static_cast<int32_t>(FieldType::DATEFIELD);
constexpr int32_t kFixedText = static_cast<int32_t>(TagAttrXsl::FIXEDTEXT);

bool OnRule(const db::Recordset& rows, int32_t rule) {
  return !rows.IsEOF() && NumberField(rows, "RULEID") == rule;
}

// The value `pattern` (read as `kind`) selects in `doc`; "" when it selects nothing.
std::string Select(const xml::Document& doc, int32_t kind, const std::string& pattern) {
  return routing::node_queries::FirstText(
      doc, routing::node_queries::QueryFor(static_cast<TagAttrXsl>(kind), pattern));
}

// The number a text reads as, or null.
Variant AsNumber(const Variant& value) {
  if (value.IsNull() || !value.IsNumeric()) {
    return Variant::MakeNull();
  }
  return Variant(value.ToDouble());
}

// Negative, zero or positive as `a` is below, equal to or above `b`: numbers numerically, texts
// character by character with case.
int Order(const Variant& a, const Variant& b) {
  if (a.kind() == Variant::Kind::kDouble && b.kind() == Variant::Kind::kDouble) {
    const double x = a.ToDouble();
    const double y = b.ToDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  const int order = a.ToText().compare(b.ToText());
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

bool Rules::ExecuteRule(int32_t ruleId, const xml::Document& doc, db::Recordset& rows,
                        int32_t& locale) {
  bool plug_in = false;
  try {
    plug_in = !TextField(rows, "METHODCALL").empty();
  } catch (...) {
    core::ReportError("Velmora.Rules.ExecuteRule");
  }
  if (plug_in) {
    return ExecutePlugInRule(ruleId, doc, rows);
  }
  try {
    const int32_t logic = NumberField(rows, "RULELOGIC");
    bool result = false;
    for (; OnRule(rows, ruleId); rows.MoveNext()) {
      if (rows.Field("LINEID").IsNull()) {
        continue;
      }
      const bool holds = ExecuteRuleLine(
          TextField(rows, "XSLPATTERN"), NumberField(rows, "CONDITION"),
          NumberField(rows, "COMPARETYPE"), TextField(rows, "VALUE"),
          NumberField(rows, "FIELDTYPE"), NumberField(rows, "TAGATTRXSL"), doc, locale);
      if (holds) {
        result = true;
        if (logic == kOrRule) {
          break;
        }
      } else if (logic == kAndRule) {
        result = false;
        break;
      }
    }
    return result;
  } catch (...) {
    core::ReportError("Velmora.Rules.ExecuteRule");
  }
  return false;
}

// The plug-in decides: it receives the document values the rule's lines select, in line
// order, as an array of texts from 0; a line that stands on several rows (one per send method
// of the rule) gives one value. Utility::CallMethod raises whenever the plug-in gives no
// Boolean answer (missing, refused arguments, or an answer that is not true or false); that
// failure is reported with the method, the arguments and the rule.
bool Rules::ExecutePlugInRule(int32_t ruleId, const xml::Document& doc, db::Recordset& rows) {
  Utility utility;
  std::string method;
  std::string description;
  Variant arguments(VariantArray(0));
  return core::Guarded(
      "Velmora.Rules.ExecuteRule",
      [&]() -> bool {
        method = TextField(rows, "METHODCALL");
        description = TextField(rows, "DESCRIPTION");
        std::set<int32_t> lines;
        for (; OnRule(rows, ruleId); rows.MoveNext()) {
          if (!rows.Field("LINEID").IsNull() && lines.insert(NumberField(rows, "LINEID")).second) {
            arguments.AsArray().Append(Variant(
                Select(doc, NumberField(rows, "TAGATTRXSL"), TextField(rows, "XSLPATTERN"))));
          }
        }
        return utility.CallMethod(method, arguments);
      },
      [&] {
        return Variant("Method '" + method + "' " + "with arguments '" +
                       utility.MakeStringFromArray(arguments) +
                       "' did not return true or false while executing rule '" + description +
                       "' with id = " + std::to_string(ruleId));
      });
}

bool Rules::ExecuteRuleLine(const std::string& xslPattern, int32_t condition, int32_t compareType,
                            const std::string& value, int32_t fieldType, int32_t tagAttrXsl,
                            const xml::Document& doc, int32_t& locale) {
  std::string document_text;
  try {
    Variant compare(value);
    if (compareType != kFixedText) {
      compare = Variant(Select(doc, compareType, value));
      if (fieldType == kDateField) {
        const auto date = NormaliseDate(compare.ToText(), locale);
        compare = date ? Variant(*date) : Variant::MakeNull();
      }
    }
    document_text = Select(doc, tagAttrXsl, xslPattern);
    Variant document =
        text::Trim(document_text).empty() ? Variant::MakeNull() : Variant(document_text);
    if (fieldType == kNumericField) {
      document = AsNumber(document);
      compare = AsNumber(compare);
    } else if (fieldType == kDateField) {
      if (compare.IsNull() || text::Trim(compare.ToText()).empty()) {
        return false;
      }
      if (!document.IsNull()) {
        const auto date = NormaliseDate(document.ToText(), locale);
        document = date ? Variant(*date) : Variant::MakeNull();
      }
    } else if (fieldType != kStringField) {
      return false;
    }
    if (document.IsNull() || compare.IsNull()) {
      return false;
    }
    return ExecuteRuleLineCondition(document, compare, fieldType, condition);
  } catch (...) {
    std::string condition_text;
    try {
      condition_text = ConvertConditionString(condition);
    } catch (const Error&) {
      condition_text = std::to_string(condition);
    }
    core::ReportError(
        "Velmora.Rules.ExecuteRuleLine",
        Variant("Error comparing " + ConvertFieldTypeString(fieldType) + " values: '" +
                document_text + "' " + condition_text + " '" + value + "'"));
  }
  return false;
}

bool Rules::ExecuteRuleLineCondition(const Variant& documentValue, const Variant& compareValue,
                                     int32_t fieldType, int32_t condition) {
  const bool occurrence = condition >= static_cast<int32_t>(Condition::PARTOF) &&
                          condition <= static_cast<int32_t>(Condition::NOTCONTAINS);
  if (condition < static_cast<int32_t>(Condition::ISEXACTLY) ||
      condition > static_cast<int32_t>(Condition::NOTCONTAINS) ||
      (occurrence && fieldType != kStringField)) {
    // The failure has no number of its own: InvalidParamValue, since the stored line is what
    // is wrong.
    RaiseError(EnumerationErrors::InvalidParamValue, "Velmora.Rules.ExecuteRuleLineCondition",
               core::GetLabel("ZODAR5699"));
  }
  if (occurrence) {
    const std::string d = documentValue.ToText();
    const std::string v = compareValue.ToText();
    switch (static_cast<Condition>(condition)) {
      case Condition::PARTOF:
        return text::IFind(v, d) != std::string::npos;
      case Condition::NOTPARTOF:
        return text::IFind(v, d) == std::string::npos;
      case Condition::CONTAINS:
        return text::IFind(d, v) != std::string::npos;
      default:
        return text::IFind(d, v) == std::string::npos;
    }
  }
  const int order = Order(documentValue, compareValue);
  switch (static_cast<Condition>(condition)) {
    case Condition::ISEXACTLY:
      return order == 0;
    case Condition::GREATERTHAN:
      return order > 0;
    case Condition::GREATEREQUAL:
      return order >= 0;
    case Condition::LOWERTHAN:
      return order < 0;
    case Condition::LOWEREQUAL:
      return order <= 0;
    default:
      return order != 0;
  }
}

std::optional<std::string> Rules::NormaliseDate(const std::string& text, int32_t& locale) {
  if (locale == 0) {
    locale = core::SystemDefaultLocaleId();
  }
  const auto date = core::ParseDateInLocale(text, locale);
  if (!date) {
    return std::nullopt;
  }
  return DateToXSLPatternString(Variant(*date));
}

}  // namespace velmora
