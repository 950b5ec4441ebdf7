#include "app/push_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "app/admin.h"
#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "delivery/push/push_support.h"
#include "velmora/base/dictionary.h"
#include "velmora/delivery/push_doc_utils.h"
#include "velmora/delivery/send_method.h"
#include "velmora/document/document.h"

namespace velmora::app {
namespace {

struct PushOptions {
  bool json = false;
  std::string document;
  std::string partner;
};

int32_t LastId(const std::string& sql) {
  const auto value = core::FirstField(sql, "LASTID");
  return value && !value->IsNull() ? value->ToInt32() : 0;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

Variant SendRecord(const db::Recordset& row) {
  const Variant protocol = row.Field("PROTOCOL");
  const Variant address = row.Field("ADDRESS");
  const Variant description = row.Field("DESCRIPTION");
  SendMethod store;
  return Record(
      {{"sendMethod", NumberOf(row, "SENDMETHODID")},
       {"partner", NumberOf(row, "BUSINESSPARTNERID")},
       {"protocol", protocol.IsNull() ? Variant() : protocol},
       {"protocolLabel",
        Variant(protocol.IsNull() ? std::string()
                                  : store.GetSendMethodProtocolLabel(
                                        static_cast<ESendMethodProtocol>(protocol.ToInt32())))},
       {"address",
        Variant(address.IsNull() ? std::string() : delivery::RedactAddress(address.ToText()))},
       {"sent", Variant(row.Field("STATUS").ToInt32() == 1)},
       {"error", description.IsNull() ? Variant() : Variant(FirstLine(description.ToText()))}});
}

Variant ErrorRecord(const db::Recordset& row) {
  return Record({{"publicationError", NumberOf(row, "PUBLICATIONERRORID")},
                 {"label", TextOf(row, "LABEL")},
                 {"error", Variant(FirstLine(row.Field("DESCRIPTION").ToText()))}});
}

Variant RunPush(const PushOptions& o) {
  const int32_t doc_id = ParseId("The document id", o.document);
  const std::string doc_type = Document().GetDocumentTypeOfDocument(doc_id);
  if (doc_type.empty()) {
    Missing("Document " + o.document + " does not exist or has no document type");
  }
  const int32_t last_history = LastId("SELECT MAX(HISTORYID) AS LASTID FROM SENDMETHODHISTORY");
  const int32_t last_error =
      LastId("SELECT MAX(PUBLICATIONERRORID) AS LASTID FROM PUBLICATIONERRORS");
  PushDocUtils push;
  if (o.partner.empty()) {
    push.PushDocumentToReceivers(doc_id, doc_type);
  } else {
    push.PushDocumentToReceiver(ParseId("The partner id", o.partner), doc_id, doc_type);
  }
  const Variant sends = Rows(
      "SELECT h.SENDMETHODID, h.BUSINESSPARTNERID, h.STATUS, p.PROTOCOL, p.ADDRESS, "
      "e.DESCRIPTION FROM SENDMETHODHISTORY h "
      "LEFT JOIN SENDMETHODPROPERTY p ON p.SENDMETHODID = h.SENDMETHODID "
      "LEFT JOIN PUBLICATIONERRORS e ON e.PUBLICATIONERRORID = h.PUBLICATIONERRORID "
      "WHERE h.DOCUMENTID = ? AND h.HISTORYID > ? ORDER BY h.HISTORYID",
      {Variant(doc_id), Variant(last_history)}, SendRecord);
  const Variant errors = Rows(
      "SELECT e.PUBLICATIONERRORID, e.LABEL, e.DESCRIPTION FROM PUBLICATIONERRORS e "
      "WHERE e.DOCUMENTID = ? AND e.PUBLICATIONERRORID > ? AND NOT EXISTS (SELECT 1 FROM "
      "SENDMETHODHISTORY h WHERE h.PUBLICATIONERRORID = e.PUBLICATIONERRORID) "
      "ORDER BY e.PUBLICATIONERRORID",
      {Variant(doc_id), Variant(last_error)}, ErrorRecord);
  int32_t sent = 0;
  int32_t failed = 0;
  for (const Variant& send : sends.AsArray().values()) {
    (send.As<Dictionary>()->Item("sent").ToBool() ? sent : failed) += 1;
  }
  return Record({{"document", Variant(doc_id)},
                 {"sent", Variant(sent)},
                 {"failed", Variant(failed + static_cast<int32_t>(errors.AsArray().Count()))},
                 {"sends", sends},
                 {"errors", errors}});
}

std::string PushText(const Variant& result) {
  const auto summary = result.As<Dictionary>();
  std::string out;
  const Variant sends = summary->Item("sends");
  const Variant errors = summary->Item("errors");
  for (const Variant& send : sends.AsArray().values()) {
    const auto row = send.As<Dictionary>();
    out += "send method " + row->Item("sendMethod").ToText() + " (partner " +
           row->Item("partner").ToText() + ", protocol " + row->Item("protocol").ToText() +
           ", address '" + row->Item("address").ToText() + "'): " +
           (row->Item("sent").ToBool() ? std::string("SENT")
                                       : "NOT SENT: " + row->Item("error").ToText()) +
           "\n";
  }
  for (const Variant& error : errors.AsArray().values()) {
    out += "error: " + error.As<Dictionary>()->Item("error").ToText() + "\n";
  }
  return out + "document " + summary->Item("document").ToText() + ": " +
         summary->Item("sent").ToText() + " sent, " + summary->Item("failed").ToText() +
         " failed\n";
}

}  // namespace

void AddPushCommand(cli::Command& root, const std::function<void()>& use_home) {
  auto o = std::make_shared<PushOptions>();
  cli::Command& push = root.Add("push", "Push a document to its receivers by their send methods");
  push.Positional("document", o->document, "Document id", true);
  push.Option("--partner", o->partner, "Push to this business partner only");
  push.Flag("--json", o->json, "Machine-readable output");
  push.OnRun([o, use_home] {
    use_home();
    bool failed = false;
    const int code = RunAdminCommand(
        o->json,
        [&] {
          Variant result = RunPush(*o);
          failed = result.As<Dictionary>()->Item("failed").ToInt32() > 0;
          return result;
        },
        PushText, ErrorText::kTrimmed, "velmora push");
    return code != 0 || failed ? 1 : 0;
  });
}

}  // namespace velmora::app
