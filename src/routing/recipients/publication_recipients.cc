// Utility: the recipients of a document read back from the publication table.
#include <memory>
#include <string>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"
#include "document/publication_readers.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"

namespace velmora {
namespace {

// The user ids held by `users`: a Dictionary's items, a Collection's items or an array's
// elements. Raises kErrTypeMismatch for anything else.
std::vector<std::string> UserIdsOf(const Variant& users) {
  std::vector<std::string> ids;
  if (users.IsArray()) {
    const VariantArray& array = users.AsArray();
    for (int32_t i = array.LBound(); i <= array.UBound(); ++i) {
      ids.push_back(array.At(i).ToText());
    }
  } else if (auto dictionary = users.As<Dictionary>()) {
    for (const auto& entry : dictionary->entries()) {
      ids.push_back(entry.second.ToText());
    }
  } else if (auto collection = users.As<Collection>()) {
    for (const Variant& item : collection->items()) {
      ids.push_back(item.ToText());
    }
  } else {
    throw Error(kErrTypeMismatch, "Velmora.Utility",
                "Type mismatch: the user ids are a collection, not " + users.TypeName());
  }
  return ids;
}

// The condition that narrows the recipients to `users`; an empty collection selects nobody
// (an IN list needs at least one value).
std::string UsersCondition(const Variant& users) {
  if (users.IsEmpty() || users.IsNull() || users.IsNothing()) {
    return "";
  }
  const std::vector<std::string> ids = UserIdsOf(users);
  if (ids.empty()) {
    return "AND 1 = 0";
  }
  std::vector<std::string> literals;
  for (const std::string& id : ids) {
    literals.push_back(core::SqlText(id));
  }
  return "AND PUBLICATION.USERID IN (" + text::Join(literals, ",") + ")";
}

}  // namespace

std::shared_ptr<db::Recordset> Utility::GetRecipientsFromPublicationTableByUsers(
    int32_t iDocID, const std::string& iDocTypeID, bool iEmail, const Variant& vUserIDs) {
  return core::Guarded("Velmora.Utility.GetRecipientsFromPublicationTableByUsers",
                       [&]() -> std::shared_ptr<db::Recordset> {
                         std::unique_ptr<db::Connection> connection;
                         std::string sql = document::PublicationRecipientsSql(iDocID, iDocTypeID,
                                                                              iEmail, false, true);
                         sql += UsersCondition(vUserIDs);
                         connection = core::GetConnection();
                         std::shared_ptr<db::Recordset> recordset =
                             connection->QueryDisconnected(sql);
                         core::CloseConnection(connection);
                         return recordset;
                       });
}

std::string Utility::GetToRecipientList(int32_t iDocID, const std::string& iDocTypeID) {
  return core::Guarded("Velmora.Utility.GetToRecipientList", [&]() -> std::string {
    std::unique_ptr<db::Recordset> recipients =
        document::GetRecipientsFromPublicationTable(iDocID, iDocTypeID, false);
    std::string list;
    bool first = true;
    while (!recipients->IsEOF()) {
      const std::string user = recipients->Field("USERID").ToText();
      recipients->MoveNext();
      std::string address;
      try {
        address = GetAUEmailAddress(user);
      } catch (...) {
        // A recipient the directory no longer knows is left out (GetAUEmailAddress has logged
        // it); the others still get the mail.
        continue;
      }
      list += address + ";";
      if (first) {
        list += "\r\n";
        first = false;
      }
    }
    core::CloseRecordset(recipients);
    if (!list.empty()) {
      list.pop_back();
    }
    return list;
  });
}

}  // namespace velmora
