#include "publish/publication_outcome.h"

#include "core/bound_sql.h"

namespace velmora::publish {

PublicationOutcome ReadPublicationOutcome(int32_t document) {
  using Outcome = PublicationOutcome;
  return core::OnConnection([&](db::Connection& connection) {
    const std::vector<Variant> id{Variant(document)};
    Outcome outcome;
    auto rows = core::ReadRows(connection,
                               "SELECT DOCUMENTTYPEID, SENDER, STATUS FROM DOCUMENT WHERE "
                               "DOCUMENTID = ?",
                               id, [](const db::Recordset& row) {
                                 return Outcome::Row{row.Field("DOCUMENTTYPEID"),
                                                     row.Field("SENDER"), row.Field("STATUS")};
                               });
    if (!rows.empty()) {
      outcome.document = rows.front();
    }
    outcome.recipients = core::ReadRows(
        connection, "SELECT USERID, STATUS FROM PUBLICATION WHERE DOCUMENTID = ? ORDER BY USERID",
        id, [](const db::Recordset& row) {
          return Outcome::Recipient{row.Field("USERID"), row.Field("STATUS")};
        });
    outcome.deliveries = core::ReadRows(
        connection,
        "SELECT SENDMETHODID, BUSINESSPARTNERID, STATUS, PUBLICATIONERRORID FROM "
        "SENDMETHODHISTORY WHERE DOCUMENTID = ? ORDER BY HISTORYID",
        id, [](const db::Recordset& row) {
          return Outcome::Delivery{row.Field("SENDMETHODID"), row.Field("BUSINESSPARTNERID"),
                                   row.Field("STATUS"), row.Field("PUBLICATIONERRORID")};
        });
    outcome.errors = core::ReadRows(
        connection,
        "SELECT LABEL, DESCRIPTION FROM PUBLICATIONERRORS WHERE DOCUMENTID = ? ORDER BY "
        "PUBLICATIONERRORID",
        id, [](const db::Recordset& row) {
          return Outcome::Failure{row.Field("LABEL"), row.Field("DESCRIPTION")};
        });
    return outcome;
  });
}

}  // namespace velmora::publish
