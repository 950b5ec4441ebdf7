#include "velmora/delivery/receive_method.h"

#include "core/db_utils.h"
#include "core/general.h"
#include "core/sql_literals.h"

namespace velmora {

using core::SqlLong;
using core::SqlText;

std::string ReceiveMethod::GetXslFileName(int32_t& iBPID, std::string& iDocTypeID) {
  try {
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
  } catch (...) {
    core::ReportError("Velmora.ReceiveMethod.GetXslFileName");
  }
  return "";
}

int32_t ReceiveMethod::GetReceiveMethodID(int32_t& iBusinessPartnerID, std::string& iDocTypeID) {
  try {
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
  } catch (...) {
    core::ReportError("Velmora.ReceiveMethod.GetReceiveMethodID");
  }
  return 0;
}

int32_t ReceiveMethod::InsertReceiveMethod(int32_t& iBPID, std::string& iDocTypeID,
                                           std::string& iXSLFileName) {
  try {
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
  } catch (...) {
    core::ReportError("Velmora.ReceiveMethod.InsertReceiveMethod");
  }
  return 0;
}

void ReceiveMethod::UpdateReceiveMethod(int32_t& iRMID, std::string& iXSLFileName) {
  try {
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
  } catch (...) {
    core::ReportError("Velmora.ReceiveMethod.UpdateReceiveMethod");
  }
}

void ReceiveMethod::DeleteReceiveMethod(int32_t& iRMID) {
  try {
    auto connection = core::GetConnection();
    connection->Execute("DELETE FROM RECEIVEMETHOD WHERE (RECEIVEMETHODID = " + SqlLong(iRMID) +
                        ")");
    connection->Close();
  } catch (...) {
    core::ReportError("Velmora.ReceiveMethod.DeleteReceiveMethod");
  }
}

}  // namespace velmora
