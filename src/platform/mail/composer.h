#pragma once

#include <string>

#include "platform/mail/message_check.h"
#include "platform/mail/transport.h"
#include "velmora/base/date_time.h"

namespace velmora::mail {

// A message ready for a transport: its envelope and its bytes.
struct ComposedMail {
  Envelope envelope;
  std::string bytes;
};

// Composes `message` as MIME 1.0 with CRLF line ends: From; To with every address of the list
// (display names encoded as RFC 2047 needs); Subject, RFC 2047-encoded when not ASCII; Date
// (`date`, local time); a new Message-ID in the sender's domain; the body as a UTF-8
// text/plain part (its line ends, CR LF, LF or CR, written as CR LF). Each attachment is a
// part of its own under multipart/mixed, base64 so that its bytes arrive unchanged, with the
// content type of its extension; a text type is labelled charset "utf-8", or "utf-16" when
// its bytes begin with a UTF-16 byte-order mark. Attachment names are plain base names,
// RFC 2231-encoded in UTF-8 when not ASCII. Raises what CheckMessage raises. Safe to use from
// several threads at once.
ComposedMail Compose(const Message& message, const DateTime& date);

}  // namespace velmora::mail
