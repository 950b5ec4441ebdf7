#include "notify/notification_template_store.h"

#include "core/bound_sql.h"

namespace velmora::notify {

std::vector<NotificationTemplateRow> ListNotificationTemplates() {
  return core::OnConnection([](db::Connection& connection) {
    return core::ReadRows(
        connection,
        "SELECT DOCUMENTTYPEID, BUSINESSPARTNERID, MODE, SUBJECT, BODY, CCDOC, CCATT FROM "
        "NOTIFICATIONTEMPLATE ORDER BY DOCUMENTTYPEID, BUSINESSPARTNERID, MODE",
        {}, [](const db::Recordset& row) {
          return NotificationTemplateRow{
              row.Field("DOCUMENTTYPEID").ToText(), row.Field("BUSINESSPARTNERID").ToInt32(),
              row.Field("MODE").ToInt32(),          core::TextOrEmpty(row, "SUBJECT"),
              core::TextOrEmpty(row, "BODY"),       row.Field("CCDOC").ToBool(),
              row.Field("CCATT").ToBool()};
        });
  });
}

}  // namespace velmora::notify
