#include "velmora/delivery/receive_method.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"

namespace velmora {

using core::SqlLong;
using core::SqlText;

std::string ReceiveMethod::GetXslFileName(int32_t& iBPID, std::string& iDocTypeID) {
  return core::Guarded("Velmora.ReceiveMethod.GetXslFileName", [&]() -> std::string {
    auto connection = core::GetConnection();
    auto rs = connection->Query(
        "SELECT XSLFILENAME FROM RECEIVEMETHOD WHERE DOCUMENTTYPEID = " + SqlText(iDocTypeID) +
        " " + "AND BUSINESSPARTNERID = " + SqlLong(iBPID));
    std::string name;
    if (!rs->IsEOF()) {
      const Variant value = rs->Field("XSLFILENAME");
      name = value.IsNull() ? std::string() : value.ToText();
    }
    rs->Close();
    connection->Close();
    return name;
  });
}

int32_t ReceiveMethod::GetReceiveMethodID(int32_t& iBusinessPartnerID, std::string& iDocTypeID) {
  return core::Guarded("Velmora.ReceiveMethod.GetReceiveMethodID", [&]() -> int32_t {
    if (iDocTypeID.empty() || iBusinessPartnerID == 0) {
      return 0;
    }
    auto connection = core::GetConnection();
    auto rs = connection->Query(
        "SELECT RECEIVEMETHODID FROM RECEIVEMETHOD WHERE BUSINESSPARTNERID = " +
        SqlLong(iBusinessPartnerID) + " AND DOCUMENTTYPEID = " + SqlText(iDocTypeID));
    const int32_t id = rs->IsEOF() ? 0 : rs->Field("RECEIVEMETHODID").ToInt32();
    rs->Close();
    connection->Close();
    return id;
  });
}

int32_t ReceiveMethod::InsertReceiveMethod(int32_t& iBPID, std::string& iDocTypeID,
                                           std::string& iXSLFileName) {
  return core::Guarded("Velmora.ReceiveMethod.InsertReceiveMethod", [&]() -> int32_t {
    int32_t id = GetReceiveMethodID(iBPID, iDocTypeID);
    if (id != 0) {
      UpdateReceiveMethod(id, iXSLFileName);
      return id;
    }
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "SELECT * FROM RECEIVEMETHOD WHERE 0 = 1",
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    rs->AddNew();
    rs->SetField("DOCUMENTTYPEID", Variant(iDocTypeID));
    rs->SetField("BUSINESSPARTNERID", Variant(iBPID));
    rs->SetField("XSLFILENAME", Variant(iXSLFileName));
    rs->Update();
    id = rs->Field("RECEIVEMETHODID").ToInt32();
    rs->Close();
    connection->Close();
    return id;
  });
}

void ReceiveMethod::UpdateReceiveMethod(int32_t& iRMID, std::string& iXSLFileName) {
  core::Guarded("Velmora.ReceiveMethod.UpdateReceiveMethod", [&] {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "SELECT XSLFILENAME FROM RECEIVEMETHOD WHERE RECEIVEMETHODID = " + SqlLong(iRMID),
        db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
    if (!rs->IsEOF()) {
      rs->SetField("XSLFILENAME", Variant(iXSLFileName));
      rs->Update();
    }
    rs->Close();
    connection->Close();
  });
}

void ReceiveMethod::DeleteReceiveMethod(int32_t& iRMID) {
  core::Guarded("Velmora.ReceiveMethod.DeleteReceiveMethod", [&] {
    auto connection = core::GetConnection();
    connection->Execute("DELETE FROM RECEIVEMETHOD WHERE (RECEIVEMETHODID = " + SqlLong(iRMID) +
                        ")");
    connection->Close();
  });
}

}  // namespace velmora
