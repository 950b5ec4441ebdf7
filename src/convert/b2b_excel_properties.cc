// B2BExcel: single custom document properties.
#include <optional>
#include <string>

#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/publication_errors.h"
#include "velmora/base/date_time.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"

namespace velmora {
namespace {

constexpr const char* kSetSource = "Velmora.B2BExcel.SetCustomerPropertyInExcel";

sheet::Workbook& RequireBook(const WorkBookRef& workbook, const char* source) {
  if (!workbook) {
    throw Error(kErrObjectRequired, source, "Object required: no workbook was given");
  }
  return workbook->Book();
}

std::string ValueText(const Variant& value) {
  return value.IsEmpty() || value.IsNull() ? std::string() : value.ToText();
}

// The property as it will be stored, or nullopt when the type is unknown or the value does not
// fit it. Booleans: true/yes/1 and false/no/0, case and blanks ignored, or a Boolean value.
std::optional<sheet::CustomProperty> TypedProperty(const std::string& name, const Variant& value,
                                                   const std::string& type) {
  const std::string kind = text::ToLower(type);
  const std::string content = text::Trim(ValueText(value));
  if (kind == "text") {
    return sheet::CustomProperty{name, sheet::PropertyType::kText, Variant(ValueText(value))};
  }
  if (kind == "number") {
    if (content.empty() || !Variant(content).IsNumeric()) {
      return std::nullopt;
    }
    return sheet::CustomProperty{name, sheet::PropertyType::kNumber,
                                 Variant(Variant(content).ToDouble())};
  }
  if (kind == "date") {
    if (value.kind() == Variant::Kind::kDate) {
      return sheet::CustomProperty{name, sheet::PropertyType::kDate, value};
    }
    const auto date = DateTime::Parse(content);
    if (!date) {
      return std::nullopt;
    }
    return sheet::CustomProperty{name, sheet::PropertyType::kDate, Variant(*date)};
  }
  if (kind == "boolean") {
    const std::string lowered = text::ToLower(content);
    if (lowered == "true" || lowered == "yes" || lowered == "1") {
      return sheet::CustomProperty{name, sheet::PropertyType::kBoolean, Variant(true)};
    }
    if (lowered == "false" || lowered == "no" || lowered == "0") {
      return sheet::CustomProperty{name, sheet::PropertyType::kBoolean, Variant(false)};
    }
  }
  return std::nullopt;
}

void RecordPropertyError(int32_t docId, const std::string& label, const Dictionary& replacements) {
  core::XmlDocumentRef replacements_xml = core::NewReplacementsXml();
  core::FillReplacementsXml(replacements_xml, replacements);
  core::LogPublicationError(docId, ErrNumber(EnumerationErrors::InsertExcelError),
                            core::GetLabelForMessage(label, replacements), kSetSource, label,
                            replacements_xml);
}

}  // namespace

void B2BExcel::SetCustomerPropertyInExcel(const WorkBookRef& workbook,
                                          const std::string& propertyName,
                                          const Variant& propertyValue,
                                          const std::string& propertyType) {
  core::Guarded(kSetSource, [&] {
    sheet::Workbook& book = RequireBook(workbook, kSetSource);
    Dictionary replacements;
    replacements.Add("[%PROPERTY%]", Variant(propertyName));
    replacements.Add("[%PROPERTYTYPE%]", Variant(propertyType));
    const auto property = TypedProperty(propertyName, propertyValue, propertyType);
    if (!property) {
      RecordPropertyError(doc_id_, "ZODAR4533", replacements);
      return;
    }
    const std::string wanted = text::ToLower(propertyName);
    for (const sheet::CustomProperty& existing : book.CustomProperties()) {
      if (text::ToLower(existing.name) != wanted) {
        continue;
      }
      if (existing.type != property->type) {
        replacements.Add("[%EXCELPROPERTYTYPE%]", Variant(static_cast<int32_t>(existing.type)));
        replacements.Add("[%EXCELPROPERTYNAME%]", Variant(existing.name));
        RecordPropertyError(doc_id_, "ZODAR4534", replacements);
        return;
      }
      book.SetCustomProperty(sheet::CustomProperty{existing.name, property->type, property->value});
      return;
    }
    book.SetCustomProperty(*property);
  });
}

Variant B2BExcel::GetCustomerPropertyFromExcel(const WorkBookRef& workbook,
                                               const std::string& propertyName) {
  return core::Guarded("Velmora.B2BExcel.GetCustomerPropertyFromExcel", [&]() -> Variant {
    constexpr const char* kGetSource = "Velmora.B2BExcel.GetCustomerPropertyFromExcel";
    for (const sheet::CustomProperty& property :
         RequireBook(workbook, kGetSource).CustomProperties()) {
      if (property.name == propertyName) {
        return property.value;
      }
    }
    return Variant("");
  });
}

}  // namespace velmora
