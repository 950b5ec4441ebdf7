// Notification: the mail definitions (per-document e-mails and templates), placeholder
// replacement, links and the recipients with notification.
#include <memory>
#include <optional>
#include <string>

#include "core/db_utils.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"
#include "notify/notification_mail.h"
#include "routing/document_types.h"
#include "routing/html_attachments.h"
#include "routing/recipients/publication_lookups.h"
#include "routing/users.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/document/document.h"
#include "velmora/notify/notification.h"

namespace velmora {
namespace notify {
namespace {

std::string Text(const Variant& value) { return value.IsNull() ? std::string() : value.ToText(); }
bool Flag(const Variant& value) { return !value.IsNull() && value.ToBool(); }

MailDefinition DefinitionOf(db::Recordset& row, bool with_cc) {
  MailDefinition definition;
  definition.subject = Text(row.Field("SUBJECT"));
  definition.body = Text(row.Field("BODY"));
  definition.cc = with_cc ? Text(row.Field("CC")) : std::string();
  definition.cc_att = Flag(row.Field("CCATT"));
  definition.cc_doc = Flag(row.Field("CCDOC"));
  return definition;
}

std::unique_ptr<db::Recordset> GetNotificationEmail(int32_t bp, int32_t docId, uint8_t mode) {
  return core::Guarded("Velmora.Notification.GetNotificationEmail", [&] {
    return core::getDisconnectedReadOnlyRecordSet(
        "SELECT * FROM NOTIFICATIONEMAIL WHERE  BUSINESSPARTNERID = ? AND  DOCUMENTID = ? AND  "
        "MODE = ?",
        {Variant(bp), Variant(docId), Variant(static_cast<int32_t>(mode))});
  });
}

// The template of partner `bp` (-2: the copy addresses), else the partner default of the type,
// else the default of every type.
std::unique_ptr<db::Recordset> GetNotificationTemplate(int32_t bp, const std::string& docTypeId,
                                                       uint8_t mode) {
  return core::Guarded("Velmora.Notification.GetNotificationTemplate", [&] {
    const Variant type(docTypeId);
    const Variant m(static_cast<int32_t>(mode));
    if (bp == -2) {
      return core::getDisconnectedReadOnlyRecordSet(
          "SELECT TOP 1 * FROM NOTIFICATIONTEMPLATE WHERE  (DOCUMENTTYPEID = ? AND  MODE = ? AND  "
          "BUSINESSPARTNERID = -2) OR  (DOCUMENTTYPEID = '-1' AND BUSINESSPARTNERID = -2 AND  "
          "MODE = ?)  ORDER BY DOCUMENTTYPEID DESC, BUSINESSPARTNERID DESC ",
          {type, m, m});
    }
    return core::getDisconnectedReadOnlyRecordSet(
        "SELECT TOP 1 * FROM NOTIFICATIONTEMPLATE WHERE  (DOCUMENTTYPEID = ? AND  MODE = ? AND  "
        "(BUSINESSPARTNERID = ? OR  BUSINESSPARTNERID = -1)) OR  (DOCUMENTTYPEID = '-1' AND "
        "BUSINESSPARTNERID = -1 AND  MODE = ?)  ORDER BY DOCUMENTTYPEID DESC, BUSINESSPARTNERID "
        "DESC ",
        {type, m, Variant(bp), m});
  });
}

std::string GetHyperlink(int32_t docId, const std::string& docTypeId,
                         const std::string& placeholder) {
  return core::Guarded("Velmora.Notification.GetHyperlink", [&] {
    std::string link;
    if (placeholder == "[%INBOXLINK%]") {
      link = routing::html_attachments::DocumentLink(docId, docTypeId, 1);
    } else if (placeholder == "[%OUTBOXLINK%]") {
      link = routing::html_attachments::DocumentLink(docId, docTypeId, 0);
    } else if (recipients::HasOpenPublicationErrors(docId)) {
      link = routing::html_attachments::DocumentLink(docId, docTypeId, 2);
    }
    return text::ReplaceAll(link, " ", "%20");
  });
}

std::string GetRecipientEmailAddresses(int32_t docId, const std::string& docTypeId, int32_t bp) {
  return core::Guarded("Velmora.Notification.GetRecipientEmailAddresses", [&] {
    const auto rows = Notification().getRecipientsWithNotification(docId, docTypeId, bp);
    std::string addresses;
    for (; !rows->IsEOF(); rows->MoveNext()) {
      addresses += routing::users::EmailAddressOf(rows->Field("USERID").ToText()) + ";";
    }
    if (!text::Trim(addresses).empty()) {
      addresses.pop_back();
    }
    return addresses;
  });
}

std::string CopyListOfSenderMail(int32_t docId) {
  const auto rows = GetNotificationEmail(-2, docId, 1);
  return rows->IsEOF() ? std::string() : Text(rows->Field("CC"));
}

std::string ReplaceSubstitutions(int32_t bp, int32_t docId, const std::string& docTypeId,
                                 uint8_t mode, const std::string& source, const std::string& toList,
                                 const std::string& ccList) {
  return core::Guarded("Velmora.Notification.ReplaceSubstitutions", [&] {
    std::string result = source;
    const auto replace = [&](const char* placeholder, auto value) {
      if (text::IFind(result, placeholder) != std::string::npos) {
        result = text::IReplaceAll(result, placeholder, value());
      }
    };
    replace("[%DOCID%]", [&] { return std::to_string(docId); });
    replace("[%DOCTYPE%]", [&] { return routing::document_types::Description(docTypeId); });
    if (mode == 2) {
      replace("[%INBOXLINK%]", [&] { return GetHyperlink(docId, docTypeId, "[%INBOXLINK%]"); });
    }
    if (mode == 1) {
      replace("[%OUTBOXLINK%]", [&] { return GetHyperlink(docId, docTypeId, "[%OUTBOXLINK%]"); });
      replace("[%ERRORBOXLINK%]",
              [&] { return GetHyperlink(docId, docTypeId, "[%ERRORBOXLINK%]"); });
      replace("[%TOLIST%]", [&] {
        return text::Trim(toList).empty() ? GetRecipientEmailAddresses(docId, docTypeId, bp)
                                          : toList;
      });
      replace("[%CCLIST%]",
              [&] { return text::Trim(ccList).empty() ? CopyListOfSenderMail(docId) : ccList; });
    }
    return result;
  });
}

[[noreturn]] void RaiseNoDefinition(const std::string& audience, const char* who,
                                    const char* what) {
  RaiseError(EnumerationErrors::DefaultTemplateNotFound,
             "Velmora.Notification.GetNotificationPropertiesFor" + audience,
             core::GetLabel("ZODAR6068") + " (" + core::GetLabel("ZODAR6057") + ", " +
                 core::GetLabel(who) + ", " + core::GetLabel(what) + ")");
}

}  // namespace

std::optional<MailDefinition> FindMailDefinition(int32_t bp, int32_t docId, uint8_t mode,
                                                 const std::string& toList,
                                                 const std::string& ccList) {
  const auto own = GetNotificationEmail(bp, docId, mode);
  if (!own->IsEOF()) {
    return DefinitionOf(*own, true);
  }
  const std::string type = Document().GetDocumentTypeOfDocument(docId);
  const auto found = GetNotificationTemplate(bp, type, mode);
  if (found->IsEOF()) {
    return std::nullopt;
  }
  MailDefinition definition = DefinitionOf(*found, false);
  definition.subject =
      ReplaceSubstitutions(bp, docId, type, mode, definition.subject, toList, ccList);
  definition.body = ReplaceSubstitutions(bp, docId, type, mode, definition.body, toList, ccList);
  return definition;
}

MailDefinition PropertiesForRecipients(int32_t bp, int32_t docId) {
  return core::Guarded("Velmora.Notification.GetNotificationPropertiesForRecipients", [&] {
    auto definition = FindMailDefinition(bp, docId, 2, "", "");
    if (!definition) {
      RaiseNoDefinition("Recipients", "ZODAR6058", "ZODAR6053");
    }
    return *definition;
  });
}

MailDefinition PropertiesForCc(int32_t docId) {
  return core::Guarded("Velmora.Notification.GetNotificationPropertiesForCc", [&] {
    auto definition = FindMailDefinition(-2, docId, 2, "", "");
    if (!definition) {
      RaiseNoDefinition("Cc", "ZODAR6059", "ZODAR6053");
    }
    return *definition;
  });
}

MailDefinition PropertiesForSender(int32_t bp, int32_t docId, const std::string& toList,
                                   const std::string& ccList) {
  return core::Guarded("Velmora.Notification.GetNotificationPropertiesForSender", [&] {
    auto definition = FindMailDefinition(bp, docId, 1, toList, ccList);
    if (!definition) {
      RaiseNoDefinition("Sender", "ZODAR6058", "ZODAR6052");
    }
    return *definition;
  });
}

}  // namespace notify

bool Notification::GetNotificationProperties(int32_t i_lBPID, int32_t i_lDocID,
                                             uint8_t i_yNotificationMode, Variant& o_sSubject,
                                             Variant& o_sBody, Variant& o_sCc, Variant& o_bCcDoc,
                                             Variant& o_bCcAtt, const std::string& i_sToList,
                                             const std::string& i_sCcList) {
  return core::Guarded("Velmora.Notification.GetNotificationProperties", [&] {
    const auto definition =
        notify::FindMailDefinition(i_lBPID, i_lDocID, i_yNotificationMode, i_sToList, i_sCcList);
    const notify::MailDefinition value = definition.value_or(notify::MailDefinition{});
    o_sSubject = Variant(value.subject);
    o_sBody = Variant(value.body);
    o_sCc = Variant(value.cc);
    o_bCcDoc = Variant(value.cc_doc);
    o_bCcAtt = Variant(value.cc_att);
    return definition.has_value();
  });
}

std::shared_ptr<db::Recordset> Notification::getRecipientsWithNotification(
    int32_t i_lDocID, const std::string& i_sDocTypeID, int32_t i_lBP) {
  return core::Guarded("Velmora.Notification.getRecipientsWithNotification", [&] {
    std::string sql =
        std::string(" SELECT PUBLICATION.USERID, DISTRIBUTIONLIST.BUSINESSPARTNERID, ") +
        "          DISTRIBUTIONLIST.HTMLATTACHMENT, DISTRIBUTIONLIST.ATTACHMENTS " +
        "   FROM PUBLICATION " + "        INNER JOIN DISTRIBUTIONLIST ON " +
        "                PUBLICATION.USERID = DISTRIBUTIONLIST.USERID " +
        "        LEFT OUTER JOIN DOCUMENTTYPE ON " +
        "                DOCUMENTTYPE.DOCUMENTTYPEID = DISTRIBUTIONLIST.DOCUMENTTYPEID " +
        "   WHERE (PUBLICATION.DOCUMENTID = " + core::SqlLong(i_lDocID) + ") " +
        "     AND (DISTRIBUTIONLIST.DOCUMENTTYPEID = " + core::SqlText(i_sDocTypeID) + ") " +
        "     AND (DISTRIBUTIONLIST.EMAIL = 1) " + "     AND (PUBLICATION.STATUS NOT IN " +
        core::DeletedPublicationStatusList() + " ) ";
    if (i_lBP > 0) {
      sql += " AND (DISTRIBUTIONLIST.BUSINESSPARTNERID = " + core::SqlLong(i_lBP) + ") ";
    }
    sql += " ORDER BY DISTRIBUTIONLIST.BUSINESSPARTNERID ";
    return std::shared_ptr<db::Recordset>(core::getDisconnectedReadOnlyRecordSet(sql));
  });
}

bool Notification::RecipientsWithNotificationExist(int32_t i_lDocID,
                                                   const std::string& i_sDocTypeID, int32_t i_lBP) {
  return core::Guarded("Velmora.Notification.RecipientsWithNotificationExist", [&] {
    return !getRecipientsWithNotification(i_lDocID, i_sDocTypeID, i_lBP)->IsEOF();
  });
}

}  // namespace velmora
