#include "delivery/delivery_history_store.h"

#include "core/bound_sql.h"

namespace velmora::delivery {
namespace {

int32_t Last(const char* sql) {
  return core::OnConnection([&](db::Connection& connection) {
    const auto found = core::ReadRows(connection, sql, {}, [](const db::Recordset& row) {
      return core::NumberOrZero(row, "LASTID");
    });
    return found.empty() ? 0 : found.front();
  });
}

}  // namespace

int32_t LastHistoryId() { return Last("SELECT MAX(HISTORYID) AS LASTID FROM SENDMETHODHISTORY"); }

int32_t LastPublicationErrorId() {
  return Last("SELECT MAX(PUBLICATIONERRORID) AS LASTID FROM PUBLICATIONERRORS");
}

std::vector<DeliveryRecord> DeliveriesSince(int32_t document, int32_t after) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(
        connection,
        "SELECT h.SENDMETHODID, h.BUSINESSPARTNERID, h.STATUS, p.PROTOCOL, p.ADDRESS, "
        "e.DESCRIPTION FROM SENDMETHODHISTORY h "
        "LEFT JOIN SENDMETHODPROPERTY p ON p.SENDMETHODID = h.SENDMETHODID "
        "LEFT JOIN PUBLICATIONERRORS e ON e.PUBLICATIONERRORID = h.PUBLICATIONERRORID "
        "WHERE h.DOCUMENTID = ? AND h.HISTORYID > ? ORDER BY h.HISTORYID",
        {Variant(document), Variant(after)}, [](const db::Recordset& row) {
          return DeliveryRecord{core::OptionalNumber(row, "SENDMETHODID"),
                                core::OptionalNumber(row, "BUSINESSPARTNERID"),
                                static_cast<SENDMETHODSTATUS>(core::NumberOrZero(row, "STATUS")),
                                core::OptionalNumber(row, "PROTOCOL"),
                                core::OptionalText(row, "ADDRESS"),
                                core::OptionalText(row, "DESCRIPTION")};
        });
  });
}

std::vector<UnrecordedError> UnrecordedErrorsSince(int32_t document, int32_t after) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::ReadRows(
        connection,
        "SELECT e.PUBLICATIONERRORID, e.LABEL, e.DESCRIPTION FROM PUBLICATIONERRORS e "
        "WHERE e.DOCUMENTID = ? AND e.PUBLICATIONERRORID > ? AND NOT EXISTS (SELECT 1 FROM "
        "SENDMETHODHISTORY h WHERE h.PUBLICATIONERRORID = e.PUBLICATIONERRORID) "
        "ORDER BY e.PUBLICATIONERRORID",
        {Variant(document), Variant(after)}, [](const db::Recordset& row) {
          return UnrecordedError{core::OptionalNumber(row, "PUBLICATIONERRORID"),
                                 core::OptionalText(row, "LABEL"),
                                 row.Field("DESCRIPTION").ToText()};
        });
  });
}

}  // namespace velmora::delivery
