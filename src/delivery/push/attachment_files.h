#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The attachment files a transport delivers with a document.
namespace velmora::delivery {

// The attachments folder (ending in "\"). When it is not configured, raises
// AttachmentsSupported with `source` and label "ZODAR5071" naming "AttachmentsVirtualPath",
// followed by `suffix`.
std::string AttachmentsFolderOrRaise(const std::string& source, const std::string& suffix);

// The registered file names of the document's attachments, in order; each must be a plain
// file name (InvalidParamValue with `source` otherwise).
std::vector<std::string> AttachmentNames(int32_t doc_id, const std::string& source);

// The library path of an attachment: folder + document id + "\" + name.
std::string AttachmentPath(const std::string& folder, int32_t doc_id, const std::string& name);

}  // namespace velmora::delivery
