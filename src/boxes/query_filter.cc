// The filters of SQLQueries.GetDocListQuery: a filter name chosen by the page (a qualified
// column and an operator) followed by the filter value as a checked literal.
#include <regex>
#include <string>

#include "boxes/doc_list_query.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "routing/recipients/publication_lookups.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"

namespace velmora::boxes {
namespace {

constexpr int32_t kMaxDocumentId = 999999999;

enum class Operator { kComparison, kLike };

// "TABLE.COLUMN" followed by one comparison operator, or by LIKE after a blank.
bool IsFilterName(const std::string& name, Operator op) {
  static const std::regex kComparison(
      R"(^ *[A-Za-z_][A-Za-z0-9_]*\.[A-Za-z_][A-Za-z0-9_]* *(=|<>|!=|<=|>=|<|>) *$)");
  static const std::regex kLike(R"(^ *[A-Za-z_][A-Za-z0-9_]*\.[A-Za-z_][A-Za-z0-9_]* +LIKE *$)",
                                std::regex::icase);
  return std::regex_match(name, op == Operator::kLike ? kLike : kComparison);
}

// Refuses a filter name that is not a qualified column with the operator its filter needs, so
// that nothing but a column and an operator reaches the SQL from the name.
void CheckFilterName(const std::string& name, Operator op, const std::string& source,
                     ErrorList& errors) {
  if (IsFilterName(name, op)) {
    return;
  }
  errors[0] = "The filter name '" + name + "' is not allowed.";
  errors[1] = op == Operator::kLike
                  ? "A text filter is named by a qualified column followed by LIKE, for example "
                    "'DOCUMENT.SENDER LIKE'."
                  : "A filter is named by a qualified column followed by one of =, <>, !=, <, "
                    "<=, > or >=, for example 'DOCUMENT.DOCUMENTID ='.";
  RaiseError(EnumerationErrors::InvalidParamValue, source, errors[0]);
}

// Fills the main message and the hint of a refused value and raises it.
[[noreturn]] void RejectValue(const std::string& field_label, const std::string& hint,
                              const std::string& source, ErrorList& errors) {
  Dictionary field;
  field.Add("[%FIELD%]", Variant(core::GetLabel(field_label)));
  errors[0] = core::GetLabel("ZODAR1121", 0, &field);
  errors[1] = hint;
  RaiseError(EnumerationErrors::InvalidParamValue, source, errors[0]);
}

bool ProcessLikeForQueryFilter(const std::string& name, const Variant& value, std::string& filter,
                               ErrorList& errors) {
  constexpr const char* kPath = "Velmora.SQLQueries.ProcessLikeForQueryFilter";
  return core::Guarded(kPath, [&]() -> bool {
    if (text::IFind(name, "like") == std::string::npos) {
      return false;
    }
    CheckFilterName(name, Operator::kLike, kPath, errors);
    filter += " AND ( " + name + core::SqlLikeText(value.ToText()) + " )";
    return true;
  });
}

bool ProcessDocumentIDFilterForQueryFilter(const std::string& name, const Variant& value,
                                           std::string& filter, ErrorList& errors) {
  constexpr const char* kPath = "Velmora.SQLQueries.ProcessDocumentIDFilterForQueryFilter";
  return core::Guarded(kPath, [&]() -> bool {
    if (text::IFind(name, "documentid") == std::string::npos) {
      return false;
    }
    CheckFilterName(name, Operator::kComparison, kPath, errors);
    if (!value.IsNumeric() || value.ToDouble() < 0 || value.ToDouble() > kMaxDocumentId) {
      Dictionary range;
      range.Add("[%MIN%]", Variant("1"));
      range.Add("[%MAX%]", Variant(std::to_string(kMaxDocumentId)));
      RejectValue("ZODAR1104", core::GetLabel("ZODAR1126", 0, &range), kPath, errors);
    }
    filter += " AND ( " + name + core::SqlLong(value.ToInt32()) + " ) ";
    return true;
  });
}

// The status filters of the out box (document statuses) and the inbox (publication statuses).
bool ProcessStatusFilter(int32_t mode, const std::string& name, const Variant& value,
                         std::string& filter, ErrorList& errors, const char* path) {
  return core::Guarded(path, [&]() -> bool {
    if (text::IFind(name, ".status") == std::string::npos) {
      return false;
    }
    CheckFilterName(name, Operator::kComparison, path, errors);
    const char* hint_label = mode == kOutBox ? "ZODAR1123" : "ZODAR1125";
    std::string status_text = value.ToText();
    if (status_text.find('*') != std::string::npos) {
      errors[2] = core::GetLabel("ZODAR1124");
      RejectValue("ZODAR0803", core::GetLabel(hint_label), path, errors);
    }
    const int32_t status =
        mode == kOutBox
            ? static_cast<int32_t>(Document().ConvertStatusFromStringToEnum(status_text))
            : static_cast<int32_t>(recipients::StatusNamed(status_text));
    if (status == -1) {
      RejectValue("ZODAR0803", core::GetLabel(hint_label), path, errors);
    }
    filter += " AND ( " + name + std::to_string(status) + " )";
    return true;
  });
}

bool ProcessDocumentStatusFilterForQueryFilter(const std::string& name, const Variant& value,
                                               std::string& filter, ErrorList& errors) {
  return ProcessStatusFilter(kOutBox, name, value, filter, errors,
                             "Velmora.SQLQueries.ProcessDocumentStatusFilterForQueryFilter");
}

bool ProcessPublicationStatusFilterForQueryFilter(const std::string& name, const Variant& value,
                                                  std::string& filter, ErrorList& errors) {
  return ProcessStatusFilter(kInBox, name, value, filter, errors,
                             "Velmora.SQLQueries.ProcessPublicationStatusFilterForQueryFilter");
}

}  // namespace

std::string GetQueryFilter(int32_t mode, const VariantArray& names, const VariantArray& values,
                           int32_t count, ErrorList& errors) {
  return core::Guarded("Velmora.SQLQueries.GetQueryFilter", [&]() -> std::string {
    std::string filter;
    for (int32_t d = 1; d <= count; ++d) {
      const std::string name = names.At(d).ToText();
      const Variant& value = values.At(d);
      if (ProcessLikeForQueryFilter(name, value, filter, errors) ||
          ProcessDocumentIDFilterForQueryFilter(name, value, filter, errors)) {
        continue;
      }
      if (mode == kOutBox) {
        ProcessDocumentStatusFilterForQueryFilter(name, value, filter, errors);
      } else if (mode == kInBox) {
        ProcessPublicationStatusFilterForQueryFilter(name, value, filter, errors);
      }
    }
    return filter;
  });
}

}  // namespace velmora::boxes
