#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/variant.h"
#include "velmora/core/file_handling.h"
#include "velmora/db/recordset.h"

namespace velmora {

// The send method enumerations; the database holds the same numbers. A number that is not a
// member may arrive from stored rows; the conversions map it to 0.
enum class ESendMethodProtocol : int16_t {
  Email = 10,
  Fax = 20,
  FilePath = 30,
  Ftp = 40,
  Http = 50,
  MethodCall = 60,
  ManualDownload = 70,
  EDI = 80,
};
enum class ESendMethodFormat : int16_t { Excel = 10, OBI = 20, XML = 30 };
enum class EWriteMode : int16_t { Append = 10, Create = 20, Update = 30 };
enum class ESendMethodSuffix : int16_t { DocumentID = 10, None = 20 };
enum class ESendMethodFileFormat : int16_t { ASCII = 10, Unicode = 20 };
enum class ESendMethodFTPTransferType : int16_t { ASCII = 10, Binary = 20 };
enum class SENDMETHODSTATUS : int16_t { NOTSENT = 0, SENT = 1 };

// One send method in memory. `sFromAddress`, `nFileIOMode`, `sTempFileName` and
// `bTempFileCanBeRemoved` are never stored: callers and transports fill them.
struct TSendMethodProperties {
  bool bAutoPush = false;
  std::string sXslFileName;
  std::string sUser;
  std::string sPassword;
  ESendMethodFormat nFormat{};
  std::string sProxy;
  int32_t lProxyPort = 0;
  int32_t lPort = 0;
  ESendMethodProtocol nProtocol{};
  EWriteMode nWriteMode{};
  std::string sExcelTemplate;
  std::string sFromAddress;
  std::string sAddress;
  std::string sFileName;
  std::string sFileExtension;
  ESendMethodSuffix nSuffix{};
  ESendMethodFileFormat nFileFormat{};
  EFileIOMode nFileIOMode{};
  std::string sTempFileName;
  bool bTempFileCanBeRemoved = false;
  ESendMethodFTPTransferType nFTPTransferType{};

  bool operator==(const TSendMethodProperties&) const = default;
};

// Velmora.SendMethod: the send method store (SENDMETHOD links partner, document type and rule to
// a send method; SENDMETHODPROPERTY holds its properties; SENDMETHODHISTORY records each
// execution), the enumeration conversions and the label placeholders of the configuration
// pages. Stateless; every call opens and closes its own connection.
//
// The extension array beside the record holds three texts. The writers (AddSendMethodProperties3,
// UpdateSendMethodProperties3) read it as (attachments flag, NETWORKID, MERGEFILE); the reader
// GetSendMethodProperties3 fills it as (NETWORKID, "True"/"False", MERGEFILE). A writer's array
// must be one-dimensional with at least three elements, else the call raises
// kErrSubscriptOutOfRange naming the shape it received.
//
// Failures are reported as "Velmora.SendMethod.<operation>" and raised, except where said.
class SendMethod {
 public:
  int16_t getSendMethodStatus_SENT();
  int16_t getSendMethodStatus_NOTSENT();

  // Adds one SENDMETHODHISTORY row dated now.
  void AddSendMethodToHistory(int32_t iSendMethodID, int32_t iBusinessPartnerID, int32_t iRuleID,
                              int32_t iDocID, const std::string& iDocTypeID,
                              int32_t iPublicationErrorID, int16_t iStatus);

  // Clears the record's unused fields (the caller's record changes) and stores it; returns the
  // new SENDMETHODID (0 when the call fails, which also raises).
  int32_t AddSendMethodProperties2(TSendMethodProperties& i_uProperties);
  int32_t AddSendMethodProperties3(TSendMethodProperties& i_uProperties,
                                   VariantArray& i_aProperties24);
  int32_t AddSendMethodPropertiesFromAsp(int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush,
                                         const std::string& i_sXsl, const std::string& i_sAddress,
                                         int32_t i_lPort, const std::string& i_sUserID,
                                         const std::string& i_sPassword,
                                         const std::string& i_sFileName, int16_t i_iSuffix,
                                         const std::string& i_sExtension, int16_t i_iWriteMode,
                                         const std::string& i_sExcelTemplate,
                                         const std::string& i_sProxy, int32_t i_lProxyPort,
                                         int16_t i_iFileFormat, int16_t i_iFTPTransferType);
  int32_t AddSendMethodPropertiesFromAsp2(
      int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush, const std::string& i_sXsl,
      const std::string& i_sAddress, int32_t i_lPort, const std::string& i_sUserID,
      const std::string& i_sPassword, const std::string& i_sFileName, int16_t i_iSuffix,
      const std::string& i_sExtension, int16_t i_iWriteMode, const std::string& i_sExcelTemplate,
      const std::string& i_sProxy, int32_t i_lProxyPort, int16_t i_iFileFormat,
      int16_t i_iFTPTransferType, bool i_bAttachments, const std::string& i_sNetWorkID,
      const std::string& i_sMergeFile);

