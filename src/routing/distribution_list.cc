// Velmora.DistributionList: membership questions on the distribution lists, and the
// referential-integrity answers to the host.
#include "velmora/routing/distribution_list.h"

#include <memory>
#include <string>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

constexpr const char* kExistsPath = "Velmora.DistributionList.IReferentialIntegrity_Exists()";
constexpr const char* kCheckPath = "Velmora.DistributionList.CheckExistenceUsingSQL(";

// The statements that look for partner `partner` (a number literal), in the order they run.
std::vector<std::string> PartnerStatements(const std::string& partner) {
  return {
      "SELECT BUSINESSPARTNERID FROM DISTRIBUTIONLIST WHERE BUSINESSPARTNERID = " + partner,
      "SELECT BUSINESSPARTNERID FROM SENDERLIST WHERE BUSINESSPARTNERID = " + partner,
      "SELECT BUSINESSPARTNERID FROM RECEIVEMETHOD WHERE BUSINESSPARTNERID = " + partner,
      "SELECT BUSINESSPARTNERID FROM SENDMETHOD WHERE BUSINESSPARTNERID = " + partner,
      // Document type rules (rule type 2) name their partner in ORIGINALID.
      std::string("SELECT ORIGINALID FROM RULEHEADER WHERE RULETYPE = ") + "2" +
          " AND ORIGINALID = " + partner,
      "SELECT BUSINESSPARTNERID FROM SENDMETHODHISTORY WHERE BUSINESSPARTNERID = " + partner,
      "SELECT BUSINESSPARTNERID FROM NOTIFICATIONTEMPLATE WHERE BUSINESSPARTNERID = " + partner,
      "SELECT BUSINESSPARTNERID FROM NOTIFICATIONEMAIL WHERE BUSINESSPARTNERID = " + partner,
  };
}

// The statements that look for user `user` (a string literal), in the order they run.
std::vector<std::string> UserStatements(const std::string& user) {
  return {
      "SELECT USERID FROM DISTRIBUTIONLIST WHERE USERID = " + user,
      "SELECT USERID FROM PUBLICATION WHERE USERID = " + user,
      "SELECT USERID FROM SENDERLIST WHERE USERID = " + user,
      "SELECT SENDER FROM DOCUMENT WHERE SENDER = " + user,
  };
}

std::string KeyName(const VariantArray& keys, int32_t i) { return keys.At(i).ToText(); }

// The key array must be one-dimensional, as the host passes it; anything else is out of range.
void RequireKeyArray(const VariantArray& keys) {
  if (keys.dimensions() != 1) {
    throw Error(kErrSubscriptOutOfRange, "Velmora.DistributionList", "Subscript out of range");
  }
}

// The condition of a user's link: "USERID = <user>" of the last USERID key, followed (without
// a blank) by "AND <key> = <literal>" for every `second_key`.
std::string LinkCondition(const VariantArray& keys, const VariantArray& values,
                          const std::string& second_key, bool second_is_number) {
  std::string condition;
  for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
    if (KeyName(keys, i) == "USERID") {
      condition = "USERID = " + core::SqlText(values.At(i).ToText());
    }
  }
  for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
    if (KeyName(keys, i) == second_key) {
      condition += "AND " + second_key + " = " +
                   (second_is_number ? core::SqlLong(values.At(i).ToInt32())
                                     : core::SqlText(values.At(i).ToText()));
    }
  }
  return condition;
}

}  // namespace

bool DistributionList::UserFoundOnDBList(const std::string& iDocTypeID,
                                         const std::string& iUserID) {
  return core::Guarded("Velmora.DistributionList.UserFoundOnDBList", [&]() -> bool {
    if (iUserID.empty() || iDocTypeID.empty()) {
      return false;
    }
    return core::HasRow("SELECT USERID FROM DISTRIBUTIONLIST WHERE DOCUMENTTYPEID = " +
                        core::SqlText(iDocTypeID) + " " + "AND USERID = " + core::SqlText(iUserID));
    return false;
  });
}

