#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The listing of the notification templates (NOTIFICATIONTEMPLATE) that the maintenance shows;
// the writes are those of the public class Notification.
namespace velmora::notify {

// A stored template; Null texts read as "".
struct NotificationTemplateRow {
  std::string doctype;
  int32_t partner = 0;
  int32_t mode = 0;
  std::string subject;
  std::string body;
  bool cc_doc = false;
  bool cc_att = false;
};

// Every template by document type, partner and mode, on a connection of its own.
std::vector<NotificationTemplateRow> ListNotificationTemplates();

}  // namespace velmora::notify
