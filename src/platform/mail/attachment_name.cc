#include <cctype>
#include <string>

#include "platform/mail/received_mail.h"
#include "velmora/base/text_encoding.h"

namespace velmora::mail {
namespace {

constexpr size_t kMaxNameBytes = 255;

AttachmentName Refused(std::string reason) { return {"", std::move(reason)}; }

}  // namespace

AttachmentName CheckAttachmentName(std::string_view raw) {
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      return Refused("it holds a control character");
    }
  }
  if (!text::IsValidUtf8(raw)) {
    return Refused("it is not UTF-8 text");
  }
  size_t start = 0;
  std::string_view last;
  while (start <= raw.size()) {
    const size_t end = raw.find_first_of("/\\", start);
    last = raw.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (last == "..") {
      return Refused("it climbs out of the folder with \"..\"");
    }
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  if (last.empty() || last == ".") {
    return Refused("it names no file");
  }
  if (last.size() >= 2 && last[1] == ':' && std::isalpha(static_cast<unsigned char>(last[0]))) {
    return Refused("it names a drive");
  }
  if (last.size() > kMaxNameBytes) {
    return Refused("it is longer than 255 bytes");
  }
  return {std::string(last), ""};
}

std::string GeneratedAttachmentName(size_t index) {
  return "attachment-" + std::to_string(index) + ".bin";
}

}  // namespace velmora::mail
