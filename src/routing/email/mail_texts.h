#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "velmora/base/variant.h"

// Helpers of the document mails of Utility and Notification.
namespace velmora::email {

// The label text of `code` in the language written as decimal text (blank or not a number:
// the default language).
std::string Label(const std::string& code, const std::string& language);

// `link` with every blank written as "%20", as mail texts carry links.
std::string MailLink(const std::string& link);

// The attachment files of document `docId` sent by `sender` as a (field, row) array whose
// first field is the full path: attachment folder + id + "\" + stored name. nullopt when the
// document has none, and after an error log entry under `method` when the attachment folder
// is not configured.
std::optional<Variant> DocumentAttachmentArray(const std::string& sender, int32_t docId,
                                               const char* method);

// Deletes a temporary HTML file this call made when it goes out of scope (also on failure;
// a failure to delete is logged, never raised).
class TemporaryHtml {
 public:
  TemporaryHtml() = default;
  ~TemporaryHtml();
  TemporaryHtml(const TemporaryHtml&) = delete;
  TemporaryHtml& operator=(const TemporaryHtml&) = delete;

  bool made() const { return made_; }
  const std::string& path() const { return path_; }
  // The HTML rendering of `docId`, made on the first call.
  const std::string& Make(int32_t docId);

 private:
  bool made_ = false;
  std::string path_;
};

}  // namespace velmora::email
