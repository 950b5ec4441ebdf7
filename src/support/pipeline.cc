#include "velmora/support/pipeline.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/sql_literals.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

bool IsSimple(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kBool:
    case Variant::Kind::kInt16:
    case Variant::Kind::kInt32:
    case Variant::Kind::kInt64:
    case Variant::Kind::kDouble:
    case Variant::Kind::kDate:
    case Variant::Kind::kText:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool Pipeline::Exists(const Variant& origin, const VariantArray& keys, const VariantArray& values) {
  try {
    bool result = true;
    const std::string kind = text::ToUpper(origin.ToText());
    std::string key_name;
    bool by_number = false;
    if (kind == host::kOriginBusinessPartner) {
      key_name = "BUSINESSPARTNERID";
      by_number = true;
    } else if (kind == host::kOriginDocumentType) {
      key_name = "DOCUMENTTYPEID";
    } else {
      return true;
    }
    if (keys.dimensions() != 1) {
      return true;
    }
    for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
      if (keys.At(i).ToText() != key_name) {
        continue;
      }
      const Variant& value = values.At(i);
      const std::string sql =
          by_number ? "SELECT BUSINESSPARTNERID FROM SENDMETHOD WHERE BUSINESSPARTNERID = " +
                          core::SqlLong(value.ToInt32())
                    : "SELECT DOCUMENTTYPEID FROM SENDMETHOD WHERE DOCUMENTTYPEID = " +
                          core::SqlText(value.ToText());
      result = CheckExistenceUsingSQL(Variant(sql));
    }
    return result;
  } catch (...) {
    core::RaiseLoggedWithSuffix(" / Velmora.Pipeline.IReferentialIntegrity_Exists()");
  }
}

bool Pipeline::BeforeDelete(const Variant&, const VariantArray&, const VariantArray&) {
  return true;
}

bool Pipeline::CheckExistenceUsingSQL(const Variant& iSQL) {
  try {
    auto connection = core::GetConnection();
    auto rs = connection->Query(iSQL.ToText());
    const bool exists = !rs->IsEOF();
    rs->Close();
    connection->Close();
    return exists;
  } catch (...) {
    core::RaiseLoggedWithSuffix(
        IsSimple(iSQL) ? " / Velmora.Pipeline.CheckExistenceUsingSQL(" + iSQL.ToText() + ")"
                       : " / Velmora.Pipeline.CheckExistenceUsingSQL(<iSQL>)");
  }
}

}  // namespace velmora
