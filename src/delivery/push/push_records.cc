#include "delivery/push/push_records.h"

#include "delivery/push/push_support.h"
#include "routing/users.h"
#include "velmora/base/dictionary.h"

namespace velmora::delivery {
namespace {

std::string PartnerName(int32_t partner) {
  try {
    return routing::users::PartnerName(partner);
  } catch (const Error&) {
    return std::to_string(partner);
  }
}

core::XmlDocumentRef BuildReplacements(int32_t doc_id, const std::string& format_label,
                                       const std::string& protocol_label,
                                       const std::string& address, int32_t partner) {
  Dictionary replacements;
  replacements.Add("[%DOCID%]", Variant(std::to_string(doc_id)));
  replacements.Add("[%LABEL%]", Variant(format_label));
  replacements.Add("[%LABEL1%]", Variant(protocol_label));
  replacements.Add("[%ADDRESS%]", Variant(address));
  replacements.Add("[%BUSINESSPARTNER%]", Variant(PartnerName(partner)));
  core::XmlDocumentRef xml;
  core::FillReplacementsXml(xml, replacements);
  return xml;
}

}  // namespace

core::XmlDocumentRef SendMethodReplacements(int32_t doc_id, const TSendMethodProperties& record,
                                            int32_t partner) {
  SendMethod store;
  return BuildReplacements(
      doc_id, store.GetSendMethodFormatLabel(static_cast<ESendMethodProtocol>(record.nFormat)),
      store.GetSendMethodProtocolLabel(record.nProtocol), RedactAddress(record.sAddress), partner);
}

core::XmlDocumentRef PartnerReplacements(int32_t doc_id, int32_t partner) {
  return BuildReplacements(doc_id, "", "", "", partner);
}

void AddSentHistory(int32_t send_method, int32_t partner, int32_t rule, int32_t doc_id,
                    const std::string& doc_type) {
  SendMethod store;
  store.AddSendMethodToHistory(send_method, partner, rule, doc_id, doc_type, 0,
                               store.getSendMethodStatus_SENT());
}

void AddNotSentHistory(int32_t send_method, int32_t partner, int32_t rule, int32_t doc_id,
                       const std::string& doc_type, int32_t publication_error) {
  SendMethod store;
  store.AddSendMethodToHistory(send_method, partner, rule, doc_id, doc_type, publication_error,
                               store.getSendMethodStatus_NOTSENT());
}

bool RecordRunFailure(int32_t doc_id, const std::string& source) {
  const Error error = CurrentError();
  try {
    core::LogPublicationError(doc_id, error.number(), error.description(), source, "ZODAR0875");
    return true;
  } catch (const Error& failure) {
    try {
      core::LogError(failure, source);
    } catch (const Error&) {
      return false;
    }
  }
  return false;
}

}  // namespace velmora::delivery
