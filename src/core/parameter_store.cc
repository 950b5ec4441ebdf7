#include "core/parameter_store.h"

#include "core/bound_sql.h"

namespace velmora::core {

std::vector<std::pair<std::string, Variant>> ListParameters() {
  return OnConnection([](db::Connection& connection) {
    return ReadRows(connection,
                    "SELECT PARAMNAME, PARAMVALUE FROM COLLABORATIONPARAMETER ORDER BY PARAMNAME",
                    {}, [](const db::Recordset& row) {
                      return std::pair<std::string, Variant>(row.Field("PARAMNAME").ToText(),
                                                             row.Field("PARAMVALUE"));
                    });
  });
}

void SetParameter(const std::string& name, const std::string& value) {
  InOneTransaction([&](db::Connection& connection) {
    if (ExecuteBound(connection,
                     "UPDATE COLLABORATIONPARAMETER SET PARAMVALUE = ? WHERE PARAMNAME = ?",
                     {Variant(value), Variant(name)}) == 0) {
      ExecuteBound(connection,
                   "INSERT INTO COLLABORATIONPARAMETER (PARAMNAME, PARAMVALUE) VALUES (?, ?)",
                   {Variant(name), Variant(value)});
    }
  });
}

void SetLabelText(const std::string& code, int32_t locale, const std::string& text) {
  InOneTransaction([&](db::Connection& connection) {
    if (ExecuteBound(connection, "UPDATE I18NTEXT SET TEXT = ? WHERE LABEL = ? AND LOCALEID = ?",
                     {Variant(text), Variant(code), Variant(locale)}) == 0) {
      ExecuteBound(connection, "INSERT INTO I18NTEXT (LABEL, LOCALEID, TEXT) VALUES (?, ?, ?)",
                   {Variant(code), Variant(locale), Variant(text)});
    }
  });
}

}  // namespace velmora::core
