#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/mail/mailbox.h"
#include "platform/mail/transport.h"

// Received messages taken apart, and the check of the file names they carry.
namespace velmora::mail {

// A received message as the mailbox import sees it.
struct ReceivedMail {
  // The From header decoded ("Name <addr@domain>" or the address); "" when there is none.
  std::string sender;
  // Every attached part in message order, bytes decoded from base64 or quoted-printable.
  // Parts of nested multiparts count; the text and HTML bodies do not; an attached message
  // is one part (its bytes as received). `name` is the decoded file name (RFC 2047 and 2231)
  // as the sender wrote it (untrusted: see CheckAttachmentName); a part without a name gets
  // "attachment-<n>" (n counting from 1 in message order) with an extension of its content
  // type (".bin" for anything that could be published: a nameless part never becomes a
  // document).
  std::vector<Attachment> attachments;
};

// Parses one message. Raises kErrMailboxFailed with source "Velmora.Mailbox" when the bytes
// hold no message. Safe to use from several threads at once.
ReceivedMail ParseReceivedMail(std::string_view bytes);

// An attachment name judged for use as a file name inside a folder.
struct AttachmentName {
  std::string name;     // the plain file name to use; "" when refused
  std::string refusal;  // why the name was refused; "" when accepted
};

// Folders are stripped ("/" and "\" both separate; "dir/a.xml" gives "a.xml"). Refused: a name
// with a ".." part, a control character, a drive ("C:"), no file name left, more than 255
// bytes, or text that is not UTF-8.
AttachmentName CheckAttachmentName(std::string_view raw);

// The name of a nameless or refused attachment: "attachment-<index>.bin".
std::string GeneratedAttachmentName(size_t index);

}  // namespace velmora::mail
