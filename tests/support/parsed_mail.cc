#include "support/parsed_mail.h"

#include <gmime/gmime.h>

#include <mutex>
#include <stdexcept>

namespace velmora::testing {
namespace {

std::string Text(const char* value) { return value != nullptr ? value : ""; }

std::string Content(GMimePart* part) {
  GMimeStream* stream = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(part), stream);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  std::string content(reinterpret_cast<const char*>(bytes->data), bytes->len);
  g_object_unref(stream);
  return content;
}

}  // namespace

ParsedMail ParseMail(const std::string& bytes) {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
  GMimeStream* stream = g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size());
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  g_object_unref(parser);
  g_object_unref(stream);
  if (message == nullptr) {
    throw std::runtime_error("not a mail message");
  }
  ParsedMail mail;
  InternetAddressList* from = g_mime_message_get_from(message);
  if (internet_address_list_length(from) > 0) {
    mail.from = Text(internet_address_mailbox_get_addr(
        INTERNET_ADDRESS_MAILBOX(internet_address_list_get_address(from, 0))));
  }
  InternetAddressList* to = g_mime_message_get_to(message);
  for (int i = 0; i < internet_address_list_length(to); ++i) {
    InternetAddress* address = internet_address_list_get_address(to, i);
    const std::string name = Text(internet_address_get_name(address));
    const std::string addr =
        Text(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
    mail.to.push_back(name.empty() ? addr : name + " <" + addr + ">");
  }
  mail.subject = Text(g_mime_message_get_subject(message));
  mail.date = Text(g_mime_object_get_header(GMIME_OBJECT(message), "Date"));
  mail.message_id = Text(g_mime_message_get_message_id(message));
  GMimePartIter* iter = g_mime_part_iter_new(GMIME_OBJECT(message));
  bool first = true;
  do {
    GMimeObject* object = g_mime_part_iter_get_current(iter);
    if (object == nullptr || !GMIME_IS_PART(object)) {
      continue;
    }
    GMimePart* part = GMIME_PART(object);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    char* mime_type = g_mime_content_type_get_mime_type(type);
    const std::string charset = Text(g_mime_content_type_get_parameter(type, "charset"));
    if (first && g_mime_part_get_filename(part) == nullptr) {
      mail.body = Content(part);
      mail.body_charset = charset;
    } else {
      mail.attachments.push_back(
          {Text(g_mime_part_get_filename(part)), Text(mime_type), charset, Content(part)});
    }
    g_free(mime_type);
    first = false;
  } while (g_mime_part_iter_next(iter));
  g_mime_part_iter_free(iter);
  if (GMIME_IS_PART(g_mime_message_get_mime_part(message))) {
    GMimePart* only = GMIME_PART(g_mime_message_get_mime_part(message));
    mail.body = Content(only);
    mail.body_charset =
        Text(g_mime_object_get_content_type_parameter(GMIME_OBJECT(only), "charset"));
  }
  g_object_unref(message);
  return mail;
}

}  // namespace velmora::testing
