// The send method store of Velmora.SendMethod: properties, links, history, manual download.
#include "velmora/delivery/send_method.h"

#include <string>
#include <utility>

#include "core/bound_sql.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/secrets.h"
#include "core/sql_literals.h"
#include "delivery/send_method_store.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/sources.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

using core::SqlLong;
using core::SqlText;

constexpr int16_t kManualDownload = static_cast<int16_t>(ESendMethodProtocol::ManualDownload);
constexpr const char* kStoredPassword = "********";

// The width of SENDMETHODPROPERTY.PASSWORD. The column keeps this width on both engines (an
// existing PostgreSQL installation would need its table altered to hold more); instead a
// password whose sealed text would not fit is refused where it is set.
constexpr size_t kPasswordColumnWidth = 255;

// Raises InvalidParamValue, naming the longest password accepted, when the sealed text of
// `password` would not fit the PASSWORD column. The stored-password mark passes.
void CheckPasswordFits(const std::string& password) {
  if (text::Trim(password) != kStoredPassword) {
    core::CheckSecretFits(password, kPasswordColumnWidth, "a send method", "Velmora.SendMethod");
  }
}

// A password as the PASSWORD column holds it: sealed with the installation's key; "" stays "".
std::string SealedPassword(const std::string& password) {
  return core::SealSecret(password, "Velmora.SendMethod");
}

db::RecordsetOptions Updatable() {
  return db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic};
}

// A text column trimmed of blanks, "" for null.
std::string TextField(const db::Recordset& rs, const char* name) {
  const Variant value = rs.Field(name);
  return value.IsNull() || value.IsEmpty() ? std::string() : text::Trim(value.ToText());
}

int16_t SmallField(const db::Recordset& rs, const char* name) {
  const Variant value = rs.Field(name);
  return value.IsNull() || value.IsEmpty() ? int16_t{0} : value.ToInt16();
}

int32_t PortField(const db::Recordset& rs, const char* name) {
  const Variant value = rs.Field(name);
  return value.IsNull() || value.IsEmpty() ? -1 : value.ToInt32();
}

// The three texts of a writer's extension array: (attachments flag, NETWORKID, MERGEFILE).
struct Extension {
  bool attachments = false;
  std::string network_id;
  std::string merge_file;
};

Extension ReadWriterExtension(const VariantArray& array, const std::string& name) {
  if (array.dimensions() != 1 || array.Count() < 3) {
    const size_t elements = array.dimensions() == 0 ? 0 : array.values().size();
    throw Error(kErrSubscriptOutOfRange, "Velmora.SendMethod",
                "The extension array " + name +
                    " must be a one-dimensional array of at least three elements (attachments "
                    "flag, network id, merge file); it has " +
                    std::to_string(array.dimensions()) + " dimension(s) and " +
                    std::to_string(elements) + " element(s)");
  }
  const int32_t first = array.LBound();
  Extension extension;
  extension.attachments = array.At(first).ToBool();
  extension.network_id = array.At(first + 1).ToText();
  extension.merge_file = array.At(first + 2).ToText();
  return extension;
}

// ADDRESS as stored: a method-call address of exactly ".." is stored as "".
std::string StoredAddress(const TSendMethodProperties& p) {
  if (p.nProtocol == ESendMethodProtocol::MethodCall && p.sAddress == "..") {
    return "";
  }
  return p.sAddress;
}

TSendMethodProperties FlatRecord(SendMethod& sm, int16_t protocol, int16_t format, bool auto_push,
                                 const std::string& xsl, const std::string& address, int32_t port,
                                 const std::string& user, const std::string& password,
                                 const std::string& file_name, int16_t suffix,
                                 const std::string& extension, int16_t write_mode,
                                 const std::string& excel_template, const std::string& proxy,
                                 int32_t proxy_port, int16_t file_format, int16_t transfer_type) {
  TSendMethodProperties p;
  p.nProtocol = sm.SendMethodProtocol_IntegerToEnum(protocol);
  p.nFormat = sm.SendMethodFormat_IntegerToEnum(format);
  p.bAutoPush = auto_push;
  p.sXslFileName = xsl;
  p.sAddress = address;
  p.lPort = port;
  p.sUser = user;
  p.sPassword = password;
  p.sFileName = file_name;
  p.nSuffix = sm.SendMethodSuffix_IntegerToEnum(suffix);
  p.sFileExtension = extension;
  p.nWriteMode = sm.SendMethodWriteMode_IntegerToEnum(write_mode);
  p.sExcelTemplate = excel_template;
  p.sProxy = proxy;
  p.lProxyPort = proxy_port;
  p.nFileFormat = sm.SendMethodFileFormat_IntegerToEnum(file_format);
  p.nFTPTransferType = sm.SendMethodFTPTransferType_IntegerToEnum(transfer_type);
  return p;
}