  // Resets the stored fields of the record and fills them from the property row of the id (none
  // for -1 or an unknown id). Texts are trimmed; null ports read as -1, null enumerations as 0.
  void GetSendMethodProperties2(int32_t i_lSendMethodID, TSendMethodProperties& o_uProperties);
  void GetSendMethodProperties4(int32_t i_lSendMethodID, TSendMethodProperties& o_uProperties);
  // Replaces `o_aProperties` by (NETWORKID, "True"/"False", MERGEFILE), from 0; with id -1 the
  // caller's array is left as it was.
  void GetSendMethodProperties3(int32_t i_lSendMethodID, VariantArray& o_aProperties);
  // The stored fields as variants; every output is cleared when the call fails.
  void GetSendMethodPropertiesFromAsp(int32_t i_lSendMethodID, Variant& i_iProtocol,
                                      Variant& i_iFormat, Variant& i_bAutoPush, Variant& i_sXsl,
                                      Variant& i_sAddress, Variant& i_lPort, Variant& i_sUserID,
                                      Variant& i_sPassword, Variant& i_sFileName,
                                      Variant& i_iSuffix, Variant& i_sExtension,
                                      Variant& i_iWriteMode, Variant& i_sExcelTemplate,
                                      Variant& i_sProxy, Variant& i_lProxyPort,
                                      Variant& i_iFileFormat, Variant& i_iFTPTransferType);
  void GetSendMethodPropertiesFromAsp2(
      int32_t i_lSendMethodID, Variant& i_iProtocol, Variant& i_iFormat, Variant& i_bAutoPush,
      Variant& i_sXsl, Variant& i_sAddress, Variant& i_lPort, Variant& i_sUserID,
      Variant& i_sPassword, Variant& i_sFileName, Variant& i_iSuffix, Variant& i_sExtension,
      Variant& i_iWriteMode, Variant& i_sExcelTemplate, Variant& i_sProxy, Variant& i_lProxyPort,
      Variant& i_iFileFormat, Variant& i_iFTPTransferType, Variant& i_bAttachments,
      Variant& i_sNetWorkID, Variant& i_sMergeFile);

  // Rewrites the property row of the id (nothing when there is none). A password that trims to
  // "********" keeps the stored one.
  void UpdateSendMethodProperties2(int32_t i_lSendMethodID, TSendMethodProperties& i_uProperties);
  void UpdateSendMethodProperties3(int32_t i_lSendMethodID, TSendMethodProperties& i_uProperties,
                                   VariantArray& i_aProperties24);
  void UpdateSendMethodPropertiesFromAsp(
      int32_t i_lSendMethodID, int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush,
      const std::string& i_sXsl, const std::string& i_sAddress, int32_t i_lPort,
      const std::string& i_sUserID, const std::string& i_sPassword, const std::string& i_sFileName,
      int16_t i_iSuffix, const std::string& i_sExtension, int16_t i_iWriteMode,
      const std::string& i_sExcelTemplate, const std::string& i_sProxy, int32_t i_lProxyPort,
      int16_t i_iFileFormat, int16_t i_iFTPTransferType);
  void UpdateSendMethodPropertiesFromAsp2(
      int32_t i_lSendMethodID, int16_t i_iProtocol, int16_t i_iFormat, bool i_bAutoPush,
      const std::string& i_sXsl, const std::string& i_sAddress, int32_t i_lPort,
      const std::string& i_sUserID, const std::string& i_sPassword, const std::string& i_sFileName,
      int16_t i_iSuffix, const std::string& i_sExtension, int16_t i_iWriteMode,
      const std::string& i_sExcelTemplate, const std::string& i_sProxy, int32_t i_lProxyPort,
      int16_t i_iFileFormat, int16_t i_iFTPTransferType, bool i_bAttachments,
      const std::string& i_sNetWorkID, const std::string& i_sMergeFile);