bool DistributionList::BPFoundOnDBList(const std::string& iDocTypeID, int32_t iBPID) {
  return core::Guarded("Velmora.DistributionList.BPFoundOnDBList", [&]() -> bool {
    if (iDocTypeID.empty() || iBPID == 0) {
      return false;
    }
    return core::HasRow("SELECT BUSINESSPARTNERID FROM DISTRIBUTIONLIST WHERE DOCUMENTTYPEID = " +
                        core::SqlText(iDocTypeID) + " " +
                        "AND BUSINESSPARTNERID = " + core::SqlLong(iBPID));
    return false;
  });
}

bool DistributionList::AnyBPFoundOnDBList(const std::string& iDocTypeID) {
  return core::Guarded("Velmora.DistributionList.AnyBPFoundOnDBList", [&]() -> bool {
    if (iDocTypeID.empty()) {
      return false;
    }
    return core::HasRow(
        "SELECT DISTINCT BUSINESSPARTNERID FROM DISTRIBUTIONLIST WHERE DOCUMENTTYPEID = " +
        core::SqlText(iDocTypeID));
    return false;
  });
}

void DistributionList::RemoveBPsFromDBList(const std::string& iDocTypeID) {
  core::Guarded("Velmora.DtributionList.RemoveBPsFromDBList", [&] {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    connection->Execute(
        "DELETE FROM DISTRIBUTIONLIST WHERE (DOCUMENTTYPEID = " + core::SqlText(iDocTypeID) + ")");
    core::CloseConnection(connection);
  });
}

bool DistributionList::Exists(const Variant& origin, const VariantArray& keys,
                              const VariantArray& values) {
  try {
    const std::string kind = text::ToUpper(origin.ToText());
    RequireKeyArray(keys);
    bool found = true;
    // Runs the statements in order; the first that finds a row ends the whole call.
    const auto any_row = [&](const std::vector<std::string>& statements) {
      for (const std::string& statement : statements) {
        found = CheckExistenceUsingSQL(statement);
        if (found) {
          return true;
        }
      }
      return false;
    };
    const auto for_each_key = [&](const char* key, const auto& statements_for) {
      for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
        if (KeyName(keys, i) == key && any_row(statements_for(values.At(i)))) {
          return true;
        }
      }
      return false;
    };
    if (kind == host::kOriginBusinessPartner) {
      if (for_each_key("BUSINESSPARTNERID", [](const Variant& value) {
            return PartnerStatements(core::SqlLong(value.ToInt32()));
          })) {
        return true;
      }
    } else if (kind == host::kOriginUser) {
      if (for_each_key("USERID", [](const Variant& value) {
            return UserStatements(core::SqlText(value.ToText()));
          })) {
        return true;
      }
    } else if (kind == host::kOriginUserDocumentType) {
      found = CheckExistenceUsingSQL("SELECT USERID FROM DISTRIBUTIONLIST WHERE " +
                                     LinkCondition(keys, values, "DOCUMENTTYPEID", false));
    } else if (kind == host::kOriginUserBusinessPartner) {
      found = CheckExistenceUsingSQL("SELECT USERID FROM DISTRIBUTIONLIST WHERE " +
                                     LinkCondition(keys, values, "BUSINESSPARTNERID", true));
    } else if (kind == host::kOriginDocumentType) {
      if (for_each_key("DOCUMENTTYPEID", [](const Variant& value) {
            return std::vector<std::string>{
                "SELECT DOCUMENTTYPEID FROM DISTRIBUTIONLIST WHERE DOCUMENTTYPEID = " +
                core::SqlText(value.ToText())};
          })) {
        return true;
      }
    } else {
      found = false;
    }
    return found;
  } catch (...) {
    core::RaiseLoggedWithSuffix(std::string(" / ") + kExistsPath);
  }
}

bool DistributionList::BeforeDelete(const Variant& origin, const VariantArray& keys,
                                    const VariantArray& values) {
  (void)origin;
  (void)keys;
  (void)values;
  return true;
}

bool DistributionList::CheckExistenceUsingSQL(const std::string& statement) {
  try {
    return core::HasRow(statement);
  } catch (...) {
    core::RaiseLoggedWithSuffix(std::string(" / ") + kCheckPath + statement + ")");
  }
}

}  // namespace velmora