VariantArray WriterArray(bool attachments, const std::string& network_id,
                         const std::string& merge_file) {
  VariantArray array(3);
  array.At(0) = Variant(std::string(attachments ? "True" : "False"));
  array.At(1) = Variant(network_id);
  array.At(2) = Variant(merge_file);
  return array;
}

}  // namespace

// ---- History ----

void SendMethod::AddSendMethodToHistory(int32_t iSendMethodID, int32_t iBusinessPartnerID,
                                        int32_t iRuleID, int32_t iDocID,
                                        const std::string& iDocTypeID, int32_t iPublicationErrorID,
                                        int16_t iStatus) {
  core::Guarded("Velmora.SendMethod.AddSendMethodToHistory", [&] {
    core::OnConnection([&](db::Connection& connection) {
      core::ExecuteBound(connection,
                         "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, "
                         "DOCUMENTID, DOCUMENTTYPEID, PUBLICATIONERRORID, STATUS, SENDDATE) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                         {Variant(iSendMethodID), Variant(iBusinessPartnerID), Variant(iRuleID),
                          Variant(iDocID), Variant(iDocTypeID), Variant(iPublicationErrorID),
                          Variant(iStatus), Variant(CurrentClock().Now().ToText())});
    });
  });
}

// ---- Adding properties ----

int32_t SendMethod::AddProperties(TSendMethodProperties& p, const VariantArray* extension_array) {
  CheckPasswordFits(p.sPassword);
  Extension extension;
  if (extension_array != nullptr) {
    extension = ReadWriterExtension(*extension_array, "i_aProperties24");
  }
  ClearSendMethodFieldsByProtocol(p);
  auto connection = core::GetConnection();
  auto rs = connection->OpenRecordset("SELECT * FROM SENDMETHODPROPERTY WHERE SENDMETHODID=-1",
                                      Updatable());
  rs->AddNew();
  rs->SetField("AUTOPUSH", Variant(static_cast<int16_t>(p.bAutoPush ? 1 : 0)));
  rs->SetField("XSLFILENAME", Variant(p.sXslFileName));
  rs->SetField("FILEEXTENSION", Variant(p.sFileExtension));
  rs->SetField("USERNAME", Variant(p.sUser));
  rs->SetField("PASSWORD", Variant(SealedPassword(p.sPassword)));
  rs->SetField("FORMAT", Variant(SendMethodFormat_EnumToInteger(p.nFormat)));
  rs->SetField("PROXY", Variant(p.sProxy));
  rs->SetField("PORT", Variant(p.lPort));
  rs->SetField("PROXYPORT", Variant(p.lProxyPort));
  rs->SetField("PROTOCOL", Variant(SendMethodProtocol_EnumToInteger(p.nProtocol)));
  rs->SetField("WRITEMODE", Variant(SendMethodWriteMode_EnumToInteger(p.nWriteMode)));
  rs->SetField("ADDRESS", Variant(StoredAddress(p)));
  rs->SetField("EXCELTEMPLATE", Variant(p.sExcelTemplate));
  rs->SetField("SUFFIX", Variant(SendMethodSuffix_EnumToInteger(p.nSuffix)));
  rs->SetField("FILENAME", Variant(p.sFileName));
  rs->SetField("FILEFORMAT", Variant(SendMethodFileFormat_EnumToInteger(p.nFileFormat)));
  rs->SetField("FTPTRANSFERTYPE",
               Variant(SendMethodFTPTransferType_EnumToInteger(p.nFTPTransferType)));
  if (extension_array != nullptr) {
    rs->SetField("ATTACHMENTS", Variant(static_cast<int16_t>(extension.attachments ? 1 : 0)));
    if (!extension.network_id.empty()) {
      rs->SetField("NETWORKID", Variant(extension.network_id));
    }
    rs->SetField("MERGEFILE", Variant(extension.merge_file));
  }
  rs->Update();
  const int32_t id = rs->Field("SENDMETHODID").ToInt32();
  rs->Close();
  connection->Close();
  return id;
}

