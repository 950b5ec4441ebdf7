#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The mail adapter: one interface through which the library sends every mail, with the
// message as the library describes it. The real transports compose the message (MIME) and
// hand its bytes to an SMTP relay or write them into a pick-up folder.
namespace velmora::mail {

// A message refused before anything is sent: an empty or malformed address, a carriage
// return or line feed in a subject, address list or attachment name (see CheckMessage).
// EnumerationErrors::InvalidParamValue.
inline constexpr int32_t kErrMailInvalid = static_cast<int32_t>(0x80040227u);
// A message that could not be delivered: no relay, a relay that refused the sender, a
// recipient or the data, a time-out, a TLS failure, a pick-up folder that cannot be written.
inline constexpr int32_t kErrMailNotSent = static_cast<int32_t>(0x80041001u);

// One attached file: the name shown in the message (a plain base name) and its bytes.
struct Attachment {
  std::string name;
  std::string content;
};

// A message as the library builds it. Texts are UTF-8. `to` is an address list as the caller
// wrote it: addresses separated by ";" or ",", each "addr@domain" or "Name <addr@domain>".
struct Message {
  std::string from;
  std::string to;
  std::string subject;
  std::string body;
  std::vector<Attachment> attachments;
};

// Sends messages. Implementations are safe to use from several threads at once. Send returns
// only when the message has been accepted (by the relay, or written completely into the
// pick-up folder); otherwise it raises a velmora::Error with source "Velmora.Mail":
// kErrMailInvalid for a message refused before sending, kErrMailNotSent for a failed
// delivery, each with a description that names the cause.
class Transport {
 public:
  virtual ~Transport() = default;
  virtual void Send(const Message& message) = 0;
};

}  // namespace velmora::mail
