#pragma once

#include <cstdint>
#include <string>

// The attachments of a forwarded document: rows and files of the received document copied to
// the new one.
namespace velmora::publish {

// Records every ATTACHMENT file name of `oldDocId` for `newDocId` and copies the folder
// `attachmentsPath`\<old id> (when it exists) to `attachmentsPath`\<new id>, overwriting files
// there. The rows are written in one transaction that commits only after the files were
// copied: a failure leaves no row of the new document. Reported as
// "Velmora.PublishForwardDocument.copyAttachments".
void CopyAttachments(int32_t oldDocId, int32_t newDocId, const std::string& attachmentsPath);

}  // namespace velmora::publish
