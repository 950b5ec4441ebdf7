// ProcessDocumentCore: the steps of processing one received document and their two exits.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/general.h"
#include "core/guarded.h"
#include "core/logged.h"
#include "core/publication_errors.h"
#include "document/document_store.h"
#include "document/processing/processing.h"
#include "document/processing/processing_outputs.h"
#include "routing/document_types.h"
#include "routing/recipients/resolution.h"
#include "routing/users.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/convert/obi.h"
#include "velmora/document/document.h"
#include "velmora/publish/publish_create_document.h"
#include "velmora/routing/sender_list.h"
#include "velmora/support/user_defined_fields.h"

namespace velmora::document {
namespace {

// How a failed step leaves: its localised message, its label code and whether it records the
// message as a PUBLICATIONERRORS row first (exit B) or not (exit A).
struct StepFailure {
  std::string message;
  std::string code;
  bool exit_b = false;
};

StepFailure ExitA(const std::string& code) { return {Message(code), code, false}; }
StepFailure ExitB(const std::string& code) { return {Message(code), code, true}; }

// The sender of `xml` (parsed as `loaded` when that is not null), reported as the published
// sender look-up reports it.
void FindSenderIn(const std::string& xml, const std::shared_ptr<xml::Document>& loaded,
                  int32_t& partner, std::string& name) {
  const routing::users::Sender sender = core::Guarded(
      routing::users::kSenderPath,
      [&] { return loaded ? routing::users::SenderOf(loaded) : routing::users::SenderOf(xml); },
      [] { return routing::users::NoSenderInfo(); });
  partner = sender.partner;
  name = sender.name;
}

class Processing {
 public:
  explicit Processing(ProcessingArgs& args) : a_(args) {}
  Processing(const Processing&) = delete;
  Processing& operator=(const Processing&) = delete;

  int32_t Run();

 private:
  bool HasXml() const { return loaded_ != nullptr; }
  void TraceStep(std::string_view step) const;
  // Runs `body` with errors trapped between its two trace entries; true when it succeeded.
  bool Step(std::string_view start, std::string_view end, const std::function<void()>& body);
  [[noreturn]] void Leave(const StepFailure& failure);

  void Parse();
  void CheckObi();
  void ReadShowFlag();
  void FindSender();
  void FindDocumentType();
  void CheckAuthorisation();
  void Store();
  void Transform();
  void FindDefaultReceiver();
  void WriteProperties();
  void FillUserDefinedFields();
  void ResolveRecipients();
  void CopyAttachments();
  void Deliver();
  std::string SenderDisplayName();

