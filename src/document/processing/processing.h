#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"
#include "velmora/xml/document.h"
#include "velmora/xml/parse_error.h"

// Document processing: the steps that turn a received XML text into a published document
// (Document::ProcessDocument and ProcessDocumentWithAttachments delegate here).
namespace velmora::document {

// The method path of processing's errors, log and trace entries.
inline constexpr const char* kProcessPath = "Velmora.Document.ProcessDocument";

// The caller's arguments of one processing call; the references are written back as the
// steps fill them.
struct ProcessingArgs {
  int32_t interactive = 0;
  const std::string& xml;
  std::string& original_doc_type;
  std::string& original_def_recipient;
  // The attachment paths; null when no collection was passed.
  std::shared_ptr<Collection> attachments;
  int32_t& doc_id;
  int32_t& sender_bp;
  std::string& doc_type;
  std::string& sender_name;
  std::string& def_recipient;
  int16_t& status;
  int32_t& forwarded_doc_id;
};

// Runs the steps of processing; returns the document id. A failing step leaves by its exit
// (see Document::ProcessDocument): for an interactive call (interactive != 0) the error is
// logged and raised unchanged; for a component call it is raised unreported and the caller's
// guard reports it under kProcessPath.
int32_t ProcessDocumentCore(ProcessingArgs& args);

// After a failed step: removes `docId`'s row when it never received a type, mails the
// administrator when `show` is false (then sets it true; `loaded`, the parsed document or null,
// goes into the mail), and sets `docId` to 0. Never raises: its own failures are logged, so
// that the processing error is the one the caller receives.
void NotifyProcessingFailure(int32_t& docId, const std::string& message, bool& show,
                             const xml::Document* loaded);

// The standard form of document `docId`: the original transformed with the receive-method
// style sheet of `senderBp` for `docTypeId` and stored as its working body, or the original
// copied there when the partner has none. Reported as
// "Velmora.Document.TransformDocumentToStandard".
std::string TransformDocumentToStandard(int32_t docId, const std::string& docTypeId,
                                        int32_t senderBp);

// The four-line message of a text or file that is not well-formed: labels "ZODAR1839",
// "ZODAR1843" (reason), "ZODAR1840" (line) and "ZODAR1841" (column) joined by "\r\n".
std::string XmlLoadFailureMessage(const xml::ParseError& failure);

// The text of label `code` (default language) with `replacements`; when the label cannot be
// read the code and its replacements stand in (a message about a failure never fails itself).
std::string Message(const std::string& code, const Dictionary& replacements = Dictionary());

}  // namespace velmora::document