int32_t SendMethod::AddSendMethodProperties2(TSendMethodProperties& i_uProperties) {
  return core::Guarded("Velmora.SendMethod.AddSendMethodProperties2",
                       [&]() -> int32_t { return AddProperties(i_uProperties, nullptr); });
}

int32_t SendMethod::AddSendMethodProperties3(TSendMethodProperties& i_uProperties,
                                             VariantArray& i_aProperties24) {
  return core::Guarded("Velmora.SendMethod.AddSendMethodProperties3",
                       [&]() -> int32_t { return AddProperties(i_uProperties, &i_aProperties24); });
}

int32_t SendMethod::AddSendMethodPropertiesFromAsp(
    int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush, const std::string& i_sXsl,
    const std::string& i_sAddress, int32_t i_lPort, const std::string& i_sUserID,
    const std::string& i_sPassword, const std::string& i_sFileName, int16_t i_iSuffix,
    const std::string& i_sExtension, int16_t i_iWriteMode, const std::string& i_sExcelTemplate,
    const std::string& i_sProxy, int32_t i_lProxyPort, int16_t i_iFileFormat,
    int16_t i_iFTPTransferType) {
  return core::Guarded("Velmora.SendMethod.AddSendMethodPropertiesFromAsp", [&]() -> int32_t {
    TSendMethodProperties p =
        FlatRecord(*this, i_iProtocol, i_iFormat, i_bAutoPush, i_sXsl, i_sAddress, i_lPort,
                   i_sUserID, i_sPassword, i_sFileName, i_iSuffix, i_sExtension, i_iWriteMode,
                   i_sExcelTemplate, i_sProxy, i_lProxyPort, i_iFileFormat, i_iFTPTransferType);
    return AddSendMethodProperties2(p);
  });
}

int32_t SendMethod::AddSendMethodPropertiesFromAsp2(
    int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush, const std::string& i_sXsl,
    const std::string& i_sAddress, int32_t i_lPort, const std::string& i_sUserID,
    const std::string& i_sPassword, const std::string& i_sFileName, int16_t i_iSuffix,
    const std::string& i_sExtension, int16_t i_iWriteMode, const std::string& i_sExcelTemplate,
    const std::string& i_sProxy, int32_t i_lProxyPort, int16_t i_iFileFormat,
    int16_t i_iFTPTransferType, bool i_bAttachments, const std::string& i_sNetWorkID,
    const std::string& i_sMergeFile) {
  return core::Guarded("Velmora.SendMethod.AddSendMethodPropertiesFromAsp2", [&]() -> int32_t {
    TSendMethodProperties p =
        FlatRecord(*this, i_iProtocol, i_iFormat, i_bAutoPush, i_sXsl, i_sAddress, i_lPort,
                   i_sUserID, i_sPassword, i_sFileName, i_iSuffix, i_sExtension, i_iWriteMode,
                   i_sExcelTemplate, i_sProxy, i_lProxyPort, i_iFileFormat, i_iFTPTransferType);
    VariantArray extension = WriterArray(i_bAttachments, i_sNetWorkID, i_sMergeFile);
    return AddSendMethodProperties3(p, extension);
  });
}

// ---- Reading properties ----

