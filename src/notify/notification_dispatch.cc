// Notification: sending the notification mails of a document, and sending one again.
#include <memory>
#include <optional>
#include <string>

#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/lookup_scope.h"
#include "core/publication_errors.h"
#include "notify/notification_mail.h"
#include "routing/html_attachments.h"
#include "routing/mails.h"
#include "routing/users.h"
#include "routing/xml_files.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/document/document.h"
#include "velmora/notify/notification.h"
#include "velmora/routing/sender_list.h"
#include "velmora/routing/utility.h"
#include "velmora/support/attachments.h"

namespace velmora {
namespace notify {
namespace {

constexpr const char* kLineEnd = "\r\n";

// The publication error of a recipient who was not served.
void LogRecipientFailure(int32_t docId, const Error& failure, const std::string& user,
                         const std::string& address, const char* path) {
  auto replacements = core::NewReplacementsXml();
  core::AddReplacement(*replacements, "[%USERID%]", user);
  core::AddReplacement(*replacements, "[%EMAILADDRESS%]", address);
  core::LogPublicationError(
      docId, failure.number(),
      failure.description() + kLineEnd + core::GetLabel("ZODAR0001") + ": '" + user + "'", path,
      "ZODAR6082", replacements);
}

// The attachment list of GetAttachments: (field, row) rows whose field 0 is the full path.
std::optional<Variant> AttachmentList(int32_t docId) {
  Attachments attachments;
  std::string url;
  std::string folder;
  if (!attachments.GetAttachmentUrlAndFolder(url, folder)) {
    return std::nullopt;
  }
  const auto rows = attachments.GetDocumentAttachmentsRS(docId);
  if (rows->IsEOF()) {
    return std::nullopt;
  }
  VariantArray array = rows->GetRows();
  for (int32_t row = array.LBound(2); row <= array.UBound(2); ++row) {
    Variant& name = array.At(0, row);
    name = Variant(folder + std::to_string(docId) + "\\" + name.ToText());
  }
  rows->Close();
  return Variant(std::move(array));
}

// The values of one dispatch; the HTML file is deleted when it ends.
class DispatchScope {
 public:
  DispatchScope(int32_t docId, const std::string& docTypeId) {
    dispatch_.doc_id = docId;
    dispatch_.doc_type = docTypeId;
    const std::string sender = Document().GetSenderOfDocument(docId);
    dispatch_.sender_address = routing::users::EmailAddressOf(sender);
    core::Guarded("Velmora.Notification.GetAttachments", [&] {
      dispatch_.attachments = AttachmentList(docId);
      dispatch_.html_file = routing::html_attachments::WriteStored(docId);
    });
  }
  ~DispatchScope() {
    if (!text::Trim(dispatch_.html_file).empty()) {
      try {
        routing::xml_files::Delete(dispatch_.html_file);
      } catch (...) {
        // The notification outcome stands; the file left behind is logged.
        core::LogError("Velmora.Utility.DeleteHTMLAttachment");
      }
    }
  }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;

  const Dispatch& dispatch() const { return dispatch_; }

