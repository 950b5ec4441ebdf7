// Received mails taken apart (GMime) and the check of the attachment names they carry.
#include "platform/mail/received_mail.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "velmora/base/error.h"

namespace velmora::mail {
namespace {

using Parts = std::vector<std::pair<std::string, std::string>>;

Parts NamesAndBytes(const ReceivedMail& mail) {
  Parts parts;
  for (const Attachment& attachment : mail.attachments) {
    parts.emplace_back(attachment.name, attachment.content);
  }
  return parts;
}

constexpr const char* kHead =
    "From: =?UTF-8?Q?J=C3=BCrgen?= <j@example.com>\r\nTo: in@example.com\r\nSubject: s\r\n"
    "MIME-Version: 1.0\r\n";

TEST(ReceivedMailTest, FindsEveryAttachedPartWithItsDecodedNameAndBytes) {
  struct Case {
    const char* what;
    std::string body;
    Parts expected;
  } cases[] = {
      {"nested multiparts, the bodies left out",
       "Content-Type: multipart/mixed; boundary=\"o\"\r\n\r\n--o\r\n"
       "Content-Type: multipart/alternative; boundary=\"i\"\r\n\r\n--i\r\n"
       "Content-Type: text/plain\r\n\r\nhello\r\n--i\r\nContent-Type: "
       "text/html\r\n\r\n<p>hi</p>\r\n"
       "--i--\r\n--o\r\nContent-Type: multipart/mixed; boundary=\"d\"\r\n\r\n--d\r\n"
       "Content-Type: text/xml; name=\"a.XML\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
       "PGEvPg==\r\n--d--\r\n--o--\r\n",
       {{"a.XML", "<a/>"}}},
      {"RFC 2231 and RFC 2047 names, quoted-printable",
       "Content-Type: multipart/mixed; boundary=\"o\"\r\n\r\n--o\r\n"
       "Content-Type: text/plain\r\n\r\nbody\r\n--o\r\n"
       "Content-Type: application/octet-stream\r\n"
       "Content-Disposition: attachment; filename*=UTF-8''Bestellung%20M%C3%A4rz.xml\r\n"
       "Content-Transfer-Encoding: quoted-printable\r\n\r\n<x>=C3=A4=3D</x>\r\n--o\r\n"
       "Content-Type: text/plain; name=\"=?UTF-8?B?w7xiZXIudHh0?=\"\r\n"
       "Content-Disposition: attachment\r\n\r\nu\r\n--o--\r\n",
       {{"Bestellung M\xC3\xA4rz.xml", "<x>\xC3\xA4=</x>"},
        {"\xC3\xBC"
         "ber.txt",
         "u"}}},
      {"nameless parts get generated names; an XML part never a publishable one",
       "Content-Type: multipart/mixed; boundary=\"o\"\r\n\r\n--o\r\n"
       "Content-Type: text/plain\r\n\r\nbody\r\n--o\r\nContent-Type: application/pdf\r\n"
       "Content-Disposition: attachment\r\n\r\n%PDF\r\n--o\r\nContent-Type: text/xml\r\n"
       "Content-Disposition: attachment\r\n\r\n<a/>\r\n--o--\r\n",
       {{"attachment-1.pdf", "%PDF"}, {"attachment-2.bin", "<a/>"}}},
      {"a plain text mail has none", "Content-Type: text/plain\r\n\r\nonly text\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ReceivedMail mail = ParseReceivedMail(std::string(kHead) + c.body);
    EXPECT_EQ(mail.sender, "J\xC3\xBCrgen <j@example.com>");
    EXPECT_EQ(NamesAndBytes(mail), c.expected);
  }
}

TEST(ReceivedMailTest, RefusesBytesThatHoldNoMessage) {
  try {
    ParseReceivedMail("");
    FAIL() << "an empty text was parsed";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kErrMailboxFailed);
  }
}

TEST(ReceivedMailTest, AttachmentNamesKeepOnlyAPlainFileNameInsideTheFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"order.xml", "order.xml"},
      {"/etc/passwd", "passwd"},
      {"C:\\in\\a.XML", "a.XML"},
      {"dir/sub/b.xls", "b.xls"},
      {"../x.xml", ""},
      {"a/../../x.xml", ""},
      {"..", ""},
      {"x/", ""},
      {"a\r\nb.xml", ""},
      {"tab\t.xml", ""},
      {"C:x.xml", ""},
      {"\xFF\xFE.xml", ""},
  };
  for (const auto& [raw, expected] : cases) {
    SCOPED_TRACE(raw);
    const AttachmentName checked = CheckAttachmentName(raw);
    EXPECT_EQ(checked.name, expected);
    EXPECT_EQ(checked.refusal.empty(), std::string(expected) != "");
  }
  EXPECT_FALSE(CheckAttachmentName(std::string(256, 'a')).refusal.empty());
}

}  // namespace
}  // namespace velmora::mail