void SendMethod::ReadProperties(int32_t id, TSendMethodProperties& p) {
  p.bAutoPush = false;
  p.sXslFileName.clear();
  p.sFileExtension.clear();
  p.sUser.clear();
  p.sPassword.clear();
  p.sProxy.clear();
  p.sAddress.clear();
  p.sExcelTemplate.clear();
  p.sFileName.clear();
  p.nFormat = ESendMethodFormat{};
  p.lProxyPort = 0;
  p.lPort = 0;
  p.nProtocol = ESendMethodProtocol{};
  p.nWriteMode = EWriteMode{};
  p.nSuffix = ESendMethodSuffix{};
  p.nFileFormat = ESendMethodFileFormat{};
  p.nFTPTransferType = ESendMethodFTPTransferType{};
  if (id == -1) {
    return;
  }
  auto connection = core::GetConnection();
  auto rs =
      connection->Query("SELECT * FROM SENDMETHODPROPERTY WHERE SENDMETHODID = " + SqlLong(id));
  if (!rs->IsEOF()) {
    const Variant auto_push = rs->Field("AUTOPUSH");
    p.bAutoPush = !auto_push.IsNull() && auto_push.ToBool();
    p.sXslFileName = TextField(*rs, "XSLFILENAME");
    p.sFileExtension = TextField(*rs, "FILEEXTENSION");
    p.sUser = TextField(*rs, "USERNAME");
    p.sPassword = text::Trim(core::UnsealSecret(TextField(*rs, "PASSWORD"), "Velmora.SendMethod"));
    p.sProxy = TextField(*rs, "PROXY");
    p.sAddress = TextField(*rs, "ADDRESS");
    p.sExcelTemplate = TextField(*rs, "EXCELTEMPLATE");
    p.sFileName = TextField(*rs, "FILENAME");
    p.nFormat = SendMethodFormat_IntegerToEnum(SmallField(*rs, "FORMAT"));
    p.nProtocol = SendMethodProtocol_IntegerToEnum(SmallField(*rs, "PROTOCOL"));
    p.nWriteMode = SendMethodWriteMode_IntegerToEnum(SmallField(*rs, "WRITEMODE"));
    p.nSuffix = SendMethodSuffix_IntegerToEnum(SmallField(*rs, "SUFFIX"));
    p.nFileFormat = SendMethodFileFormat_IntegerToEnum(SmallField(*rs, "FILEFORMAT"));
    p.nFTPTransferType =
        SendMethodFTPTransferType_IntegerToEnum(SmallField(*rs, "FTPTRANSFERTYPE"));
    p.lPort = PortField(*rs, "PORT");
    p.lProxyPort = PortField(*rs, "PROXYPORT");
  }
  rs->Close();
  connection->Close();
}

void SendMethod::GetSendMethodProperties2(int32_t i_lSendMethodID,
                                          TSendMethodProperties& o_uProperties) {
  core::Guarded("Velmora.SendMethod.GetSendMethodProperties2",
                [&] { ReadProperties(i_lSendMethodID, o_uProperties); });
}

void SendMethod::GetSendMethodProperties4(int32_t i_lSendMethodID,
                                          TSendMethodProperties& o_uProperties) {
  core::Guarded("Velmora.SendMethod.GetSendMethodProperties4",
                [&] { ReadProperties(i_lSendMethodID, o_uProperties); });
}

void SendMethod::GetSendMethodProperties3(int32_t i_lSendMethodID, VariantArray& o_aProperties) {
  core::Guarded("Velmora.SendMethod.GetSendMethodProperties3", [&] {
    VariantArray values(3);
    values.At(0) = Variant(std::string());
    values.At(1) = Variant(std::string("False"));
    values.At(2) = Variant(std::string());
    if (i_lSendMethodID == -1) {
      return;
    }
    auto connection = core::GetConnection();
    auto rs = connection->Query(
        "SELECT NETWORKID, ATTACHMENTS, MERGEFILE FROM SENDMETHODPROPERTY WHERE SENDMETHODID = " +
        SqlLong(i_lSendMethodID));
    if (!rs->IsEOF()) {
      const Variant attachments = rs->Field("ATTACHMENTS");
      values.At(0) = Variant(TextField(*rs, "NETWORKID"));
      values.At(1) = Variant(std::string(
          !attachments.IsNull() && !attachments.IsEmpty() && attachments.ToBool() ? "True"
                                                                                  : "False"));
      values.At(2) = Variant(TextField(*rs, "MERGEFILE"));
    }
    rs->Close();
    connection->Close();
    o_aProperties = std::move(values);
  });
}

void SendMethod::GetSendMethodPropertiesFromAsp(
    int32_t i_lSendMethodID, Variant& i_iProtocol, Variant& i_iFormat, Variant& i_bAutoPush,
    Variant& i_sXsl, Variant& i_sAddress, Variant& i_lPort, Variant& i_sUserID,
    Variant& i_sPassword, Variant& i_sFileName, Variant& i_iSuffix, Variant& i_sExtension,
    Variant& i_iWriteMode, Variant& i_sExcelTemplate, Variant& i_sProxy, Variant& i_lProxyPort,
    Variant& i_iFileFormat, Variant& i_iFTPTransferType) {
  core::Guarded("Velmora.SendMethod.GetSendMethodPropertiesFromAsp", [&] {
    Variant attachments;
    Variant network_id;
    Variant merge_file;
    GetSendMethodPropertiesFromAsp2(i_lSendMethodID, i_iProtocol, i_iFormat, i_bAutoPush, i_sXsl,
                                    i_sAddress, i_lPort, i_sUserID, i_sPassword, i_sFileName,
                                    i_iSuffix, i_sExtension, i_iWriteMode, i_sExcelTemplate,
                                    i_sProxy, i_lProxyPort, i_iFileFormat, i_iFTPTransferType,
                                    attachments, network_id, merge_file);
  });
}

