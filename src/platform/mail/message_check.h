#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/mail/transport.h"

// The checks every transport makes before it composes or sends a message, and the address
// forms it understands. No outside library.
namespace velmora::mail {

// The entries of an address list: separated by ";" or "," outside double quotes and angle
// brackets, blanks around each removed, empty entries (a trailing separator) dropped.
std::vector<std::string> SplitAddressList(std::string_view list);

// The address of one entry: the text inside "<...>" when present, else the whole entry.
// Raises kErrMailInvalid naming the entry unless it is one local part, "@" and one domain
// without blanks, control characters, brackets, quotes, commas or semicolons.
std::string AddressOf(const std::string& entry);

// The plain base name of an attachment name: the text after its last "/" or "\" ("." and ".."
// and an empty remainder become "attachment").
std::string PlainFileName(std::string_view name);

// What a transport needs besides the composed bytes: the sender address and every recipient
// address, in list order.
struct Envelope {
  std::string sender;
  std::vector<std::string> recipients;
};

// Checks `message` and returns its envelope. Raises kErrMailInvalid, before anything is sent,
// for: a carriage return or line feed in the sender, the address list, the subject or an
// attachment name; a sender that is not exactly one valid address; an address list without
// any address or with a malformed one.
Envelope CheckMessage(const Message& message);

}  // namespace velmora::mail
