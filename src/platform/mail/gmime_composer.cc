#include <gmime/gmime.h>

#include <memory>
#include <string_view>
#include <utility>

#include "platform/mail/composer.h"
#include "platform/mail/gmime_handles.h"
#include "velmora/base/error.h"

namespace velmora::mail {
namespace {

using gmime::GObjectPtr;
using gmime::GText;
using gmime::InitializeOnce;

struct FormatOptionsFree {
  void operator()(GMimeFormatOptions* options) const { g_mime_format_options_free(options); }
};
struct DateTimeUnref {
  void operator()(GDateTime* date) const { g_date_time_unref(date); }
};

struct TypeByExtension {
  std::string_view extension;
  const char* type;
  const char* subtype;
};

constexpr TypeByExtension kTypes[] = {
    {"html", "text", "html"},
    {"htm", "text", "html"},
    {"xml", "text", "xml"},
    {"txt", "text", "plain"},
    {"csv", "text", "csv"},
    {"xsl", "text", "xml"},
    {"edi", "text", "plain"},
    {"pdf", "application", "pdf"},
    {"xls", "application", "vnd.ms-excel"},
    {"zip", "application", "zip"},
    {"png", "image", "png"},
    {"jpg", "image", "jpeg"},
    {"gif", "image", "gif"},
};

std::pair<const char*, const char*> ContentTypeOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  for (char& c : extension) {
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  for (const TypeByExtension& known : kTypes) {
    if (known.extension == extension) {
      return {known.type, known.subtype};
    }
  }
  return {"application", "octet-stream"};
}

const char* TextCharset(std::string_view content) {
  if (content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                              (content[0] == '\xFE' && content[1] == '\xFF'))) {
    return "utf-16";
  }
  return "utf-8";
}

// Every line end of `text` (CR LF, LF or a lone CR) as LF; the composer writes them as CR LF.
std::string UnixLineEnds(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      result += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
    } else {
      result += text[i];
    }
  }
  return result;
}

void SetContent(GMimePart* part, const std::string& bytes) {
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  GObjectPtr<GMimeDataWrapper> wrapper(
      g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, wrapper.get());
}

void UseUtf8ForParameter(GMimeParamList* list, const char* name) {
  if (GMimeParam* param = g_mime_param_list_get_parameter(list, name)) {
    g_mime_param_set_charset(param, "UTF-8");
  }
}

GObjectPtr<GMimePart> BodyPart(const std::string& body) {
  GObjectPtr<GMimePart> part(GMIME_PART(g_mime_text_part_new_with_subtype("plain")));
  SetContent(part.get(), UnixLineEnds(body));
  g_mime_object_set_content_type_parameter(GMIME_OBJECT(part.get()), "charset", "utf-8");
  g_mime_part_set_content_encoding(part.get(), g_mime_part_get_best_content_encoding(
                                                   part.get(), GMIME_ENCODING_CONSTRAINT_7BIT));
  return part;
}

GObjectPtr<GMimePart> AttachmentPart(const Attachment& attachment) {
  const std::string name = PlainFileName(attachment.name);
  const auto [type, subtype] = ContentTypeOf(name);
  GObjectPtr<GMimePart> part(g_mime_part_new_with_type(type, subtype));
  SetContent(part.get(), attachment.content);
  g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
  g_mime_part_set_filename(part.get(), name.c_str());
  GMimeObject* object = GMIME_OBJECT(part.get());
  if (std::string_view(type) == "text") {
    g_mime_object_set_content_type_parameter(object, "charset", TextCharset(attachment.content));
  }
  UseUtf8ForParameter(g_mime_content_type_get_parameters(g_mime_object_get_content_type(object)),
                      "name");
  UseUtf8ForParameter(
      g_mime_content_disposition_get_parameters(g_mime_object_get_content_disposition(object)),
      "filename");
  return part;
}

void AddAddresses(GMimeMessage* message, GMimeAddressType kind, const std::string& list) {
  InternetAddressList* target = g_mime_message_get_addresses(message, kind);
  for (const std::string& entry : SplitAddressList(list)) {
    GObjectPtr<InternetAddressList> parsed(internet_address_list_parse(nullptr, entry.c_str()));
    if (parsed && internet_address_list_length(parsed.get()) == 1) {
      internet_address_set_charset(internet_address_list_get_address(parsed.get(), 0), "utf-8");
      internet_address_list_append(target, parsed.get());
    } else {
      g_mime_message_add_mailbox(message, kind, nullptr, AddressOf(entry).c_str());
    }
  }
}

std::string DomainOf(const std::string& address) { return address.substr(address.find('@') + 1); }

std::string Serialize(GMimeMessage* message) {
  std::unique_ptr<GMimeFormatOptions, FormatOptionsFree> options(
      g_mime_format_options_clone(nullptr));
  g_mime_format_options_set_newline_format(options.get(), GMIME_NEWLINE_FORMAT_DOS);
  GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new());
  if (g_mime_object_write_to_stream(GMIME_OBJECT(message), options.get(), stream.get()) < 0) {
    throw Error(kErrMailNotSent, "Velmora.Mail", "The mail could not be composed.");
  }
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

}  // namespace

ComposedMail Compose(const Message& message, const DateTime& date) {
  ComposedMail composed{CheckMessage(message), {}};
  InitializeOnce();
  GObjectPtr<GMimeMessage> mime(g_mime_message_new(TRUE));
  AddAddresses(mime.get(), GMIME_ADDRESS_TYPE_FROM, message.from);
  AddAddresses(mime.get(), GMIME_ADDRESS_TYPE_TO, message.to);
  g_mime_message_set_subject(mime.get(), message.subject.c_str(), "utf-8");
  std::unique_ptr<GDateTime, DateTimeUnref> when(
      g_date_time_new_local(date.year, date.month, date.day, date.hour, date.minute, date.second));
  if (when) {
    g_mime_message_set_date(mime.get(), when.get());
  }
  GText id(g_mime_utils_generate_message_id(DomainOf(composed.envelope.sender).c_str()));
  g_mime_message_set_message_id(mime.get(), id.get());

  GObjectPtr<GMimePart> body = BodyPart(message.body);
  if (message.attachments.empty()) {
    g_mime_message_set_mime_part(mime.get(), GMIME_OBJECT(body.get()));
  } else {
    GObjectPtr<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    for (const Attachment& attachment : message.attachments) {
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(AttachmentPart(attachment).get()));
    }
    g_mime_message_set_mime_part(mime.get(), GMIME_OBJECT(mixed.get()));
  }
  composed.bytes = Serialize(mime.get());
  return composed;
}

}  // namespace velmora::mail
