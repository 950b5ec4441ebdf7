#include "automation/reply_values.h"

#include <memory>

#include "velmora/base/dictionary.h"
#include "velmora/db/recordset.h"

namespace velmora::automation {
namespace {

Variant RecordsetForm(db::Recordset& recordset) {
  if (!recordset.IsOpen()) {
    return Variant::MakeNull();
  }
  const int32_t field_count = recordset.FieldCount();
  VariantArray columns(static_cast<size_t>(field_count));
  for (int32_t i = 0; i < field_count; ++i) {
    columns.At(i) = Variant(recordset.FieldName(i));
  }
  VariantArray rows(0);
  if (!recordset.IsEOF()) {
    // GetRows gives one array per field; a reply lists one array per row.
    const VariantArray fields = recordset.GetRows();
    const auto row_count = static_cast<int32_t>(fields.Count(2));
    rows = VariantArray(static_cast<size_t>(row_count));
    for (int32_t r = 0; r < row_count; ++r) {
      VariantArray row(static_cast<size_t>(field_count));
      for (int32_t f = 0; f < field_count; ++f) {
        row.At(f) = fields.At(f, r);
      }
      rows.At(r) = Variant(std::move(row));
    }
  }
  auto form = std::make_shared<Dictionary>();
  form->Add("columns", Variant(std::move(columns)));
  form->Add("rows", Variant(std::move(rows)));
  return Variant(ObjectRef(form));
}

VariantArray ArrayForReply(const VariantArray& array) {
  VariantArray out = array;
  if (array.dimensions() == 1) {
    for (int32_t i = array.LBound(1); i <= array.UBound(1); ++i) {
      out.At(i) = ReplyValue(array.At(i));
    }
  } else if (array.dimensions() == 2) {
    for (int32_t i = array.LBound(1); i <= array.UBound(1); ++i) {
      for (int32_t j = array.LBound(2); j <= array.UBound(2); ++j) {
        out.At(i, j) = ReplyValue(array.At(i, j));
      }
    }
  }
  return out;
}

}  // namespace

Variant ReplyValue(const Variant& value) {
  if (value.IsArray()) {
    return Variant(ArrayForReply(value.AsArray()));
  }
  if (auto recordset = value.As<db::Recordset>()) {
    return RecordsetForm(*recordset);
  }
  if (auto dictionary = value.As<Dictionary>()) {
    auto out = std::make_shared<Dictionary>();
    for (const auto& [key, item] : dictionary->entries()) {
      out->Add(key, ReplyValue(item));
    }
    return Variant(ObjectRef(out));
  }
  return value;
}

}  // namespace velmora::automation