  ProcessingArgs& a_;
  std::string xml_{a_.xml};
  std::shared_ptr<xml::Document> loaded_;
  bool show_ = true;
  // The standard form of the document (S); empty after a conversion to another type.
  std::string standard_;
  PendingError error_;
};

int32_t Processing::Run() {
  Parse();
  if (HasXml()) {
    CheckObi();
    ReadShowFlag();
  }
  if (a_.sender_bp == 0 && HasXml()) {
    FindSender();
  }
  if (a_.doc_type.empty() && HasXml()) {
    FindDocumentType();
  }
  if (HasXml() && !a_.doc_type.empty()) {
    CheckAuthorisation();
  }
  Store();
  Transform();
  if (a_.def_recipient.empty() && HasXml()) {
    FindDefaultReceiver();
  }
  WriteProperties();
  if (HasXml()) {
    FillUserDefinedFields();
  }
  if (!standard_.empty() && a_.doc_id != 0 && !a_.doc_type.empty()) {
    ResolveRecipients();
  }
  if (a_.attachments != nullptr) {
    CopyAttachments();
  }
  if (a_.status != 0 && !standard_.empty() && a_.doc_id != 0 && !a_.doc_type.empty() &&
      a_.interactive != -1) {
    Deliver();
  }
  return a_.doc_id;
}

void Processing::TraceStep(std::string_view step) const {
  try {
    core::Trace(kProcessPath,
                Variant(std::string(step) + " - Document " + std::to_string(a_.doc_id)));
  } catch (...) {
    // A trace entry that cannot be written does not stop processing.
  }
}

bool Processing::Step(std::string_view start, std::string_view end,
                      const std::function<void()>& body) {
  TraceStep(start);
  error_.Clear();
  try {
    body();
  } catch (...) {
    error_.Capture();
  }
  TraceStep(end);
  return !error_.IsSet();
}

void Processing::Leave(const StepFailure& failure) {
  const int32_t number =
      error_.IsSet() ? error_.number() : ErrNumber(EnumerationErrors::ProcessDocumentError);
  if (a_.doc_id != 0) {
    // Exit B records the failure with label "ZODAR1812". A row that leaves by exit A and
    // survives the clean-up (it already had a type) gets its row under the step's own label;
    // for a row without a type nothing is written and the row is removed below.
    core::LogAndContinue(kProcessPath, [&] {
      core::LogPublicationError(a_.doc_id, number, failure.message, kProcessPath,
                                failure.exit_b ? "ZODAR1812" : failure.code);
    });
  }
  PendingError current;
  current.Set(
      Error(ErrNumber(EnumerationErrors::ProcessDocumentError), kProcessPath, failure.message));
  const PendingError saved = current.Store();
  NotifyProcessingFailure(a_.doc_id, failure.message, show_, loaded_.get());
  current.Restore(saved);
  if (a_.interactive != 0) {
    core::LogAndContinue(kProcessPath, [&] { core::LogError(current.error(), kProcessPath); });
  }
  current.Raise();
}

void Processing::Parse() {
  if (text::TrimView(xml_).empty()) {
    return;
  }
  auto document = std::make_shared<xml::Document>();
  bool loaded = false;
  if (!Step("LoadXmlInDom_Start", "LoadXmlInDom_End", [&] { loaded = document->LoadXml(xml_); })) {
    xml::ParseError failure;
    failure.reason = error_.error().description();
    Leave({XmlLoadFailureMessage(failure), "ZODAR1839", false});
  }
  if (!loaded) {
    Leave({XmlLoadFailureMessage(document->parse_error()), "ZODAR1839", false});
  }
  loaded_ = std::move(document);
}

void Processing::CheckObi() {
  bool obi = false;
  bool enabled = true;
  const bool ran = Step("getObiDocumentInfo_start", "getObiDocumentInfo_end", [&] {
    OBI service;
    obi =
        service.GetObiDocumentInfo(loaded_, "", ObiDocumentInfoOutputs{.oDocTypeID = &a_.doc_type});
    if (obi) {
      enabled = service.IsOBIEnabled();
    }
  });
  if (!ran || (obi && !enabled)) {
    Leave(ExitA("ZODAR4304"));
  }
}

void Processing::ReadShowFlag() {
  if (!Step("getShowFlag_start", "getShowFlag_end",
            [&] { show_ = GetShowFlagFromDoc(loaded_.get()); })) {
    Leave(ExitA("ZODAR0031"));
  }
}

void Processing::FindSender() {
  const bool ran = Step("getSenderBPAndName_start", "getSenderBpAndName_end",
                        [&] { FindSenderIn(xml_, loaded_, a_.sender_bp, a_.sender_name); });
  if (!ran || (a_.sender_bp == 0 && a_.interactive != -1)) {
    Leave(ExitA("ZODAR1826"));
  }
}

void Processing::FindDocumentType() {
  const bool ran = Step("getDocumentType_start", "getDocumentType_end", [&] {
    a_.doc_type = core::Guarded("Velmora.Utility.GetDocType",
                                [&] { return recipients::DocumentTypeOf(loaded_, a_.sender_bp); });
  });
  if (!ran || (a_.doc_type.empty() && a_.interactive != -1)) {
    Leave(ExitA("ZODAR0006"));
  }
}

std::string Processing::SenderDisplayName() {
  if (a_.interactive == 0) {
    return a_.sender_name;
  }
  std::string name = a_.sender_name;
  core::LogAndContinue(kProcessPath, [&] {
    const auto user = routing::users::BoundUser(a_.sender_name);
    const std::string full = user->LastName() + " " + user->FirstName();
    if (!text::TrimView(full).empty()) {
      name = full;
    }
  });
  return name;
}

void Processing::CheckAuthorisation() {
  bool allowed = false;
  Step("checkAuthorizationForSender_start", "checkAuthorizationForSender_end",
       [&] { allowed = SenderList().CheckAuthorizationForSender(a_.doc_type, a_.sender_name); });
  if (allowed) {
    return;
  }
  std::string description = a_.doc_type;
  core::LogAndContinue(kProcessPath,
                       [&] { description = routing::document_types::Description(a_.doc_type); });
  Dictionary replacements;
  replacements.Add("[%USER%]", Variant(SenderDisplayName()));
  replacements.Add("[%DOCTYPE%]", Variant(description));
  Leave({Message("ZODAR1720", replacements), "ZODAR1720", false});
}

void Processing::Store() {
  const bool ran =
      a_.doc_id != 0
          ? Step("updateDocumentWithXmlBody_start", "updateDocumentWithXmlBody_end",
                 [&] { Document().UpdateDocumentWithOriginalXmlBody(a_.doc_id, xml_); })
          : Step("createDocumentIDAndStoreXmlBody_start", "createDocumentIDAndStoreXmlBody_end",
                 [&] { a_.doc_id = StoreOriginalDocument(xml_); });
  if (!ran) {
    Leave(ExitA("ZODAR1812"));
  }
}

void Processing::Transform() {
  const bool ran =
      !a_.original_doc_type.empty()
          ? Step("transformDocumentToNewDocumentType_start",
                 "transformDocumentToNewDocumentType_end",
                 [&] {
                   Document().TransformDocToNewDocType(a_.doc_id, a_.original_doc_type,
                                                       a_.doc_type);
                 })
          : Step("transformDocumentToStandardXml_start", "transformDocumentToStandardXml_end", [&] {
              standard_ = TransformDocumentToStandard(a_.doc_id, a_.doc_type, a_.sender_bp);
            });
  if (!ran) {
    Leave(ExitB("ZODAR1824"));
  }
}

void Processing::FindDefaultReceiver() {
  if (!Step("getDefaultReceiver_start", "getDefaultReceiver_end", [&] {
        a_.def_recipient = core::Guarded("Velmora.Utility.GetDefaultReceiver",
                                         [&] { return recipients::DefaultReceiverOf(*loaded_); });
      })) {
    Leave(ExitB("ZODAR1827"));
  }
}

void Processing::WriteProperties() {
  if (!Step("updateDocumentProperties_start", "updateDocumentProperties_end", [&] {
        UpdateDocument(a_.doc_id, a_.doc_type, a_.sender_name, a_.def_recipient, a_.status, show_,
                       a_.forwarded_doc_id);
      })) {
    Leave(ExitB("ZODAR1825"));
  }
}

void Processing::FillUserDefinedFields() {
  if (Step("updateUserDefinedFields_start", "updateUserDefinedFields_end",
           [&] { UserDefinedFields().UpdateValuesInTagsValueTable(a_.doc_id, a_.doc_type); })) {
    return;
  }
  const Error failure = error_.error();
  core::LogAndContinue(kProcessPath, [&] {
    core::LogPublicationError(a_.doc_id, failure.number(), failure.description(), kProcessPath,
                              "ZODAR1828");
  });
  core::LogAndContinue(
      kProcessPath, [&] { core::LogError(failure, kProcessPath, Variant(Message("ZODAR1828"))); });
}

void Processing::ResolveRecipients() {
  const bool ran = Step(
      "fillPublicationTableWithRecipients_start", "fillPublicationTableWithRecipients_end", [&] {
        if (!a_.original_def_recipient.empty() && a_.interactive != 0) {
          core::Guarded("Velmora.Utility.FillPublicationTable", [&] {
            return recipients::FillFromDistributionList(a_.doc_id, a_.doc_type, 0,
                                                        a_.original_def_recipient);
          });
          return;
        }
        a_.status = static_cast<int16_t>(core::Guarded(
            "Velmora.Utility.GetRecipientsAndFillPublicationTable",
            [&] { return recipients::ResolveRecipients(a_.doc_id, a_.doc_type, standard_); }));
        if (a_.status != 0 && a_.interactive != -1) {
          Document documents;
          documents.SetDocumentStatus(a_.doc_id, documents.ConvertStatusFromIntToEnum(a_.status));
        }
      });
  if (!ran) {
    // The publications of one document are all or nothing: a resolution that failed half-way
    // leaves no recipient behind.
    core::LogAndContinue(kProcessPath, [&] { Document().RemoveRecipientsForDocument(a_.doc_id); });
    Leave(ExitB("ZODAR1829"));
  }
}

void Processing::CopyAttachments() {
  if (!Step("CopyingAttachments_start", "CopyingAttachments_end",
            [&] { PublishCreateDocument().CopyAttachmentCollection(a_.doc_id, a_.attachments); })) {
    Leave(ExitB("ZODAR1808"));
  }
}

void Processing::Deliver() {
  if (!Step("publishDocument_start", "publishDocument_end",
            [&] { PushToReceivers(a_.doc_id, a_.doc_type, OBI().IsObiDocument(a_.doc_type)); })) {
    Leave(ExitB("ZODAR1809"));
  }
  if (!Step("sendNotificationEmails_start", "sendNotificationEmails_end",
            [&] { NotifyRecipients(a_.doc_id); })) {
    Leave(ExitA("ZODAR1810"));
  }
}

}  // namespace

int32_t ProcessDocumentCore(ProcessingArgs& args) { return Processing(args).Run(); }

}  // namespace velmora::document