  // Links a send method to (partner, document type, rule): fills a -1 placeholder row of the
  // triple, else adds a row (no row is added for id -1 when the triple already has one).
  void AddSendMethod2(int32_t& i_lSendMethodID, int32_t& i_lBusinessPartnerID,
                      std::string& i_sDocumentTypeID, int32_t& i_lruleid);
  // Unlinks send method `i_lSMID` (its id as text) and deletes its properties. For a rule whose
  // triple holds one send method only, the link row stays with SENDMETHODID -1.
  void DeleteSendMethod2(const std::string& i_lSMID, int32_t i_lBPID, int32_t i_lruleid,
                         const std::string& i_sDocTypeID);
  // The SENDMETHODIDs of the triple, manual-download ones left out, as a client-side recordset
  // detached from its connection.
  std::shared_ptr<db::Recordset> GetSendMethodIDs(int32_t i_lBPID, const std::string& i_sDocTypeID,
                                                  int32_t i_lruleid);

  int16_t SendMethodProtocol_EnumToInteger(ESendMethodProtocol value);
  int16_t SendMethodWriteMode_EnumToInteger(EWriteMode value);
  int16_t SendMethodFormat_EnumToInteger(ESendMethodFormat value);
  int16_t SendMethodSuffix_EnumToInteger(ESendMethodSuffix value);
  int16_t SendMethodFileFormat_EnumToInteger(ESendMethodFileFormat value);
  int16_t SendMethodFTPTransferType_EnumToInteger(ESendMethodFTPTransferType value);
  ESendMethodProtocol SendMethodProtocol_IntegerToEnum(int16_t value);
  EWriteMode SendMethodWriteMode_IntegerToEnum(int16_t value);
  ESendMethodFormat SendMethodFormat_IntegerToEnum(int16_t value);
  ESendMethodSuffix SendMethodSuffix_IntegerToEnum(int16_t value);
  ESendMethodFileFormat SendMethodFileFormat_IntegerToEnum(int16_t value);
  ESendMethodFTPTransferType SendMethodFTPTransferType_IntegerToEnum(int16_t value);

  // Resets the fields the record's protocol does not use: texts to "", numbers to 0.
  void ClearSendMethodFieldsByProtocol(TSendMethodProperties& io_uSMP);

  // Label placeholders "[%ZODARnnnn%]", or "" for a value without a label. The format label
  // takes a format number in the protocol enumeration, as published.
  std::string GetSendMethodProtocolLabel(ESendMethodProtocol i_nProtocol);
  std::string GetSendMethodFormatLabel(ESendMethodProtocol i_nFormat);
  std::string GetSendMethodFileFormatLabel(ESendMethodFileFormat i_nFileFormat);

  // Whether the partner has a manual-download send method without rule for the type and format
  // (and file format, unless it is 0).
  bool DownloadSendMethodExists(int32_t i_lBusinessPartnerID, const std::string& i_sDocumentTypeID,
                                ESendMethodFormat i_nFormat, uint8_t i_nFileFormat);
  // The first such send method (file format compared only for format XML): fills `o_uProps` and
  // returns its id. Not reported: a database failure, or the missing row when none matches,
  // reaches the caller unchanged.
  int32_t GetSendMethodManualDownload(int32_t i_lBusinessPartnerID,
                                      const std::string& i_sDocumentTypeID,
                                      ESendMethodFormat i_nFormat,
                                      ESendMethodFileFormat i_nFileFormat,
                                      TSendMethodProperties& o_uProps);

  // Retired: always raise NewerVersionAvailable.
  Variant GetSendMethodData(int32_t iSendMethodID, Variant& oAutoPush, Variant& oXslFileName,
                            Variant& oFileExtension, Variant& oUser, Variant& oPassword,
                            Variant& oFormat, Variant& oProxy, Variant& oPort, Variant& oProxyPort,
                            Variant& oProtocol, Variant& oWriteMode, Variant& oAddress);
  Variant GetSendMethodID(int32_t iBusinessPartnerID, const std::string& iDocTypeID);

 private:
  void ReadProperties(int32_t id, TSendMethodProperties& properties);
  void UpdateProperties(int32_t id, TSendMethodProperties& properties,
                        const VariantArray* extension);
  int32_t AddProperties(TSendMethodProperties& properties, const VariantArray* extension);
};

}  // namespace velmora
