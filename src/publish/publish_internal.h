#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "velmora/base/dictionary.h"

// The private operations of PublishCreateDocument that need no member of the object.
namespace velmora::publish {

// Writes `content` (or copies `sourceFile` when `content` is empty) into the pick-up folder
// (parameter "XMLPath2") as prefix + "_yyyy.mm.dd_hh.mm.ss-<n>" + extension, for the first n
// of 0 ... 99 whose name is free. Returns 0. Raises the last attempt's error (AlreadyPresent
// after 100 taken names) under "PublishCreateDocument.PublishDocumentAsync".
int32_t PublishDocumentAsync(const std::string& prefix, const std::string& extension,
                             const std::string& content, const std::string& sourceFile);

// Error-folder copies of failed content for the administrator, each in a new folder of
// Utility::CreateErrorDir. They never raise: their own failures are logged under
// "PublishCreateDocument.<operation>", so that the publication error is the one reported.
// The text goes in as "<docId>.xml" (docId > 0) or "Error.xml", in UTF-16, under a unique name.
void WriteDocumentContentAndAttachmentsToErrorDir(int32_t docId, const std::string& xml,
                                                  const std::shared_ptr<Collection>& attachments);
void WriteFileAndAttachmentsToErrorDir(const std::string& file,
                                       const std::shared_ptr<Collection>& attachments);

// True when `attachments` is a collection with at least one item.
bool HasItems(const std::shared_ptr<Collection>& attachments);

}  // namespace velmora::publish