void SendMethod::GetSendMethodPropertiesFromAsp2(
    int32_t i_lSendMethodID, Variant& i_iProtocol, Variant& i_iFormat, Variant& i_bAutoPush,
    Variant& i_sXsl, Variant& i_sAddress, Variant& i_lPort, Variant& i_sUserID,
    Variant& i_sPassword, Variant& i_sFileName, Variant& i_iSuffix, Variant& i_sExtension,
    Variant& i_iWriteMode, Variant& i_sExcelTemplate, Variant& i_sProxy, Variant& i_lProxyPort,
    Variant& i_iFileFormat, Variant& i_iFTPTransferType, Variant& i_bAttachments,
    Variant& i_sNetWorkID, Variant& i_sMergeFile) {
  try {
    TSendMethodProperties p;
    VariantArray extension;
    ReadProperties(i_lSendMethodID, p);
    GetSendMethodProperties3(i_lSendMethodID, extension);
    if (extension.dimensions() != 1) {
      extension = WriterArray(false, "", "");
      std::swap(extension.At(0), extension.At(1));
    }
    i_iProtocol = Variant(SendMethodProtocol_EnumToInteger(p.nProtocol));
    i_iFormat = Variant(SendMethodFormat_EnumToInteger(p.nFormat));
    i_bAutoPush = Variant(p.bAutoPush);
    i_sXsl = Variant(p.sXslFileName);
    i_sAddress = Variant(p.sAddress);
    i_lPort = Variant(p.lPort);
    i_sUserID = Variant(p.sUser);
    i_sPassword = Variant(p.sPassword);
    i_sFileName = Variant(p.sFileName);
    i_iSuffix = Variant(SendMethodSuffix_EnumToInteger(p.nSuffix));
    i_sExtension = Variant(p.sFileExtension);
    i_iWriteMode = Variant(SendMethodWriteMode_EnumToInteger(p.nWriteMode));
    i_sExcelTemplate = Variant(p.sExcelTemplate);
    i_sProxy = Variant(p.sProxy);
    i_lProxyPort = Variant(p.lProxyPort);
    i_iFileFormat = Variant(SendMethodFileFormat_EnumToInteger(p.nFileFormat));
    i_iFTPTransferType = Variant(SendMethodFTPTransferType_EnumToInteger(p.nFTPTransferType));
    i_bAttachments = Variant(extension.At(1).ToBool());
    i_sNetWorkID = Variant(extension.At(0).ToText());
    i_sMergeFile = Variant(extension.At(2).ToText());
  } catch (...) {
    for (Variant* number :
         {&i_iProtocol, &i_iFormat, &i_bAutoPush, &i_lPort, &i_iSuffix, &i_iWriteMode,
          &i_lProxyPort, &i_iFileFormat, &i_iFTPTransferType, &i_bAttachments}) {
      *number = Variant();
    }
    for (Variant* text :
         {&i_sXsl, &i_sAddress, &i_sUserID, &i_sPassword, &i_sFileName, &i_sExtension,
          &i_sExcelTemplate, &i_sProxy, &i_sNetWorkID, &i_sMergeFile}) {
      *text = Variant(std::string());
    }
    core::ReportError("Velmora.SendMethod.GetSendMethodPropertiesFromAsp2");
  }
}

// ---- Updating properties ----

