#include "app/admin_runner.h"

#include <climits>

#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::app {
namespace {

constexpr const char* kSource = "velmora admin";

}  // namespace

void BadInput(const std::string& description) {
  throw Error(kErrInvalidProcedureCall, kSource, description);
}

void Missing(const std::string& description) {
  RaiseError(EnumerationErrors::NotPresent, kSource, description);
}

int32_t ParseId(const std::string& what, const std::string& value) {
  int64_t number = 0;
  if (!text::ParseInt64(value, number) || number < 1 || number > INT32_MAX) {
    BadInput(what + " must be a whole number from 1 to " + std::to_string(INT32_MAX) + ", not '" +
             value + "'");
  }
  return static_cast<int32_t>(number);
}

Variant Record(std::initializer_list<std::pair<std::string, Variant>> entries) {
  auto dictionary = std::make_shared<Dictionary>();
  for (const auto& [key, value] : entries) {
    dictionary->Add(key, value);
  }
  return Variant(ObjectRef(dictionary));
}

std::string Table(const Variant& list, const std::vector<std::string>& columns) {
  std::string out = text::Join(columns, "\t") + "\n";
  for (const Variant& row : list.AsArray().values()) {
    const auto record = row.As<Dictionary>();
    std::vector<std::string> cells;
    for (const std::string& column : columns) {
      const Variant value = record->Item(column);
      if (value.IsArray()) {
        std::vector<std::string> items;
        for (const Variant& item : value.AsArray().values()) {
          items.push_back(item.ToText());
        }
        cells.push_back(text::Join(items, ","));
      } else if (value.kind() == Variant::Kind::kBool) {
        cells.push_back(value.ToBool() ? "yes" : "no");
      } else {
        cells.push_back(value.IsNull() ? std::string() : value.ToText());
      }
    }
    out += text::Join(cells, "\t") + "\n";
  }
  return out;
}

}  // namespace velmora::app
