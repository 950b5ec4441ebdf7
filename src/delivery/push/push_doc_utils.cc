// PushDocUtils: the push runs, the execution of one send method and the look-ups of the error
// box.
#include "velmora/delivery/push_doc_utils.h"

#include <optional>
#include <string>
#include <vector>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/lookup_scope.h"
#include "core/sql_literals.h"
#include "core/url_encode.h"
#include "delivery/push/push_document.h"
#include "delivery/push/push_records.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "routing/document_types.h"
#include "routing/recipients/publication_lookups.h"
#include "routing/xml_files.h"
#include "rules/send_method_rule_set.h"
#include "velmora/base/text.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/document/document.h"
#include "velmora/routing/sender_list.h"
#include "velmora/rules/rules.h"

namespace velmora {
namespace {

using delivery::PushPath;

// One row of the pushable set.
struct PushableRow {
  int32_t partner = 0;
  int32_t send_method = 0;
  int32_t rule = 0;
};

int32_t ToId(const std::string& text) {
  int64_t value = 0;
  return text::ParseInt64(text, value) ? static_cast<int32_t>(value) : 0;
}

// GetPushableBPs: the send methods of every partner with a recipient of the document on the
// type's distribution list, a partner's rows together.
std::vector<PushableRow> GetPushableBPs(int32_t doc_id, const std::string& doc_type) {
  const std::string sql = std::string(" SELECT DISTINCT") + " s.DOCUMENTTYPEID" +
                          ",s.BUSINESSPARTNERID" + ",s.SENDMETHODID" + ",s.RULEID" + " FROM" +
                          " PUBLICATION AS p" + ",DISTRIBUTIONLIST AS d" + ",SENDMETHOD AS s" +
                          " WHERE" + "     p.DOCUMENTID = " + core::SqlLong(doc_id) +
                          " AND d.DOCUMENTTYPEID = " + core::SqlText(doc_type) +
                          " AND p.USERID = d.USERID" + " AND d.DOCUMENTTYPEID = s.DOCUMENTTYPEID" +
                          " AND d.BUSINESSPARTNERID = s.BUSINESSPARTNERID" +
                          " ORDER BY s.DOCUMENTTYPEID, s.BUSINESSPARTNERID, s.RULEID";
  PushDocUtils utils;
  std::vector<PushableRow> rows;
  auto recordset = core::getDisconnectedReadOnlyRecordSet(sql);
  for (; !recordset->IsEOF(); recordset->MoveNext()) {
    rows.push_back({ToId(utils.GetField(*recordset, "BUSINESSPARTNERID")),
                    ToId(utils.GetField(*recordset, "SENDMETHODID")),
                    ToId(utils.GetField(*recordset, "RULEID"))});
  }
  return rows;
}

int32_t SelectedRule(int32_t doc_id, const std::string& doc_type, int32_t partner) {
  int32_t doc = doc_id;
  std::string type = doc_type;
  int32_t bp = partner;
  return Rules().ExecuteSendMethodRuleSet(doc, type, bp);
}

std::string XmlOrStored(int32_t doc_id, const std::string& xml) {
  return text::Trim(xml).empty() ? Document().GetXmlDocument(doc_id) : xml;
}

// Whether the sender of the document may send its type; when not, the refusal is recorded.
bool SenderAuthorised(int32_t doc_id, const std::string& doc_type) {
  std::string sender = Document().GetSenderOfDocument(doc_id);
  std::string type = doc_type;
  if (SenderList().CheckAuthorizationForSender(type, sender)) {
    return true;
  }
  const std::string description = delivery::Label(
      "ZODAR1720",
      {{"[%USER%]", sender}, {"[%DOCTYPE%]", routing::document_types::Description(type)}});
  core::LogPublicationError(doc_id, 0, description, PushPath("PushDocumentToReceivers"),
                            "ZODAR0875");
  return false;
}

// Runs one row of a push run and records it. True when a push was attempted.
bool PushRow(int32_t doc_id, const std::string& doc_type, const std::string& xml,
             const PushableRow& row) {
  SendMethod store;
  TSendMethodProperties record;
  VariantArray extension;
  try {
    store.GetSendMethodProperties2(row.send_method, record);
    store.GetSendMethodProperties3(row.send_method, extension);
  } catch (const Error&) {
    return false;
  }
  if (!record.bAutoPush) {
    return false;
  }
  try {
    delivery::PushDocument(row.partner, doc_id, xml, record, extension);
  } catch (const Error& failure) {
    const std::string description =
        failure.description() + "\r\n" +
        delivery::Label("ZODAR5021", {{"[%SENDMETHODID%]", std::to_string(row.send_method)}});
    const int32_t error_id = core::LogPublicationError(
        doc_id, failure.number(), description, PushPath("PushDocumentToReceivers"), "ZODAR0883",
        delivery::SendMethodReplacements(doc_id, record, row.partner));
    delivery::AddNotSentHistory(row.send_method, row.partner, row.rule, doc_id, doc_type, error_id);
    return true;
  }
  delivery::AddSentHistory(row.send_method, row.partner, row.rule, doc_id, doc_type);
  return true;
}

void PushToReceivers(int32_t doc_id, const std::string& doc_type, const std::string& xml_in) {
  // A push run reads the same parameters and document values for every partner.
  const core::LookupScope lookups;
  const std::string path = PushPath("PushDocumentToReceivers");
  const std::vector<PushableRow> rows = GetPushableBPs(doc_id, doc_type);
  if (rows.empty() || !SenderAuthorised(doc_id, doc_type)) {
    return;
  }
  const std::string xml = XmlOrStored(doc_id, xml_in);
  rules::SendMethodRuleSet rule_set(doc_id, doc_type);
  bool attempted = false;
  int32_t previous = 0;
  std::optional<int32_t> rule;
  for (const PushableRow& row : rows) {
    try {
      if (row.partner != previous) {
        rule.reset();
        previous = row.partner;
        rule = rule_set.Select(row.partner);
      }
      if (rule && row.rule == *rule && PushRow(doc_id, doc_type, xml, row)) {
        attempted = true;
      }
    } catch (const Error&) {
      if (!delivery::RecordRunFailure(doc_id, path)) {
        throw;
      }
    }
  }
  if (attempted) {
    Document().SetDocumentStatus(doc_id, DOCUMENTSTATUS::DOCUMENTSENT);
  }
}

std::vector<int32_t> SendMethodIds(int32_t partner, const std::string& doc_type, int32_t rule) {
  std::vector<int32_t> ids;
  auto recordset = SendMethod().GetSendMethodIDs(partner, doc_type, rule);
  for (; !recordset->IsEOF(); recordset->MoveNext()) {
    ids.push_back(recordset->Field("SENDMETHODID").ToInt32());
  }
  recordset->Close();
  return ids;
}

}  // namespace

void PushDocUtils::PushDocumentToReceiversWithErrorRaise(int32_t i_lDocID,
                                                         const std::string& i_sDocTypeID,
                                                         const std::string& i_sXMLStr) {
  const std::string path = PushPath("PushDocumentToReceiversWithErrorRaise");
  core::Guarded(path, [&] {
    PushDocumentToReceivers(i_lDocID, i_sDocTypeID, i_sXMLStr);
    if (recipients::HasOpenPublicationErrors(i_lDocID)) {
      RaiseError(EnumerationErrors::PushDocumentError, path,
                 delivery::Label("ZODAR4327", {{"[%DOCID%]", std::to_string(i_lDocID)}}));
    }
  });
}

void PushDocUtils::PushDocumentToReceivers(int32_t i_lDocID, const std::string& i_sDocTypeID,
                                           const std::string& i_sXMLStr) {
  const std::string path = PushPath("PushDocumentToReceivers");
  core::Guarded(path, [&] {
    try {
      PushToReceivers(i_lDocID, i_sDocTypeID, i_sXMLStr);
    } catch (...) {
      if (!delivery::RecordRunFailure(i_lDocID, path)) {
        throw;
      }
    }
  });
}

bool PushDocUtils::PushDocumentToReceiver(int32_t i_lBPID, int32_t i_lDocID,
                                          const std::string& i_sDocTypeID,
                                          const std::string& i_sXMLStr) {
  try {
    const int32_t rule = SelectedRule(i_lDocID, i_sDocTypeID, i_lBPID);
    const std::vector<int32_t> ids = SendMethodIds(i_lBPID, i_sDocTypeID, rule);
    if (ids.empty()) {
      return false;
    }
    const std::string xml = XmlOrStored(i_lDocID, i_sXMLStr);
    bool failed = false;
    for (int32_t id : ids) {
      try {
        ExecuteSendMethod(i_lBPID, i_lDocID, id, rule, xml, 0);
      } catch (const Error&) {
        failed = true;
      }
    }
    Document().SetDocumentStatus(i_lDocID, DOCUMENTSTATUS::DOCUMENTSENT);
    return !failed;
  } catch (...) {
    const Error error = CurrentError();
    try {
      core::LogPublicationError(i_lDocID, ErrNumber(EnumerationErrors::PublishDocumentError),
                                error.description(), PushPath("PushDocumentToReceiver"),
                                "ZODAR0883", delivery::PartnerReplacements(i_lDocID, i_lBPID));
    } catch (...) {
      delivery::RecordRunFailure(i_lDocID, PushPath("PushDocumentToReceiver"));
    }
    return false;
  }
}

void PushDocUtils::ExecuteSendMethod(int32_t i_lBPID, int32_t i_lDocID, int32_t i_lSendMethodID,
                                     int32_t i_lruleid, const std::string& i_sXMLStr,
                                     int32_t i_lPublicationErrorID) {
  const std::string path = PushPath("ExecuteSendMethod");
  core::Guarded(path, [&] {
    SendMethod store;
    std::string doc_type;
    TSendMethodProperties record;
    VariantArray extension;
    PendingError failure;
    try {
      doc_type = Document().GetDocumentTypeOfDocument(i_lDocID);
      store.GetSendMethodProperties2(i_lSendMethodID, record);
      const std::string xml = XmlOrStored(i_lDocID, i_sXMLStr);
      store.GetSendMethodProperties3(i_lSendMethodID, extension);
      delivery::PushDocument(i_lBPID, i_lDocID, xml, record, extension);
    } catch (...) {
      failure.Capture();
    }
    if (!failure.IsSet()) {
      if (i_lPublicationErrorID > 0) {
        Collaboration().ClosePublicationErrors(i_lPublicationErrorID, 0);
      }
      delivery::AddSentHistory(i_lSendMethodID, i_lBPID, i_lruleid, i_lDocID, doc_type);
      return;
    }
    const int32_t error_id = core::LogPublicationError(
        i_lDocID, ErrNumber(EnumerationErrors::PublishDocumentError), failure.error().description(),
        path, "ZODAR0883", delivery::SendMethodReplacements(i_lDocID, record, i_lBPID));
    if (i_lPublicationErrorID > 0) {
      Collaboration().ClosePublicationErrors(i_lPublicationErrorID, 0);
    }
    delivery::AddNotSentHistory(i_lSendMethodID, i_lBPID, i_lruleid, i_lDocID, doc_type, error_id);
    RaiseError(EnumerationErrors::CannotExecuteSendMethod, path, delivery::Label("ZODAR0875"));
  });
}

bool PushDocUtils::CanPush(int32_t iBPID, int32_t /*iDocID*/, const std::string& iDocTypeID) {
  return core::Guarded(PushPath("CanPush"), [&] {
    return !SendMethodIds(iBPID, iDocTypeID, -1).empty() ||
           Rules().ExistRulesAttachedToSendMethods(iDocTypeID, iBPID, 0);
  });
}

std::string PushDocUtils::GetField(db::Recordset& i_oRS, const std::string& i_sFieldName) {
  return core::Guarded(PushPath("GetField") + "." + i_sFieldName, [&] {
    const Variant value = i_oRS.Field(i_sFieldName);
    return value.IsNull() ? std::string() : text::Trim(value.ToText());
  });
}

void PushDocUtils::RepushDocumentFromErrorBox(const std::string& i_sCurrentUser, int32_t i_lDocID,
                                              int32_t i_lPublicationErrorID) {
  const std::string path = PushPath("RepushDocumentFromErrorBox");
  core::Guarded(path, [&] {
    int32_t partner = 0;
    int32_t send_method = 0;
    int32_t document = 0;
    std::string sender;
    GetSendMethodInfoViaPublicationError(i_lPublicationErrorID, partner, send_method, document,
                                         sender);
    if (document != i_lDocID || !text::IEquals(sender, i_sCurrentUser)) {
      RaiseError(EnumerationErrors::PushDocumentError, path, delivery::Label("ZODAR0875"));
    }
    ExecuteSendMethod(partner, document, send_method, 0, "", i_lPublicationErrorID);
  });
}

int32_t PushDocUtils::GetSendMethodIDByPublicationErrorID(int32_t i_lPublicationErrordID) {
  return core::Guarded(PushPath("GetSendMethodIDByPublicationErrorID"), [&] {
    const auto value =
        core::FirstField("SELECT SENDMETHODID FROM SENDMETHODHISTORY WHERE PUBLICATIONERRORID = " +
                             core::SqlLong(i_lPublicationErrordID),
                         "SENDMETHODID");
    return value && !value->IsNull() ? value->ToInt32() : 0;
  });
}

void PushDocUtils::GetSendMethodInfoViaPublicationError(int32_t i_lPublicationErrordID,
                                                        int32_t& o_lBusinessPartnerID,
                                                        int32_t& o_lSendMethodID,
                                                        int32_t& o_lDocumentID,
                                                        std::string& o_sSender) {
  core::Guarded(PushPath("GetSendMethodInfoViaPublicationError"), [&] {
    o_lBusinessPartnerID = 0;
    o_lSendMethodID = 0;
    o_lDocumentID = 0;
    o_sSender = "0";
    const std::string sql =
        std::string(" SELECT SMH.DOCUMENTID AS DID, ") + " SMH.SENDMETHODID as SID, " +
        " SMH.BUSINESSPARTNERID AS BPID, " + " D.SENDER as SENDER " +
        " FROM   SENDMETHODHISTORY SMH, " + " DOCUMENT D " +
        " WHERE  SMH.PUBLICATIONERRORID = " + core::SqlLong(i_lPublicationErrordID) +
        " AND    D.DOCUMENTID = SMH.DOCUMENTID";
    auto recordset = core::getDisconnectedReadOnlyRecordSet(sql);
    if (!recordset->IsEOF()) {
      o_lSendMethodID = recordset->Field("SID").ToInt32();
      o_lBusinessPartnerID = recordset->Field("BPID").ToInt32();
      o_lDocumentID = recordset->Field("DID").ToInt32();
      const Variant sender = recordset->Field("SENDER");
      o_sSender = sender.IsNull() ? std::string() : sender.ToText();
    }
  });
}

bool PushDocUtils::ErrorIsExecSendMethodError(const Variant& i_lErrNumber) {
  return core::Guarded(PushPath("ErrorIsExecSendMethodError"), [&] {
    const int64_t number = i_lErrNumber.ToInt64();
    return number == ErrNumber(EnumerationErrors::CannotExecuteSendMethod) ||
           number == static_cast<int64_t>(static_cast<uint32_t>(
                         ErrNumber(EnumerationErrors::CannotExecuteSendMethod)));
  });
}

std::string PushDocUtils::URLEncode(const std::string& iStr) {
  return core::Guarded(PushPath("URLEncode"),
                       [&] { return text::ReplaceAll(core::URLEncode(iStr), "=", "%3D"); });
}

void PushDocUtils::SendByEmail2(int32_t i_lDocID, const Variant& i_vSendData,
                                TSendMethodProperties& i_uProperties,
                                VariantArray& i_aProperties24) {
  delivery::SendByEmail2(i_lDocID, i_vSendData, i_uProperties, i_aProperties24);
}

void PushDocUtils::SendByEmail(int32_t i_lDocID, const Variant& i_vSendData,
                               TSendMethodProperties& i_uProperties) {
  const std::string file =
      delivery::SendByEmail2(i_lDocID, i_vSendData, i_uProperties, VariantArray(0));
  core::Guarded(PushPath("SendByEmail"), [&] {
    if (!file.empty()) {
      routing::xml_files::Delete(file);
    }
  });
  core::LogError(Error(0, PushPath("SendByEmail"),
                       "This function is not supported any more, use SendByEmail2"),
                 PushPath("SendByEmail"));
}

void PushDocUtils::SendByFax2(int32_t i_lDocID, Variant& i_vSendData,
                              TSendMethodProperties& i_uProperties, VariantArray& i_aProperties24) {
  delivery::SendByFax2(i_lDocID, i_vSendData, i_uProperties, i_aProperties24);
}

void PushDocUtils::SendByFax(int32_t i_lDocID, Variant& i_vSendData,
                             TSendMethodProperties& i_uProperties) {
  core::Guarded(PushPath("SendByFax"),
                [&] { i_uProperties.sAddress += "@" + core::GetParameter("FaxServer"); });
  SendByEmail(i_lDocID, i_vSendData, i_uProperties);
  core::LogError(
      Error(0, PushPath("SendByFax"), "This function is not supported any more, use SendByFax2"),
      PushPath("SendByFax"));
}

}  // namespace velmora
