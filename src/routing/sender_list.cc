// Velmora.SenderList: who may send a document type, and the sender's notification flags.
#include "velmora/routing/sender_list.h"

#include <memory>
#include <optional>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "routing/document_types.h"

namespace velmora {
namespace {

std::string Path(const char* operation) { return std::string("Velmora.SenderList.") + operation; }

// The fields of the first row of `sql`, read by `read`; nullopt when there is no row. The
// connection is closed on every path.
template <class Read>
auto FirstRow(const std::string& sql, Read read)
    -> std::optional<decltype(read(std::declval<db::Recordset&>()))> {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  try {
    std::unique_ptr<db::Recordset> recordset = connection->Query(sql);
    std::optional<decltype(read(*recordset))> row;
    if (!recordset->IsEOF()) {
      row = read(*recordset);
    }
    recordset.reset();
    core::CloseConnection(connection);
    return row;
  } catch (...) {
    core::CloseConnection(connection);
    throw;
  }
}

// The flag `column` of the sender's first row for the type, false when there is none.
bool FlagOfSender(const std::string& column, const std::string& type, const std::string& user) {
  const std::optional<bool> flag = FirstRow(
      "SELECT " + column + " FROM SENDERLIST WHERE DOCUMENTTYPEID = " + core::SqlText(type) + " " +
          "AND USERID = " + core::SqlText(user) + " ",
      [&](db::Recordset& row) { return row.Field(column).ToBool(); });
  return flag.value_or(false);
}

}  // namespace

bool SenderList::CheckAuthorizationForSender(std::string& iDocTypeID, std::string& iUserID) {
  return core::Guarded(Path("CheckAuthorizationForSender"), [&]() -> bool {
    if (iDocTypeID.empty() || iUserID.empty()) {
      return false;
    }
    return FirstRow("SELECT * FROM SENDERLIST " + std::string("WHERE DOCUMENTTYPEID = ") +
                        core::SqlText(iDocTypeID) + " " + "AND USERID = " + core::SqlText(iUserID) +
                        " ",
                    [](db::Recordset&) { return true; })
        .has_value();
    return false;
  });
}

bool SenderList::GetNotification(std::string& iDocTypeID, std::string& iUserID) {
  return core::Guarded(Path("GetNotification"), [&]() -> bool {
    bool notification = false;
    bool attachments = false;
    bool html_attachment = false;
    return GetNotification3(iDocTypeID, iUserID, notification, attachments, html_attachment);
  });
}

bool SenderList::GetNotification3(const std::string& iDocTypeID, const std::string& iUserID,
                                  bool& oNotification, bool& oAttachments, bool& oHTMLAttachment) {
  return core::Guarded(Path("GetNotification3"), [&]() -> bool {
    oNotification = false;
    oAttachments = false;
    oHTMLAttachment = false;
    if (iDocTypeID.empty() || iUserID.empty()) {
      return false;
    }
    struct Flags {
      bool notification;
      bool attachments;
      bool html_attachment;
    };
    const std::optional<Flags> flags = FirstRow(
        "SELECT NOTIFICATION, ATTACHMENTS, HTMLATTACHMENT " + std::string("FROM SENDERLIST ") +
            "WHERE (DOCUMENTTYPEID = " + core::SqlText(iDocTypeID) + ") " +
            "AND (USERID = " + core::SqlText(iUserID) + ") ",
        [](db::Recordset& row) {
          return Flags{row.Field("NOTIFICATION").ToBool(), row.Field("ATTACHMENTS").ToBool(),
                       row.Field("HTMLATTACHMENT").ToBool()};
        });
    if (flags) {
      oNotification = flags->notification;
      oAttachments = flags->attachments;
      oHTMLAttachment = flags->html_attachment;
    }
    return oNotification;
  });
}

Variant SenderList::GetNotification2(const std::string& iDocTypeID, const std::string& iUserID,
                                     bool& oNotification, bool& oAttachments, bool& oHTMLAttachment,
                                     std::string& oHTMLStyleSheet) {
  return core::Guarded(Path("GetNotification2"), [&]() -> Variant {
    oHTMLStyleSheet.clear();
    const bool notification =
        GetNotification3(iDocTypeID, iUserID, oNotification, oAttachments, oHTMLAttachment);
    oHTMLStyleSheet = routing::document_types::HtmlAttachmentXsl(iDocTypeID).value_or("");
    return Variant(notification);
  });
}

bool SenderList::GetAttachments(std::string& iDocTypeID, std::string& iUserID) {
  return core::Guarded(Path("GetAttachments"), [&]() -> bool {
    if (iDocTypeID.empty() || iUserID.empty()) {
      return false;
    }
    return FlagOfSender("ATTACHMENTS", iDocTypeID, iUserID);
  });
}

bool SenderList::GetDocumentAsAttachment(std::string& iDocTypeID, std::string& iUserID) {
  return core::Guarded(Path("GetDocumentAsAttachment"), [&]() -> bool {
    if (iDocTypeID.empty() || iUserID.empty()) {
      return false;
    }
    return FlagOfSender("HTMLATTACHMENT", iDocTypeID, iUserID);
  });
}

}  // namespace velmora