void SendMethod::UpdateProperties(int32_t id, TSendMethodProperties& p,
                                  const VariantArray* extension_array) {
  CheckPasswordFits(p.sPassword);
  Extension extension;
  if (extension_array != nullptr) {
    extension = ReadWriterExtension(*extension_array, "i_aProperties24");
  }
  ClearSendMethodFieldsByProtocol(p);
  auto connection = core::GetConnection();
  auto rs = connection->OpenRecordset(
      "SELECT * FROM SENDMETHODPROPERTY WHERE SENDMETHODID= " + SqlLong(id), Updatable());
  if (!rs->IsEOF()) {
    rs->SetField("AUTOPUSH", Variant(static_cast<int16_t>(p.bAutoPush ? 1 : 0)));
    rs->SetField("XSLFILENAME", Variant(p.sXslFileName));
    rs->SetField("FILEEXTENSION", Variant(p.sFileExtension));
    rs->SetField("USERNAME", Variant(p.sUser));
    rs->SetField("FORMAT", Variant(SendMethodFormat_EnumToInteger(p.nFormat)));
    rs->SetField("PROXY", Variant(p.sProxy));
    rs->SetField("PORT", Variant(p.lPort));
    rs->SetField("PROXYPORT", Variant(p.lProxyPort));
    rs->SetField("WRITEMODE", Variant(SendMethodWriteMode_EnumToInteger(p.nWriteMode)));
    rs->SetField("SUFFIX", Variant(SendMethodSuffix_EnumToInteger(p.nSuffix)));
    rs->SetField("FILEFORMAT", Variant(SendMethodFileFormat_EnumToInteger(p.nFileFormat)));
    rs->SetField("FTPTRANSFERTYPE",
                 Variant(SendMethodFTPTransferType_EnumToInteger(p.nFTPTransferType)));
    rs->SetField("ADDRESS", Variant(StoredAddress(p)));
    rs->SetField("EXCELTEMPLATE", Variant(p.sExcelTemplate));
    rs->SetField("FILENAME", Variant(p.sFileName));
    rs->SetField("PROTOCOL", Variant(SendMethodProtocol_EnumToInteger(p.nProtocol)));
    if (extension_array != nullptr) {
      rs->SetField("ATTACHMENTS", Variant(static_cast<int16_t>(extension.attachments ? 1 : 0)));
      if (!text::Trim(extension.network_id).empty()) {
        rs->SetField("NETWORKID", Variant(extension.network_id));
      }
      rs->SetField("MERGEFILE", Variant(extension.merge_file));
    }
    const std::string trimmed = text::Trim(p.sPassword);
    if (trimmed.empty()) {
      rs->SetField("PASSWORD", Variant(std::string()));
    } else if (trimmed != kStoredPassword) {
      rs->SetField("PASSWORD", Variant(SealedPassword(p.sPassword)));
    }
    rs->Update();
  }
  rs->Close();
  connection->Close();
}

void SendMethod::UpdateSendMethodProperties2(int32_t i_lSendMethodID,
                                             TSendMethodProperties& i_uProperties) {
  core::Guarded("Velmora.SendMethod.UpdateSendMethodProperties2",
                [&] { UpdateProperties(i_lSendMethodID, i_uProperties, nullptr); });
}

void SendMethod::UpdateSendMethodProperties3(int32_t i_lSendMethodID,
                                             TSendMethodProperties& i_uProperties,
                                             VariantArray& i_aProperties24) {
  core::Guarded("Velmora.SendMethod.UpdateSendMethodProperties3",
                [&] { UpdateProperties(i_lSendMethodID, i_uProperties, &i_aProperties24); });
}

void SendMethod::UpdateSendMethodPropertiesFromAsp(
    int32_t i_lSendMethodID, int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush,
    const std::string& i_sXsl, const std::string& i_sAddress, int32_t i_lPort,
    const std::string& i_sUserID, const std::string& i_sPassword, const std::string& i_sFileName,
    int16_t i_iSuffix, const std::string& i_sExtension, int16_t i_iWriteMode,
    const std::string& i_sExcelTemplate, const std::string& i_sProxy, int32_t i_lProxyPort,
    int16_t i_iFileFormat, int16_t i_iFTPTransferType) {
  core::Guarded("Velmora.SendMethod.UpdateSendMethodPropertiesFromAsp", [&] {
    TSendMethodProperties p =
        FlatRecord(*this, i_iProtocol, i_iFormat, i_bAutoPush, i_sXsl, i_sAddress, i_lPort,
                   i_sUserID, i_sPassword, i_sFileName, i_iSuffix, i_sExtension, i_iWriteMode,
                   i_sExcelTemplate, i_sProxy, i_lProxyPort, i_iFileFormat, i_iFTPTransferType);
    UpdateSendMethodProperties2(i_lSendMethodID, p);
  });
}

