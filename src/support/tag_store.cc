#include "support/tag_store.h"

#include "core/bound_sql.h"

namespace velmora::support {
namespace {

constexpr const char* kSelect =
    "SELECT TAGID, DOCUMENTTYPEID, DESCRIPTION, XSLPATTERN, TAGATTRXSL FROM TAGSCONFIG";

TagDefinition ReadTag(const db::Recordset& row) {
  return TagDefinition{row.Field("TAGID").ToInt32(), core::OptionalText(row, "DOCUMENTTYPEID"),
                       core::OptionalText(row, "DESCRIPTION"),
                       core::OptionalText(row, "XSLPATTERN"),
                       core::OptionalNumber(row, "TAGATTRXSL")};
}

}  // namespace

int32_t TagStore::Add(const std::string& doctype, const std::string& name,
                      const std::string& pattern, TagAttrXsl kind) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::InsertReturningId(connection, "TAGSCONFIG", "TAGID",
                                   {{"DOCUMENTTYPEID", Variant(doctype)},
                                    {"DESCRIPTION", Variant(name)},
                                    {"XSLPATTERN", Variant(pattern)},
                                    {"TAGATTRXSL", Variant(static_cast<int32_t>(kind))}});
  });
}

std::vector<TagDefinition> TagStore::List(const std::string& doctype) {
  return core::OnConnection([&](db::Connection& connection) {
    if (doctype.empty()) {
      return core::ReadRows(connection, std::string(kSelect) + " ORDER BY TAGID", {}, ReadTag);
    }
    return core::ReadRows(connection,
                          std::string(kSelect) + " WHERE DOCUMENTTYPEID = ? ORDER BY TAGID",
                          {Variant(doctype)}, ReadTag);
  });
}

std::vector<TagDefinition> TagStore::InDisplayOrder(const std::string& doctype) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(
        connection,
        std::string(kSelect) + " WHERE DOCUMENTTYPEID = ? ORDER BY SEQUENCENUMBER, TAGID",
        {Variant(doctype)}, ReadTag);
  });
}

bool TagStore::Remove(int32_t id) {
  return core::InOneTransaction([&](db::Connection& connection) {
    core::ExecuteBound(connection, "DELETE FROM TAGSVALUE WHERE TAGID = ?", {Variant(id)});
    return core::ExecuteBound(connection, "DELETE FROM TAGSCONFIG WHERE TAGID = ?", {Variant(id)}) >
           0;
  });
}

}  // namespace velmora::support
