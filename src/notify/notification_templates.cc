// Notification: maintenance of templates and per-document notification e-mails.
#include <string>

#include "core/db_utils.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "routing/document_types.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/notify/notification.h"

namespace velmora {
namespace {

constexpr db::RecordsetOptions kUpdatable{db::CursorLocation::kClient, db::LockType::kOptimistic};

std::string Text(const Variant& value) { return value.IsNull() ? std::string() : value.ToText(); }
bool Flag(const Variant& value) { return !value.IsNull() && value.ToBool(); }

std::string TemplateKey(const std::string& docType, int32_t bp, uint8_t mode) {
  return std::string(" FROM NOTIFICATIONTEMPLATE ") +
         " WHERE DOCUMENTTYPEID = " + core::SqlText(docType) +
         "   AND BUSINESSPARTNERID = " + core::SqlLong(bp) + "   AND MODE = " + core::SqlByte(mode);
}

std::string EmailKey(int32_t bp, int32_t doc, uint8_t mode) {
  return std::string(" DOCUMENTID = ") + core::SqlLong(doc) + " AND " +
         " BUSINESSPARTNERID = " + core::SqlLong(bp) + " AND " + " MODE = " + core::SqlByte(mode);
}

Variant Short(int value) { return Variant(static_cast<int16_t>(value)); }

// The mail fields that templates and per-document e-mails share; `cc` only for e-mails.
void WriteMail(db::Recordset& rs, const std::string& subject, const std::string& body,
               const std::string* cc, bool cc_doc, bool cc_att) {
  rs.SetField("SUBJECT", Variant(subject));
  rs.SetField("BODY", Variant(body));
  if (cc != nullptr) {
    rs.SetField("CC", Variant(*cc));
  }
  rs.SetField("CCATT", Short(cc_att ? 1 : 0));
  rs.SetField("CCDOC", Short(cc_doc ? 1 : 0));
}

void ReadTemplate(db::Recordset& row, std::string& subject, std::string& body, bool& cc_doc,
                  bool& cc_att) {
  subject = Text(row.Field("SUBJECT"));
  body = Text(row.Field("BODY"));
  cc_doc = Flag(row.Field("CCDOC"));
  cc_att = Flag(row.Field("CCATT"));
}

}  // namespace

int32_t Notification::CanAddNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID) {
  return core::Guarded("Velmora.Notification.CanAddNotificationTemplate", [&] {
    int32_t result = i_lBPID == -2 ? 2 : 3;
    const auto rows = core::getDisconnectedReadOnlyRecordSet(
        std::string("SELECT MODE ") + " FROM NOTIFICATIONTEMPLATE " + " WHERE DOCUMENTTYPEID = " +
        core::SqlText(i_sDocTypeID) + "   AND BUSINESSPARTNERID = " + core::SqlLong(i_lBPID));
    for (; !rows->IsEOF(); rows->MoveNext()) {
      const int32_t mode = rows->Field("MODE").ToInt32();
      result -= mode == 2 ? 2 : mode == 1 ? 1 : 0;
    }
    return result < 0 ? 0 : result;
  });
}

void Notification::AddNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                           uint8_t i_yNotificationMode,
                                           const std::string& i_sSubject,
                                           const std::string& i_sBody, bool i_bCcDoc,
                                           bool i_bCcAtt) {
  constexpr const char* kPath = "Velmora.Notification.AddNotificationTemplate";
  core::Guarded(kPath, [&] {
    if (!text::IEquals(i_sDocTypeID, "-1") && !routing::document_types::Exists(i_sDocTypeID)) {
      RaiseError(EnumerationErrors::MissingDocumentTypeID, kPath,
                 text::ReplaceAll(core::GetLabel("ZODAR6085"), "[%DOCTYPE%]", i_sDocTypeID));
    }
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset("SELECT * FROM NOTIFICATIONTEMPLATE WHERE 0=1", kUpdatable);
    rs->AddNew();
    rs->SetField("DOCUMENTTYPEID", Variant(i_sDocTypeID));
    rs->SetField("BUSINESSPARTNERID", Variant(i_lBPID));
    rs->SetField("MODE", Short(i_yNotificationMode));
    WriteMail(*rs, i_sSubject, i_sBody, nullptr, i_bCcDoc, i_bCcAtt);
    rs->Update();
  });
}

void Notification::UpdateNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                              uint8_t i_yNotificationMode,
                                              const std::string& i_sSubject,
                                              const std::string& i_sBody, bool i_bCcDoc,
                                              bool i_bCcAtt) {
  core::Guarded("Velmora.Notification.UpdateNotificationTemplate", [&] {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "SELECT * " + TemplateKey(i_sDocTypeID, i_lBPID, i_yNotificationMode), kUpdatable);
    if (rs->IsEOF()) {
      return;
    }
    WriteMail(*rs, i_sSubject, i_sBody, nullptr, i_bCcDoc, i_bCcAtt);
    rs->Update();
  });
}

void Notification::DeleteNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                              uint8_t i_yNotificationMode) {
  core::Guarded("Velmora.Notification.DeleteNotificationTemplate", [&] {
    core::GetConnection()->Execute(" DELETE " +
                                   TemplateKey(i_sDocTypeID, i_lBPID, i_yNotificationMode));
  });
}

