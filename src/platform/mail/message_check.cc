#include "platform/mail/message_check.h"

#include "velmora/base/error.h"

namespace velmora::mail {
namespace {

constexpr const char* kSource = "Velmora.Mail";

[[noreturn]] void RaiseInvalid(const std::string& description) {
  throw Error(kErrMailInvalid, kSource, description);
}

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

void RefuseLineBreak(std::string_view text, const char* what) {
  if (HasLineBreak(text)) {
    RaiseInvalid(std::string("The mail's ") + what +
                 " holds a carriage return or line feed; the mail is not sent.");
  }
}

bool IsAddressCharacter(unsigned char c) {
  return c > 0x20 && c != 0x7F &&
         std::string_view("<>()[]\",;:\\").find(c) == std::string_view::npos;
}

}  // namespace

std::vector<std::string> SplitAddressList(std::string_view list) {
  std::vector<std::string> entries;
  std::string current;
  bool quoted = false;
  int angle = 0;
  for (const char c : list) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '<') {
      ++angle;
    } else if (!quoted && c == '>' && angle > 0) {
      --angle;
    } else if (!quoted && angle == 0 && (c == ';' || c == ',')) {
      if (std::string entry = Trimmed(current); !entry.empty()) {
        entries.push_back(std::move(entry));
      }
      current.clear();
      continue;
    }
    current += c;
  }
  if (std::string entry = Trimmed(current); !entry.empty()) {
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string AddressOf(const std::string& entry) {
  std::string address = entry;
  const size_t open = entry.rfind('<');
  if (open != std::string::npos) {
    const size_t close = entry.find('>', open);
    if (close == std::string::npos || Trimmed(entry.substr(close + 1)) != "") {
      RaiseInvalid("The mail address '" + entry + "' is malformed.");
    }
    address = Trimmed(std::string_view(entry).substr(open + 1, close - open - 1));
  }
  const size_t at = address.find('@');
  bool valid = at != std::string::npos && at > 0 && at + 1 < address.size() &&
               address.find('@', at + 1) == std::string::npos;
  for (const char c : address) {
    valid = valid && (c == '@' || IsAddressCharacter(static_cast<unsigned char>(c)));
  }
  if (!valid) {
    RaiseInvalid("The mail address '" + entry + "' is malformed.");
  }
  return address;
}

std::string PlainFileName(std::string_view name) {
  const size_t separator = name.find_last_of("/\\");
  std::string plain(separator == std::string_view::npos ? name : name.substr(separator + 1));
  if (plain.empty() || plain == "." || plain == "..") {
    return "attachment";
  }
  return plain;
}

Envelope CheckMessage(const Message& message) {
  RefuseLineBreak(message.from, "sender");
  RefuseLineBreak(message.to, "address list");
  RefuseLineBreak(message.subject, "subject");
  for (const Attachment& attachment : message.attachments) {
    RefuseLineBreak(attachment.name, "attachment name");
  }
  const std::vector<std::string> senders = SplitAddressList(message.from);
  if (senders.size() != 1) {
    RaiseInvalid("The mail's sender '" + message.from + "' is not one address.");
  }
  Envelope envelope;
  envelope.sender = AddressOf(senders.front());
  for (const std::string& entry : SplitAddressList(message.to)) {
    envelope.recipients.push_back(AddressOf(entry));
  }
  if (envelope.recipients.empty()) {
    RaiseInvalid("The mail's address list '" + message.to + "' holds no address.");
  }
  return envelope;
}

}  // namespace velmora::mail