void SendMethod::UpdateSendMethodPropertiesFromAsp2(
    int32_t i_lSendMethodID, int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush,
    const std::string& i_sXsl, const std::string& i_sAddress, int32_t i_lPort,
    const std::string& i_sUserID, const std::string& i_sPassword, const std::string& i_sFileName,
    int16_t i_iSuffix, const std::string& i_sExtension, int16_t i_iWriteMode,
    const std::string& i_sExcelTemplate, const std::string& i_sProxy, int32_t i_lProxyPort,
    int16_t i_iFileFormat, int16_t i_iFTPTransferType, bool i_bAttachments,
    const std::string& i_sNetWorkID, const std::string& i_sMergeFile) {
  core::Guarded("Velmora.SendMethod.UpdateSendMethodPropertiesFromAsp2", [&] {
    TSendMethodProperties p =
        FlatRecord(*this, i_iProtocol, i_iFormat, i_bAutoPush, i_sXsl, i_sAddress, i_lPort,
                   i_sUserID, i_sPassword, i_sFileName, i_iSuffix, i_sExtension, i_iWriteMode,
                   i_sExcelTemplate, i_sProxy, i_lProxyPort, i_iFileFormat, i_iFTPTransferType);
    VariantArray extension = WriterArray(i_bAttachments, i_sNetWorkID, i_sMergeFile);
    UpdateSendMethodProperties3(i_lSendMethodID, p, extension);
  });
}

// ---- Links ----

void SendMethod::AddSendMethod2(int32_t& i_lSendMethodID, int32_t& i_lBusinessPartnerID,
                                std::string& i_sDocumentTypeID, int32_t& i_lruleid) {
  core::Guarded("Velmora.SendMethod.AddSendMethod2", [&] {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "SELECT SENDMETHODID FROM SENDMETHOD WHERE " +
            delivery::LinkCondition(i_lBusinessPartnerID, i_sDocumentTypeID, i_lruleid),
        Updatable());
    bool add_row = false;
    if (rs->IsEOF()) {
      add_row = true;
    } else {
      rs->Find("SENDMETHODID = -1");
      if (!rs->IsEOF()) {
        rs->SetField("SENDMETHODID", Variant(i_lSendMethodID));
        rs->Update();
      } else {
        add_row = i_lSendMethodID != -1;
      }
    }
    rs->Close();
    if (add_row) {
      auto table = connection->OpenRecordset("SELECT * FROM SENDMETHOD WHERE 0 = 1", Updatable());
      table->AddNew();
      table->SetField("SENDMETHODID", Variant(i_lSendMethodID));
      table->SetField("BUSINESSPARTNERID", Variant(i_lBusinessPartnerID));
      table->SetField("DOCUMENTTYPEID", Variant(i_sDocumentTypeID));
      table->SetField("RULEID", Variant(i_lruleid));
      table->Update();
      table->Close();
    }
    connection->Close();
  });
}

void SendMethod::DeleteSendMethod2(const std::string& i_lSMID, int32_t i_lBPID, int32_t i_lruleid,
                                   const std::string& i_sDocTypeID) {
  core::Guarded("Velmora.SendMethod.DeleteSendMethod2", [&] {
    // The id arrives as text; it reaches SQL only as a number.
    const int32_t id = Variant(i_lSMID).ToInt32();
    auto connection = core::GetConnection();
    delivery::Unlink(*connection, id, i_lBPID, i_sDocTypeID, i_lruleid);
    connection->Execute("DELETE FROM SENDMETHODPROPERTY WHERE SENDMETHODID = " + SqlLong(id));
    connection->Close();
  });
}

std::shared_ptr<db::Recordset> SendMethod::GetSendMethodIDs(int32_t i_lBPID,
                                                            const std::string& i_sDocTypeID,
                                                            int32_t i_lruleid) {
  return core::Guarded(
      "Velmora.SendMethod.GetSendMethodIDs", [&]() -> std::shared_ptr<db::Recordset> {
        auto connection = core::GetConnection();
        std::shared_ptr<db::Recordset> rs = connection->QueryDisconnected(
            "SELECT SENDMETHOD.SENDMETHODID FROM SENDMETHOD, SENDMETHODPROPERTY WHERE "
            "SENDMETHOD.SENDMETHODID = SENDMETHODPROPERTY.SENDMETHODID AND "
            "SENDMETHOD.BUSINESSPARTNERID = " +
            SqlLong(i_lBPID) + " AND " + "SENDMETHOD.DOCUMENTTYPEID = " + SqlText(i_sDocTypeID) +
            " AND " + "SENDMETHOD.RULEID = " + SqlLong(i_lruleid) + " AND " +
            "SENDMETHODPROPERTY.PROTOCOL <> " + SqlLong(kManualDownload));
        connection->Close();
        return rs;
      });
}

