#include "automation/registration.h"
#include "velmora/base/dictionary.h"
#include "velmora/delivery/push_doc_utils.h"
#include "velmora/delivery/receive_method.h"
#include "velmora/delivery/send_method.h"

namespace velmora::automation {

// A TSendMethodProperties record travels as a dictionary keyed by its field names
// ("bAutoPush", "sXslFileName", ..., "nFTPTransferType"); enumerations as their numbers. A
// missing key leaves the field at its default; Empty and null give the default record.
template <>
struct Converter<TSendMethodProperties> {
  static TSendMethodProperties From(const Variant& value) {
    TSendMethodProperties p;
    if (value.IsEmpty() || value.IsNull()) {
      return p;
    }
    auto fields = value.As<Dictionary>();
    if (!fields) {
      throw Error(kErrTypeMismatch, "Velmora",
                  "Type mismatch: a send method record is a dictionary, not " + value.TypeName());
    }
    const auto get = [&](const char* key, auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      if (fields->Exists(key)) {
        const Variant item = fields->Item(key);
        if (!item.IsEmpty() && !item.IsNull()) {
          field = Converter<T>::From(item);
        }
      }
    };
    get("bAutoPush", p.bAutoPush);
    get("sXslFileName", p.sXslFileName);
    get("sUser", p.sUser);
    get("sPassword", p.sPassword);
    get("nFormat", p.nFormat);
    get("sProxy", p.sProxy);
    get("lProxyPort", p.lProxyPort);
    get("lPort", p.lPort);
    get("nProtocol", p.nProtocol);
    get("nWriteMode", p.nWriteMode);
    get("sExcelTemplate", p.sExcelTemplate);
    get("sFromAddress", p.sFromAddress);
    get("sAddress", p.sAddress);
    get("sFileName", p.sFileName);
    get("sFileExtension", p.sFileExtension);
    get("nSuffix", p.nSuffix);
    get("nFileFormat", p.nFileFormat);
    get("nFileIOMode", p.nFileIOMode);
    get("sTempFileName", p.sTempFileName);
    get("bTempFileCanBeRemoved", p.bTempFileCanBeRemoved);
    get("nFTPTransferType", p.nFTPTransferType);
    return p;
  }
  static Variant To(const TSendMethodProperties& p) {
    auto fields = std::make_shared<Dictionary>();
    const auto put = [&](const char* key, const auto& field) {
      using T = std::remove_cvref_t<decltype(field)>;
      fields->Add(key, Converter<T>::To(field));
    };
    put("bAutoPush", p.bAutoPush);
    put("sXslFileName", p.sXslFileName);
    put("sUser", p.sUser);
    put("sPassword", p.sPassword);
    put("nFormat", p.nFormat);
    put("sProxy", p.sProxy);
    put("lProxyPort", p.lProxyPort);
    put("lPort", p.lPort);
    put("nProtocol", p.nProtocol);
    put("nWriteMode", p.nWriteMode);
    put("sExcelTemplate", p.sExcelTemplate);
    put("sFromAddress", p.sFromAddress);
    put("sAddress", p.sAddress);
    put("sFileName", p.sFileName);
    put("sFileExtension", p.sFileExtension);
    put("nSuffix", p.nSuffix);
    put("nFileFormat", p.nFileFormat);
    put("nFileIOMode", p.nFileIOMode);
    put("sTempFileName", p.sTempFileName);
    put("bTempFileCanBeRemoved", p.bTempFileCanBeRemoved);
    put("nFTPTransferType", p.nFTPTransferType);
    return Variant(ObjectRef(fields));
  }
};

namespace {

#define VELMORA_FLAT_SEND_METHOD_ARGS                                                        \
  "i_iProtocol", "i_iFormat", "i_bAutoPush", "i_sXsl", "i_sAddress", "i_lPort", "i_sUserID", \
      "i_sPassword", "i_sFileName", "i_iSuffix", "i_sExtension", "i_iWriteMode",             \
      "i_sExcelTemplate", "i_sProxy", "i_lProxyPort", "i_iFileFormat", "i_iFTPTransferType"
#define VELMORA_FLAT_SEND_METHOD_EXTENSION_ARGS "i_bAttachments", "i_sNetWorkID", "i_sMergeFile"

void RegisterSendMethod(ClassRegistry& registry) {
  registry.Add("Velmora.SendMethod")
      .Bind("getSendMethodStatus_SENT", &SendMethod::getSendMethodStatus_SENT)
      .Bind("getSendMethodStatus_NOTSENT", &SendMethod::getSendMethodStatus_NOTSENT)
      .Bind("AddSendMethodToHistory", &SendMethod::AddSendMethodToHistory,
            {"iSendMethodID", "iBusinessPartnerID", "iRuleID", "iDocID", "iDocTypeID",
             "iPublicationErrorID", "iStatus"})
      .Bind("AddSendMethodProperties2", &SendMethod::AddSendMethodProperties2, {"i_uProperties"})
      .Bind("AddSendMethodProperties3", &SendMethod::AddSendMethodProperties3,
            {"i_uProperties", "i_aProperties24"})
      .Bind("AddSendMethodPropertiesFromAsp", &SendMethod::AddSendMethodPropertiesFromAsp,
            {VELMORA_FLAT_SEND_METHOD_ARGS})
      .Bind("AddSendMethodPropertiesFromAsp2", &SendMethod::AddSendMethodPropertiesFromAsp2,
            {VELMORA_FLAT_SEND_METHOD_ARGS, VELMORA_FLAT_SEND_METHOD_EXTENSION_ARGS})
      .Bind("GetSendMethodProperties2", &SendMethod::GetSendMethodProperties2,
            {"i_lSendMethodID", "o_uProperties"})
      .Bind("GetSendMethodProperties4", &SendMethod::GetSendMethodProperties4,
            {"i_lSendMethodID", "o_uProperties"})
      .Bind("GetSendMethodProperties3", &SendMethod::GetSendMethodProperties3,
            {"i_lSendMethodID", "o_aProperties"})
      .Bind("GetSendMethodPropertiesFromAsp", &SendMethod::GetSendMethodPropertiesFromAsp,
            {"i_lSendMethodID", VELMORA_FLAT_SEND_METHOD_ARGS})
      .Bind("GetSendMethodPropertiesFromAsp2", &SendMethod::GetSendMethodPropertiesFromAsp2,
            {"i_lSendMethodID", VELMORA_FLAT_SEND_METHOD_ARGS,
             VELMORA_FLAT_SEND_METHOD_EXTENSION_ARGS})
      .Bind("UpdateSendMethodProperties2", &SendMethod::UpdateSendMethodProperties2,
            {"i_lSendMethodID", "i_uProperties"})
      .Bind("UpdateSendMethodProperties3", &SendMethod::UpdateSendMethodProperties3,
            {"i_lSendMethodID", "i_uProperties", "i_aProperties24"})
      .Bind("UpdateSendMethodPropertiesFromAsp", &SendMethod::UpdateSendMethodPropertiesFromAsp,
            {"i_lSendMethodID", VELMORA_FLAT_SEND_METHOD_ARGS})
      .Bind("UpdateSendMethodPropertiesFromAsp2", &SendMethod::UpdateSendMethodPropertiesFromAsp2,
            {"i_lSendMethodID", VELMORA_FLAT_SEND_METHOD_ARGS,
             VELMORA_FLAT_SEND_METHOD_EXTENSION_ARGS})
      .Bind("AddSendMethod2", &SendMethod::AddSendMethod2,
            {"i_lSendMethodID", "i_lBusinessPartnerID", "i_sDocumentTypeID", "i_lruleid"})
      .Bind("DeleteSendMethod2", &SendMethod::DeleteSendMethod2,
            {"i_lSMID", "i_lBPID", "i_lruleid", "i_sDocTypeID"})
      .Bind("GetSendMethodIDs", &SendMethod::GetSendMethodIDs,
            {"i_lBPID", "i_sDocTypeID", "i_lruleid"})
      .Bind("SendMethodProtocol_EnumToInteger", &SendMethod::SendMethodProtocol_EnumToInteger,
            {"i_nProtocol"})
      .Bind("SendMethodWriteMode_EnumToInteger", &SendMethod::SendMethodWriteMode_EnumToInteger,
            {"i_nWriteMode"})
      .Bind("SendMethodFormat_EnumToInteger", &SendMethod::SendMethodFormat_EnumToInteger,
            {"i_nFormat"})
      .Bind("SendMethodSuffix_EnumToInteger", &SendMethod::SendMethodSuffix_EnumToInteger,
            {"i_nSuffix"})
      .Bind("SendMethodFileFormat_EnumToInteger", &SendMethod::SendMethodFileFormat_EnumToInteger,
            {"i_nFileFormat"})
      .Bind("SendMethodFTPTransferType_EnumToInteger",
            &SendMethod::SendMethodFTPTransferType_EnumToInteger, {"i_nFTPTransferType"})
      .Bind("SendMethodProtocol_IntegerToEnum", &SendMethod::SendMethodProtocol_IntegerToEnum,
            {"i_iProtocol"})
      .Bind("SendMethodWriteMode_IntegerToEnum", &SendMethod::SendMethodWriteMode_IntegerToEnum,
            {"i_iWriteMode"})
      .Bind("SendMethodFormat_IntegerToEnum", &SendMethod::SendMethodFormat_IntegerToEnum,
            {"i_iFormat"})
      .Bind("SendMethodSuffix_IntegerToEnum", &SendMethod::SendMethodSuffix_IntegerToEnum,
            {"i_iSuffix"})
      .Bind("SendMethodFileFormat_IntegerToEnum", &SendMethod::SendMethodFileFormat_IntegerToEnum,
            {"i_iFileFormat"})
      .Bind("SendMethodFTPTransferType_IntegerToEnum",
            &SendMethod::SendMethodFTPTransferType_IntegerToEnum, {"i_iFTPTransferType"})
      .Bind("ClearSendMethodFieldsByProtocol", &SendMethod::ClearSendMethodFieldsByProtocol,
            {"io_uSMP"})
      .Bind("GetSendMethodProtocolLabel", &SendMethod::GetSendMethodProtocolLabel, {"i_nProtocol"})
      .Bind("GetSendMethodFormatLabel", &SendMethod::GetSendMethodFormatLabel, {"i_nFormat"})
      .Bind("GetSendMethodFileFormatLabel", &SendMethod::GetSendMethodFileFormatLabel,
            {"i_nFileFormat"})
      .Bind("DownloadSendMethodExists", &SendMethod::DownloadSendMethodExists,
            {"i_lBusinessPartnerID", "i_sDocumentTypeID", "i_nFormat", "i_nFileFormat"})
      .Bind("GetSendMethodManualDownload", &SendMethod::GetSendMethodManualDownload,
            {"i_lBusinessPartnerID", "i_sDocumentTypeID", "i_nFormat", "i_nFileFormat", "o_uProps"})
      .Bind("GetSendMethodData", &SendMethod::GetSendMethodData,
            {"iSendMethodID", "oAutoPush", "oXslFileName", "oFileExtension", "oUser", "oPassword",
             "oFormat", "oProxy", "oPort", "oProxyPort", "oProtocol", "oWriteMode", "oAddress"})
      .Bind("GetSendMethodID", &SendMethod::GetSendMethodID, {"iBusinessPartnerID", "iDocTypeID"});
}

#undef VELMORA_FLAT_SEND_METHOD_ARGS
#undef VELMORA_FLAT_SEND_METHOD_EXTENSION_ARGS

void RegisterReceiveMethod(ClassRegistry& registry) {
  registry.Add("Velmora.ReceiveMethod")
      .Bind("GetXslFileName", &ReceiveMethod::GetXslFileName, {"iBPID", "iDocTypeID"})
      .Bind("InsertReceiveMethod", &ReceiveMethod::InsertReceiveMethod,
            {"iBPID", "iDocTypeID", "iXSLFileName"})
      .Bind("UpdateReceiveMethod", &ReceiveMethod::UpdateReceiveMethod, {"iRMID", "iXSLFileName"})
      .Bind("DeleteReceiveMethod", &ReceiveMethod::DeleteReceiveMethod, {"iRMID"})
      .Bind("GetReceiveMethodID", &ReceiveMethod::GetReceiveMethodID,
            {"iBusinessPartnerID", "iDocTypeID"});
}

void RegisterPushDocUtils(ClassRegistry& registry) {
  registry.Add("Velmora.PushDocUtils")
      .Bind("PushDocumentToReceiversWithErrorRaise",
            &PushDocUtils::PushDocumentToReceiversWithErrorRaise,
            {"i_lDocID", "i_sDocTypeID", Opt("i_sXMLStr", Variant(std::string()))})
      .Bind("PushDocumentToReceivers", &PushDocUtils::PushDocumentToReceivers,
            {"i_lDocID", "i_sDocTypeID", Opt("i_sXMLStr", Variant(std::string()))})
      .Bind("PushDocumentToReceiver", &PushDocUtils::PushDocumentToReceiver,
            {"i_lBPID", "i_lDocID", "i_sDocTypeID", Opt("i_sXMLStr", Variant(std::string()))})
      .Bind("ExecuteSendMethod", &PushDocUtils::ExecuteSendMethod,
            {"i_lBPID", "i_lDocID", "i_lSendMethodID", "i_lruleid",
             Opt("i_sXMLStr", Variant(std::string())), Opt("i_lPublicationErrorID", Variant(0))})
      .Bind("CanPush", &PushDocUtils::CanPush, {"iBPID", "iDocID", "iDocTypeID"})
      .Bind("GetField", &PushDocUtils::GetField, {"i_oRS", "i_sFieldName"})
      .Bind("RepushDocumentFromErrorBox", &PushDocUtils::RepushDocumentFromErrorBox,
            {"i_sCurrentUser", "i_lDocID", "i_lPublicationErrorID"})
      .Bind("GetSendMethodIDByPublicationErrorID",
            &PushDocUtils::GetSendMethodIDByPublicationErrorID, {"i_lPublicationErrordID"})
      .Bind("GetSendMethodInfoViaPublicationError",
            &PushDocUtils::GetSendMethodInfoViaPublicationError,
            {"i_lPublicationErrordID", "o_lBusinessPartnerID", "o_lSendMethodID", "o_lDocumentID",
             "o_sSender"})
      .Bind("ErrorIsExecSendMethodError", &PushDocUtils::ErrorIsExecSendMethodError,
            {"i_lErrNumber"})
      .Bind("URLEncode", &PushDocUtils::URLEncode, {"iStr"})
      .Bind("SendByEmail2", &PushDocUtils::SendByEmail2,
            {"i_lDocID", "i_vSendData", "i_uProperties", "i_aProperties24"})
      .Bind("SendByEmail", &PushDocUtils::SendByEmail, {"i_lDocID", "i_vSendData", "i_uProperties"})
      .Bind("SendByFax2", &PushDocUtils::SendByFax2,
            {"i_lDocID", "i_vSendData", "i_uProperties", "i_aProperties24"})
      .Bind("SendByFax", &PushDocUtils::SendByFax, {"i_lDocID", "i_vSendData", "i_uProperties"});
}

}  // namespace

// The delivery classes: Velmora.SendMethod, Velmora.ReceiveMethod and Velmora.PushDocUtils.
void RegisterDeliveryClasses(ClassRegistry& registry) {
  RegisterSendMethod(registry);
  RegisterReceiveMethod(registry);
  RegisterPushDocUtils(registry);
}

}  // namespace velmora::automation
