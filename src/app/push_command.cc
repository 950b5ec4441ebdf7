#include "app/push_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "app/admin.h"
#include "app/admin_runner.h"
#include "delivery/delivery_history_store.h"
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

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

Variant SendRecord(const delivery::DeliveryRecord& row) {
  SendMethod store;
  return Record(
      {{"sendMethod", OrNull(row.send_method)},
       {"partner", OrNull(row.partner)},
       {"protocol", row.protocol ? Variant(*row.protocol) : Variant()},
       {"protocolLabel", Variant(row.protocol ? store.GetSendMethodProtocolLabel(
                                                    static_cast<ESendMethodProtocol>(*row.protocol))
                                              : std::string())},
       {"address", Variant(row.address ? delivery::RedactAddress(*row.address) : std::string())},
       {"sent", Variant(row.status == SENDMETHODSTATUS::SENT)},
       {"error", row.error ? Variant(FirstLine(*row.error)) : Variant()}});
}

Variant ErrorRecord(const delivery::UnrecordedError& row) {
  return Record({{"publicationError", OrNull(row.id)},
                 {"label", OrNull(row.label)},
                 {"error", Variant(FirstLine(row.description))}});
}

Variant RunPush(const PushOptions& o) {
  const int32_t doc_id = ParseId("The document id", o.document);
  const std::string doc_type = Document().GetDocumentTypeOfDocument(doc_id);
  if (doc_type.empty()) {
    Missing("Document " + o.document + " does not exist or has no document type");
  }
  const int32_t last_history = delivery::LastHistoryId();
  const int32_t last_error = delivery::LastPublicationErrorId();
  PushDocUtils push;
  if (o.partner.empty()) {
    push.PushDocumentToReceivers(doc_id, doc_type);
  } else {
    push.PushDocumentToReceiver(ParseId("The partner id", o.partner), doc_id, doc_type);
  }
  const Variant sends = ListOf(delivery::DeliveriesSince(doc_id, last_history), SendRecord);
  const Variant errors = ListOf(delivery::UnrecordedErrorsSince(doc_id, last_error), ErrorRecord);
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