// ---- Manual download ----

bool SendMethod::DownloadSendMethodExists(int32_t i_lBusinessPartnerID,
                                          const std::string& i_sDocumentTypeID,
                                          ESendMethodFormat i_nFormat, uint8_t i_nFileFormat) {
  return core::Guarded("Velmora.SendMethod.DownloadSendMethodExists", [&]() -> bool {
    std::string sql = "select count(*) as NUMBER";
    sql += " from sendmethod, sendmethodproperty";
    sql += " where sendmethod.sendmethodid = sendmethodproperty.sendmethodid ";
    sql += " and sendmethod.businesspartnerid = " + SqlLong(i_lBusinessPartnerID);
    sql += " and sendmethod.documenttypeid = " + SqlText(i_sDocumentTypeID) + " ";
    sql += " and sendmethod.ruleid = -1 ";
    sql += " and sendmethodproperty.protocol = " + SqlLong(kManualDownload);
    sql += " and sendmethodproperty.format = " + SqlLong(static_cast<int16_t>(i_nFormat));
    if (i_nFileFormat != 0) {
      sql += " and sendmethodproperty.fileformat = " + SqlLong(i_nFileFormat);
    }
    auto connection = core::GetConnection();
    auto rs = connection->Query(sql);
    const bool exists = rs->Field("NUMBER").ToInt64() > 0;
    rs->Close();
    connection->Close();
    return exists;
  });
}

int32_t SendMethod::GetSendMethodManualDownload(int32_t i_lBusinessPartnerID,
                                                const std::string& i_sDocumentTypeID,
                                                ESendMethodFormat i_nFormat,
                                                ESendMethodFileFormat i_nFileFormat,
                                                TSendMethodProperties& o_uProps) {
  std::string sql =
      "SELECT SENDMETHOD.SENDMETHODID, XSLFILENAME, EXCELTEMPLATE FROM SENDMETHOD, "
      "SENDMETHODPROPERTY ";
  sql += " WHERE SENDMETHOD.SENDMETHODID = SENDMETHODPROPERTY.SENDMETHODID AND ";
  sql += "   SENDMETHOD.BUSINESSPARTNERID = " + SqlLong(i_lBusinessPartnerID) + " AND ";
  sql += "   SENDMETHOD.DOCUMENTTYPEID = " + SqlText(i_sDocumentTypeID) + " AND ";
  sql += "   SENDMETHOD.RULEID = -1 AND ";
  sql += "   SENDMETHODPROPERTY.PROTOCOL = " + SqlLong(kManualDownload) + " AND ";
  sql += "   SENDMETHODPROPERTY.FORMAT = " + SqlLong(static_cast<int16_t>(i_nFormat));
  if (i_nFormat == ESendMethodFormat::XML) {
    sql += " AND SENDMETHODPROPERTY.FILEFORMAT = " + SqlLong(static_cast<int16_t>(i_nFileFormat));
  }
  auto connection = core::GetConnection();
  auto rs = connection->Query(sql);
  const int32_t id = rs->Field("SENDMETHODID").ToInt32();
  rs->Close();
  connection->Close();
  GetSendMethodProperties2(id, o_uProps);
  return id;
}

// ---- Retired operations ----

Variant SendMethod::GetSendMethodData(int32_t, Variant&, Variant&, Variant&, Variant&, Variant&,
                                      Variant&, Variant&, Variant&, Variant&, Variant&, Variant&,
                                      Variant&) {
  return core::Guarded("Velmora.SendMethod.GetSendMethodData", [&]() -> Variant {
    Dictionary replacements;
    replacements.Add("[%METHODNAME%]", Variant(std::string("GetSendMethodProperties2")));
    RaiseError(EnumerationErrors::NewerVersionAvailable, "Velmora.SendMethod.GetSendMethodData",
               core::GetLabel("ZODAR4425", 0, &replacements));
    return Variant();
  });
}

Variant SendMethod::GetSendMethodID(int32_t, const std::string&) {
  return core::Guarded("Velmora.SendMethod.GetSendMethodID", [&]() -> Variant {
    RaiseError(EnumerationErrors::NewerVersionAvailable, "Velmora.SendMethod.GetSendMethodID",
               core::GetLabel("ZODAR4426"));
    return Variant();
  });
}

}  // namespace velmora
