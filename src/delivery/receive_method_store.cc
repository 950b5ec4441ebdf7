#include "delivery/receive_method_store.h"

#include "core/bound_sql.h"

namespace velmora::delivery {

std::vector<ReceiveMethodRow> ListReceiveMethods() {
  return core::OnConnection([](db::Connection& connection) {
    return core::ReadRows(
        connection,
        "SELECT RECEIVEMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, XSLFILENAME FROM "
        "RECEIVEMETHOD ORDER BY BUSINESSPARTNERID, DOCUMENTTYPEID",
        {}, [](const db::Recordset& row) {
          return ReceiveMethodRow{row.Field("RECEIVEMETHODID").ToInt32(),
                                  core::OptionalNumber(row, "BUSINESSPARTNERID"),
                                  core::OptionalText(row, "DOCUMENTTYPEID"),
                                  core::OptionalText(row, "XSLFILENAME")};
        });
  });
}

}  // namespace velmora::delivery
