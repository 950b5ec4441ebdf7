#include <gmime/gmime.h>

#include <memory>
#include <string_view>

#include "platform/mail/gmime_handles.h"
#include "platform/mail/mailbox.h"
#include "platform/mail/received_mail.h"
#include "velmora/base/error.h"

namespace velmora::mail {
namespace {

using gmime::GObjectPtr;
using gmime::GText;
using gmime::InitializeOnce;

struct ExtensionByType {
  std::string_view mime_type;
  const char* extension;
};

// Extensions of nameless parts. XML and workbook types stay ".bin" on purpose: only a part
// its sender named can become a document.
constexpr ExtensionByType kExtensions[] = {
    {"text/plain", ".txt"},      {"text/html", ".html"},     {"application/pdf", ".pdf"},
    {"image/png", ".png"},       {"image/jpeg", ".jpg"},     {"image/gif", ".gif"},
    {"application/zip", ".zip"}, {"message/rfc822", ".eml"},
};

std::string MimeType(GMimeObject* object) {
  GText type(g_mime_content_type_get_mime_type(g_mime_object_get_content_type(object)));
  std::string text = type ? type.get() : "";
  for (char& c : text) {
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return text;
}

std::string NamelessName(size_t index, const std::string& mime_type) {
  for (const ExtensionByType& known : kExtensions) {
    if (known.mime_type == mime_type) {
      return "attachment-" + std::to_string(index) + known.extension;
    }
  }
  return GeneratedAttachmentName(index);
}

std::string StreamBytes(GMimeStream* stream) {
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

// The decoded bytes of a leaf part.
std::string Content(GMimePart* part) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (content == nullptr) {
    return "";
  }
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
  if (g_mime_data_wrapper_write_to_stream(content, stream.get()) < 0) {
    throw Error(kErrMailboxFailed, "Velmora.Mailbox", "An attachment part cannot be decoded.");
  }
  return StreamBytes(stream.get());
}

// The bytes of an attached message as they were received.
std::string MessageBytes(GMimeMessagePart* part) {
  GMimeMessage* message = g_mime_message_part_get_message(part);
  if (message == nullptr) {
    return "";
  }
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
  g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, stream.get());
  return StreamBytes(stream.get());
}

std::string Text(const char* value) { return value != nullptr ? value : ""; }

bool IsBodyText(GMimeObject* object, const std::string& mime_type, const std::string& name) {
  const std::string disposition = Text(g_mime_object_get_disposition(object));
  return name.empty() && g_ascii_strcasecmp(disposition.c_str(), "attachment") != 0 &&
         mime_type.rfind("text/", 0) == 0;
}

void Walk(GMimeObject* object, ReceivedMail& mail) {
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
      Walk(g_mime_multipart_get_part(multipart, i), mail);
    }
    return;
  }
  const std::string mime_type = MimeType(object);
  if (GMIME_IS_MESSAGE_PART(object)) {
    const std::string name =
        Text(g_mime_object_get_content_disposition_parameter(object, "filename"));
    const size_t index = mail.attachments.size() + 1;
    mail.attachments.push_back({name.empty() ? NamelessName(index, mime_type) : name,
                                MessageBytes(GMIME_MESSAGE_PART(object))});
    return;
  }
  if (!GMIME_IS_PART(object)) {
    return;
  }
  GMimePart* part = GMIME_PART(object);
  const std::string name = Text(g_mime_part_get_filename(part));
  if (IsBodyText(object, mime_type, name)) {
    return;
  }
  const size_t index = mail.attachments.size() + 1;
  mail.attachments.push_back({name.empty() ? NamelessName(index, mime_type) : name, Content(part)});
}

}  // namespace

ReceivedMail ParseReceivedMail(std::string_view bytes) {
  InitializeOnce();
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  GObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
  if (!message || g_mime_message_get_mime_part(message.get()) == nullptr) {
    throw Error(kErrMailboxFailed, "Velmora.Mailbox", "The mail is not a readable message.");
  }
  ReceivedMail mail;
  InternetAddressList* from = g_mime_message_get_from(message.get());
  if (from != nullptr && internet_address_list_length(from) > 0) {
    GText sender(internet_address_list_to_string(from, nullptr, FALSE));
    mail.sender = Text(sender.get());
  }
  Walk(g_mime_message_get_mime_part(message.get()), mail);
  return mail;
}

}  // namespace velmora::mail
