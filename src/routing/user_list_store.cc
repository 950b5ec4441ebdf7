#include "routing/user_list_store.h"

#include "core/bound_sql.h"

namespace velmora::routing {
namespace {

struct ListTable {
  const char* table;
  std::array<const char*, 3> flags;
};

constexpr ListTable kDistribution{"DISTRIBUTIONLIST", {"EMAIL", "HTMLATTACHMENT", "ATTACHMENTS"}};
constexpr ListTable kSender{"SENDERLIST", {"NOTIFICATION", "ATTACHMENTS", "HTMLATTACHMENT"}};

const ListTable& TableOf(UserList list) {
  return list == UserList::kDistribution ? kDistribution : kSender;
}

std::string FlagColumns(const ListTable& t) {
  return std::string(t.flags[0]) + ", " + t.flags[1] + ", " + t.flags[2];
}

// The entries of `t` that `where` (with `values` bound) selects, by document type and user.
std::vector<UserListEntry> Entries(const ListTable& t, const std::string& where,
                                   const std::vector<Variant>& values) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(connection,
                          "SELECT DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, " + FlagColumns(t) +
                              " FROM " + t.table + where + " ORDER BY DOCUMENTTYPEID, USERID",
                          values, [&t](const db::Recordset& row) {
                            return UserListEntry{
                                core::OptionalText(row, "DOCUMENTTYPEID"),
                                core::OptionalText(row, "USERID"),
                                core::OptionalNumber(row, "BUSINESSPARTNERID"),
                                {core::IsSet(row, t.flags[0]), core::IsSet(row, t.flags[1]),
                                 core::IsSet(row, t.flags[2])}};
                          });
  });
}

}  // namespace

bool UserListStore::Contains(const std::string& doctype, const std::string& user) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::AnyRow(connection,
                        std::string("SELECT USERID FROM ") + TableOf(list_).table +
                            " WHERE DOCUMENTTYPEID = ? AND USERID = ?",
                        {Variant(doctype), Variant(user)});
  });
}

void UserListStore::Add(const std::string& doctype, const std::string& user, int32_t partner,
                        const UserListFlags& flags) {
  const ListTable& t = TableOf(list_);
  const auto bit = [](bool on) { return Variant(static_cast<int16_t>(on ? 1 : 0)); };
  core::OnConnection([&](db::Connection& connection) {
    core::ExecuteBound(connection,
                       std::string("INSERT INTO ") + t.table +
                           " (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, " + FlagColumns(t) +
                           ") VALUES (?, ?, ?, ?, ?, ?)",
                       {Variant(doctype), Variant(user), Variant(partner), bit(flags[0]),
                        bit(flags[1]), bit(flags[2])});
  });
}

std::optional<UserListEntry> UserListStore::Get(const std::string& doctype,
                                                const std::string& user) {
  std::vector<UserListEntry> found =
      Entries(TableOf(list_), " WHERE DOCUMENTTYPEID = ? AND USERID = ?",
              {Variant(doctype), Variant(user)});
  return found.empty() ? std::nullopt : std::optional<UserListEntry>(found.front());
}

std::vector<UserListEntry> UserListStore::List(const std::string& doctype) {
  if (doctype.empty()) {
    return Entries(TableOf(list_), "", {});
  }
  return Entries(TableOf(list_), " WHERE DOCUMENTTYPEID = ?", {Variant(doctype)});
}

bool UserListStore::Remove(const std::string& doctype, const std::string& user) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ExecuteBound(connection,
                              std::string("DELETE FROM ") + TableOf(list_).table +
                                  " WHERE DOCUMENTTYPEID = ? AND USERID = ?",
                              {Variant(doctype), Variant(user)}) > 0;
  });
}

}  // namespace velmora::routing