bool Notification::GetNotificationTemplateProperties(const std::string& i_sDocTypeID,
                                                     int32_t i_lBPID, uint8_t i_yNotificationMode,
                                                     std::string& o_sSubject, std::string& o_sBody,
                                                     bool& o_bCcDoc, bool& o_bCcAtt) {
  return core::Guarded("Velmora.Notification.GetNotificationTemplateProperties", [&] {
    o_sSubject.clear();
    o_sBody.clear();
    o_bCcDoc = false;
    o_bCcAtt = false;
    const auto rows = core::getDisconnectedReadOnlyRecordSet(
        std::string("SELECT * FROM NOTIFICATIONTEMPLATE WHERE ") + " DOCUMENTTYPEID = " +
        core::SqlText(i_sDocTypeID) + " AND " + " BUSINESSPARTNERID = " + core::SqlLong(i_lBPID) +
        " AND " + " MODE = " + core::SqlByte(i_yNotificationMode));
    if (rows->IsEOF()) {
      return false;
    }
    ReadTemplate(*rows, o_sSubject, o_sBody, o_bCcDoc, o_bCcAtt);
    return true;
  });
}

void Notification::GetDefaultNotificationTemplateProperties(
    const std::string& i_sDocTypeID, int32_t i_lBPID, uint8_t i_yNotificationMode,
    std::string& o_sSubject, std::string& o_sBody, bool& o_bCcDoc, bool& o_bCcAtt) {
  constexpr const char* kPath = "Velmora.Notification.GetDefaultNotificationTemplateProperties";
  core::Guarded(kPath, [&] {
    o_sSubject.clear();
    o_sBody.clear();
    o_bCcDoc = false;
    o_bCcAtt = false;
    const std::string m = std::to_string(i_yNotificationMode);
    std::string sql = std::string("SELECT TOP 1 BUSINESSPARTNERID, DOCUMENTTYPEID, MODE,  ") +
                      "          SUBJECT, BODY, CCATT, CCDOC " + " FROM NOTIFICATIONTEMPLATE ";
    if (i_lBPID == -2) {
      sql += " WHERE MODE = " + m + " AND BUSINESSPARTNERID = " + "-2" +
             " AND DOCUMENTTYPEID = " + core::SqlText("-1") +
             " ORDER BY DOCUMENTTYPEID DESC, BUSINESSPARTNERID DESC";
    } else {
      sql += " WHERE MODE = " + m + " AND ((BUSINESSPARTNERID = " + "-1" + ") " +
             "      AND (DOCUMENTTYPEID = " + core::SqlText(i_sDocTypeID) + ") " +
             "      OR (BUSINESSPARTNERID = " + "-1" + ") " +
             "      AND (DOCUMENTTYPEID = " + core::SqlText("-1") + ")) " +
             " ORDER BY DOCUMENTTYPEID DESC, BUSINESSPARTNERID DESC";
    }
    const auto rows = core::getDisconnectedReadOnlyRecordSet(sql);
    if (rows->IsEOF()) {
      RaiseError(EnumerationErrors::NotPresent, kPath, core::GetLabel("ZODAR6068"));
    }
    ReadTemplate(*rows, o_sSubject, o_sBody, o_bCcDoc, o_bCcAtt);
  });
}

bool Notification::IsDefaultNotificationTemplate(const std::string& i_sDocTypeID, int32_t i_lBPID,
                                                 uint8_t) {
  return core::Guarded("Velmora.Notification.IsDefaultNotificationTemplate", [&] {
    return text::IEquals(i_sDocTypeID, "-1") && (i_lBPID == -1 || i_lBPID == -2);
  });
}

void Notification::AddNotificationEmail(int32_t i_lBPID, int32_t i_lDocID,
                                        uint8_t i_yNotificationMode, const std::string& i_sSubject,
                                        const std::string& i_sBody, const std::string& i_sCc,
                                        bool i_bCcDoc, bool i_bCcAtt) {
  core::Guarded("Velmora.Notification.AddNotificationEmail", [&] {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset("SELECT * FROM NOTIFICATIONEMAIL WHERE 0=1", kUpdatable);
    rs->AddNew();
    rs->SetField("BUSINESSPARTNERID", Variant(i_lBPID));
    rs->SetField("DOCUMENTID", Variant(i_lDocID));
    rs->SetField("MODE", Short(i_yNotificationMode));
    WriteMail(*rs, i_sSubject, i_sBody, &i_sCc, i_bCcDoc, i_bCcAtt);
    rs->Update();
  });
}

void Notification::UpdateNotificationEmail(int32_t i_lBPID, int32_t i_lDocID,
                                           uint8_t i_yNotificationMode,
                                           const std::string& i_sSubject,
                                           const std::string& i_sBody, const std::string& i_sCc,
                                           bool i_bCcDoc, bool i_bCcAtt) {
  core::Guarded("Velmora.Notification.UpdateNotificationEmail", [&] {
    auto connection = core::GetConnection();
    auto rs = connection->OpenRecordset(
        "SELECT * FROM NOTIFICATIONEMAIL WHERE " + EmailKey(i_lBPID, i_lDocID, i_yNotificationMode),
        kUpdatable);
    if (rs->IsEOF()) {
      rs->Close();
      connection->Close();
      AddNotificationEmail(i_lBPID, i_lDocID, i_yNotificationMode, i_sSubject, i_sBody, i_sCc,
                           i_bCcDoc, i_bCcAtt);
      return;
    }
    WriteMail(*rs, i_sSubject, i_sBody, &i_sCc, i_bCcDoc, i_bCcAtt);
    rs->Update();
  });
}

void Notification::DeleteNotificationEmail(int32_t i_lBPID, int32_t i_lDocID,
                                           uint8_t i_yNotificationMode) {
  core::Guarded("Velmora.Notification.DeleteNotificationEmail", [&] {
    core::GetConnection()->Execute("DELETE FROM NOTIFICATIONEMAIL WHERE " +
                                   EmailKey(i_lBPID, i_lDocID, i_yNotificationMode));
  });
}

}  // namespace velmora
