// The e-mail and fax transports: the document travels as the mail's file (XML text or
// workbook), with the sender's attachments when the send method asks for them.
#include <memory>
#include <string>

#include "core/db_utils.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "delivery/push/attachment_files.h"
#include "delivery/push/push_support.h"
#include "delivery/push/transports.h"
#include "delivery/push/workbook_files.h"
#include "routing/mails.h"
#include "routing/users.h"
#include "routing/xml_files.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"
#include "velmora/convert/b2b_excel.h"
#include "velmora/host/membership_user.h"
#include "velmora/sheet/workbook_object.h"

namespace velmora::delivery {
namespace {

// Recipient and subject: the user of the send method in the user's language, else its address
// in the default language.
void RecipientAndSubject(int32_t doc_id, const TSendMethodProperties& record,
                         std::string& recipient, std::string& subject) {
  if (record.sUser.empty()) {
    recipient = record.sAddress;
    subject = Label("ZODAR4228", {{"[%DOCID%]", std::to_string(doc_id)}});
    return;
  }
  const std::shared_ptr<host::MembershipUser> user = routing::users::BoundUser(record.sUser);
  recipient = user->EmailAddress();
  Dictionary replacements;
  replacements.Add("[%DOCID%]", Variant(std::to_string(doc_id)));
  int64_t language = 0;
  text::ParseInt64(user->LanguageID(), language);
  subject = core::GetLabel("ZODAR4228", static_cast<int32_t>(language), &replacements);
}

// The e-mail address of the document's sender ("" when the document has no row).
std::string SenderAddress(int32_t doc_id, std::string& sender) {
  const auto field = core::FirstField(
      "SELECT SENDER FROM DOCUMENT WHERE DOCUMENTID = " + core::SqlLong(doc_id), "SENDER");
  if (!field) {
    return {};
  }
  sender = text::Trim(field->ToText());
  return routing::users::EmailAddressOf(sender);
}

// The file that carries the document ("" for OBI, which travels without one).
std::string DocumentFile(int32_t doc_id, const Variant& data, TSendMethodProperties& record) {
  switch (record.nFormat) {
    case ESendMethodFormat::Excel:
      if (data.IsEmpty()) {
        return ExcelTempPath(record.sFileName);
      }
      {
        const std::string file = ExcelTempPath(SendMethodOutputFileName(doc_id, record));
        B2BExcel().WriteExcelObjectToFile(data.As<sheet::WorkbookObject>(), file, true);
        return file;
      }
    case ESendMethodFormat::XML: {
      std::string name = SendMethodOutputFileName(doc_id, record);
      return routing::xml_files::Write(data.ToText(), name,
                                       record.nFileFormat == ESendMethodFileFormat::Unicode);
    }
    case ESendMethodFormat::OBI:
      return {};
  }
  return {};
}

}  // namespace

std::string SendByEmail2(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
                         const VariantArray& extension) {
  std::string recipient;
  std::string from;
  std::string file;
  GuardedWithMessage(
      PushPath("SendByEmail2"),
      [&]() -> core::Info {
        return Variant(MessageLabel("ZODAR4232", {{"[%RECIPIENTS%]", recipient}}) + " " +
                       MessageLabel("ZODAR4233", {{"[%SENDER%]", from}}) + " " +
                       MessageLabel("ZODAR4234", {{"[%ATTACHMENT%]", file}}) + " " +
                       DocumentLabel(doc_id));
      },
      [&] {
        std::string subject;
        RecipientAndSubject(doc_id, record, recipient, subject);
        std::string sender;
        from = SenderAddress(doc_id, sender);
        file = DocumentFile(doc_id, data, record);
        VariantArray attachments(0);
        if (AttachmentsFlag(extension)) {
          const std::string folder = AttachmentsFolderOrRaise("SendByEmail2", " ");
          for (const std::string& name : AttachmentNames(doc_id, PushPath("SendByEmail2"))) {
            attachments.Append(Variant(AttachmentPath(folder, doc_id, name)));
          }
        }
        if (attachments.values().empty()) {
          routing::mails::Send(from, recipient, subject, "", "", file);
        } else {
          routing::mails::SendWithFiles(from, recipient, subject, "", "", file,
                                        Variant(std::move(attachments)));
        }
      });
  return file;
}

void SendByFax2(int32_t doc_id, const Variant& data, TSendMethodProperties& record,
                const VariantArray& extension) {
  GuardedWithMessage(
      PushPath("SendByFax2"),
      [&]() -> core::Info {
        return Variant(MessageLabel("ZODAR4227", {{"[%FAXSERVER%]", record.sAddress}}) + " " +
                       DocumentLabel(doc_id));
      },
      [&] {
        record.sAddress += "@" + core::GetParameter("FaxServer");
        SendByEmail2(doc_id, data, record, extension);
      });
}

}  // namespace velmora::delivery
