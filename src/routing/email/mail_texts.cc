#include "routing/email/mail_texts.h"

#include "core/general.h"
#include "core/labels.h"
#include "routing/html_attachments.h"
#include "routing/xml_files.h"
#include "velmora/base/text.h"
#include "velmora/routing/utility.h"
#include "velmora/support/attachments.h"

namespace velmora::email {

std::string Label(const std::string& code, const std::string& language) {
  int64_t number = 0;
  const bool numeric = text::ParseInt64(text::Trim(language), number);
  return core::GetLabel(code, numeric ? static_cast<int32_t>(number) : 0);
}

std::string MailLink(const std::string& link) { return text::ReplaceAll(link, " ", "%20"); }

std::optional<Variant> DocumentAttachmentArray(const std::string& sender, int32_t docId,
                                               const char* method) {
  Attachments attachments;
  std::string url;
  std::string folder;
  if (!attachments.GetAttachmentUrlAndFolder(url, folder)) {
    const std::string text = " " + text::ReplaceAll(core::GetLabel("ZODAR5071"), "[%PARAMNAME%]",
                                                    "AttachmentsVirtualPath");
    core::LogError(Error(0, method, text), method);
    return std::nullopt;
  }
  const auto rows = attachments.GetDocumentAttachmentsBySenderRS(sender, docId);
  if (rows->IsEOF()) {
    return std::nullopt;
  }
  VariantArray array = rows->GetRows();
  for (int32_t row = array.LBound(2); row <= array.UBound(2); ++row) {
    Variant& name = array.At(array.LBound(1), row);
    name = Variant(folder + std::to_string(docId) + "\\" + name.ToText());
  }
  return Variant(std::move(array));
}

TemporaryHtml::~TemporaryHtml() {
  if (made_ && !text::Trim(path_).empty()) {
    try {
      routing::xml_files::Delete(path_);
    } catch (...) {
      // The mail outcome stands; the file left behind is logged.
      core::LogError("Velmora.Utility.DeleteHTMLAttachment");
    }
  }
}

const std::string& TemporaryHtml::Make(int32_t docId) {
  if (!made_) {
    path_ = routing::html_attachments::WriteStored(docId);
    made_ = true;
  }
  return path_;
}

}  // namespace velmora::email