 private:
  Dispatch dispatch_;
};

// SendNotificationToRecipients: the TO list of the addresses notified.
std::string SendToRecipients(const Dispatch& dispatch) {
  constexpr const char* kPath = "Velmora.Notification.SendNotificationToRecipients";
  return core::Guarded(kPath, [&] {
    const auto rows =
        Notification().getRecipientsWithNotification(dispatch.doc_id, dispatch.doc_type, -1);
    std::string previous_partner = "0";
    std::optional<MailDefinition> definition;
    std::string to_list;
    for (; !rows->IsEOF(); rows->MoveNext()) {
      const std::string user = rows->Field("USERID").ToText();
      std::string address;
      const std::string partner = rows->Field("BUSINESSPARTNERID").ToText();
      try {
        address = routing::users::EmailAddressOf(user);
        if (!text::IEquals(partner, previous_partner) || !definition ||
            text::Trim(definition->subject).empty()) {
          definition.reset();
          definition =
              PropertiesForRecipients(rows->Field("BUSINESSPARTNERID").ToInt32(), dispatch.doc_id);
        }
        to_list += address + "; ";
        SendMail(dispatch, address, definition->subject, definition->body,
                 rows->Field("HTMLATTACHMENT").ToBool(), rows->Field("ATTACHMENTS").ToBool());
      } catch (const Error& failure) {
        LogRecipientFailure(dispatch.doc_id, failure, user, address, kPath);
      }
      previous_partner = partner;
    }
    if (!to_list.empty()) {
      to_list = text::Trim(to_list);
      to_list.pop_back();
    }
    return to_list;
  });
}

// SendNotificationToCc: `cc_list` receives the copy addresses used, also when sending fails.
void SendToCc(const Dispatch& dispatch, std::string& cc_list) {
  constexpr const char* kPath = "Velmora.Notification.SendNotificationToCc";
  cc_list.clear();
  core::Guarded(kPath, [&] {
    try {
      const MailDefinition definition = PropertiesForCc(dispatch.doc_id);
      cc_list = definition.cc;
      if (!cc_list.empty()) {
        SendMail(dispatch, cc_list, definition.subject, definition.body, definition.cc_doc,
                 definition.cc_att);
      }
    } catch (const Error& failure) {
      if (!cc_list.empty()) {
        auto replacements = core::NewReplacementsXml();
        core::AddReplacement(*replacements, "[%EMAILADDRESS%]", cc_list);
        core::LogPublicationError(
            dispatch.doc_id, failure.number(),
            failure.description() + kLineEnd + core::GetLabel("ZODAR6059") + ": '" + cc_list + "'",
            kPath, "ZODAR6083", replacements);
      }
      throw;
    }
  });
}

void SendToSender(const Dispatch& dispatch, const std::string& to_list,
                  const std::string& cc_list) {
  core::Guarded("Velmora.Notification.SendNotificationToSender", [&] {
    const std::string sender = Document().GetSenderOfDocument(dispatch.doc_id);
    const int32_t partner = routing::users::PartnerOf(sender);
    bool notification = false;
    bool with_files = false;
    bool with_html = false;
    SenderList().GetNotification3(dispatch.doc_type, sender, notification, with_files, with_html);
    if (notification) {
      const MailDefinition definition =
          PropertiesForSender(partner, dispatch.doc_id, to_list, cc_list);
      SendMail(dispatch, dispatch.sender_address, definition.subject, definition.body, with_html,
               with_files);
    }
  });
}

// SendNotificationToRecipient: one recipient again.
void SendToRecipient(const Dispatch& dispatch, std::string user) {
  constexpr const char* kPath = "Velmora.Notification.SendNotificationToRecipient";
  core::Guarded(kPath, [&] {
    std::string address;
    try {
      const int32_t partner = routing::users::PartnerOf(user);
      const auto rows =
          Notification().getRecipientsWithNotification(dispatch.doc_id, dispatch.doc_type, partner);
      bool attach_html = false;
      bool attach_files = false;
      for (; !rows->IsEOF(); rows->MoveNext()) {
        const std::string row_user = text::Trim(rows->Field("USERID").ToText());
        if (text::IEquals(row_user, text::Trim(user))) {
          address = routing::users::EmailAddressOf(row_user);
          attach_html = rows->Field("HTMLATTACHMENT").ToBool();
          attach_files = rows->Field("ATTACHMENTS").ToBool();
        }
      }
      const MailDefinition definition = PropertiesForRecipients(partner, dispatch.doc_id);
      SendMail(dispatch, address, definition.subject, definition.body, attach_html, attach_files);
    } catch (const Error& failure) {
      LogRecipientFailure(dispatch.doc_id, failure, user, address, kPath);
      throw;
    }
  });
}

}  // namespace

void SendMail(const Dispatch& dispatch, const std::string& to, const std::string& subject,
              const std::string& body, bool attach_html, bool attach_files) {
  core::Guarded("Velmora.Notification.SendMail", [&] {
    const std::string html = attach_html ? dispatch.html_file : std::string();
    if (!dispatch.attachments || !attach_files) {
      routing::mails::Send(dispatch.sender_address, to, subject, body, html, "");
    } else {
      routing::mails::SendWithFiles(dispatch.sender_address, to, subject, body, html, "",
                                    *dispatch.attachments);
    }
  });
}

}  // namespace notify

void Notification::SendNotifications(int32_t i_lDocID) {
  core::Guarded("Velmora.Notification.SendNotifications", [&] {
    // Every recipient's mail reads the same parameters, type description and sender.
    const core::LookupScope lookups;
    Document document;
    if (!document.GetShowFlag(i_lDocID)) {
      return;
    }
    notify::DispatchScope scope(i_lDocID, document.GetDocumentTypeOfDocument(i_lDocID));
    std::string to_list;
    std::string cc_list;
    try {
      to_list = notify::SendToRecipients(scope.dispatch());
    } catch (const Error&) {
      // Logged where it arose; the copy addresses and the sender are still served.
    }
    try {
      notify::SendToCc(scope.dispatch(), cc_list);
    } catch (const Error&) {
      // Logged where it arose; the sender is still served.
    }
    notify::SendToSender(scope.dispatch(), to_list, cc_list);
  });
}

void Notification::ReSendNotification(int32_t i_lDocID, const std::string& i_sDocTypeID,
                                      int32_t i_lPubErrorID) {
  core::Guarded("Velmora.Notification.ReSendNotification", [&] {
    struct CloseOldError {
      int32_t id;
      ~CloseOldError() {
        if (id > 0) {
          try {
            Collaboration().ClosePublicationErrors(id);
          } catch (...) {
            // Reported by ClosePublicationErrors.
          }
        }
      }
    } close_old_error{i_lPubErrorID};
    notify::DispatchScope scope(i_lDocID, i_sDocTypeID);
    auto replacements = std::make_shared<Dictionary>();
    core::Guarded("Velmora.Notification.GetNotificationInfoViaPublicationError", [&] {
      core::GetAllReplacementsFromTable(replacements, "PUBLICATIONERRORS", i_lPubErrorID);
    });
    const std::string user =
        replacements->Exists("[%USERID%]") ? replacements->Item("[%USERID%]").ToText() : "";
    if (!user.empty()) {
      notify::SendToRecipient(scope.dispatch(), user);
    } else {
      std::string cc_list;
      notify::SendToCc(scope.dispatch(), cc_list);
    }
  });
}

}  // namespace velmora
