// What processing does after a failed step besides raising: the clean-up of the half-made row
// and the administrator's mail.
#include <optional>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/logged.h"
#include "document/processing/processing.h"
#include "document/processing/processing_outputs.h"
#include "velmora/document/document.h"

namespace velmora::document {
namespace {

constexpr const char* kNotifyPath = "Velmora.Document.NotifyProcessingFailure";

std::string Subject(int32_t docId) {
  if (docId == 0) {
    return Message("ZODAR0038");
  }
  Dictionary replacements;
  replacements.Add("[%DOCID%]", Variant(std::to_string(docId)));
  return Message("ZODAR0037", replacements);
}

std::string Body(const std::string& message, const xml::Document* loaded) {
  Dictionary replacements;
  replacements.Add("[%ERRORDESCRIPTION%]", Variant(message));
  std::string body = Message("ZODAR0035", replacements);
  if (loaded != nullptr && loaded->DocumentElement().has_value()) {
    body += "\r\n" + Message("ZODAR0036") + ":" + "\r\n" + loaded->Xml();
  }
  return body;
}

}  // namespace

void NotifyProcessingFailure(int32_t& docId, const std::string& message, bool& show,
                             const xml::Document* loaded) {
  if (docId != 0) {
    core::LogAndContinue(kNotifyPath, [&] { Document().RemoveInvalidDocument(docId); });
  }
  if (!show) {
    core::LogAndContinue(kNotifyPath, [&] {
      const std::string address = core::GetParameter("AdminEmailAddress");
      MailAdministrator(address, Subject(docId), Body(message, loaded));
    });
    show = true;
  }
  docId = 0;
}

}  // namespace velmora::document
