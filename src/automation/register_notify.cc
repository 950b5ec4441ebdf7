#include "automation/registration.h"
#include "velmora/notify/notification.h"

namespace velmora::automation {

// Velmora.Notification.
void RegisterNotificationClasses(ClassRegistry& registry) {
  const std::vector<ParamSpec> key{"i_sDocTypeID", "i_lBPID", "i_yNotificationMode"};
  const auto with = [&key](std::vector<ParamSpec> more) {
    std::vector<ParamSpec> params = key;
    params.insert(params.end(), more.begin(), more.end());
    return params;
  };
  const std::vector<ParamSpec> template_outputs{"o_sSubject", "o_sBody", "o_bCcDoc", "o_bCcAtt"};
  const std::vector<ParamSpec> email_values{"i_lBPID",    "i_lDocID", "i_yNotificationMode",
                                            "i_sSubject", "i_sBody",  "i_sCc",
                                            "i_bCcDoc",   "i_bCcAtt"};
  registry.Add("Velmora.Notification")
      .Bind("SendNotifications", &Notification::SendNotifications, {"i_lDocID"})
      .Bind("GetNotificationProperties", &Notification::GetNotificationProperties,
            {"i_lBPID", "i_lDocID", "i_yNotificationMode", "o_sSubject", "o_sBody", "o_sCc",
             "o_bCcDoc", "o_bCcAtt", Opt("i_sToList", Variant("")), Opt("i_sCcList", Variant(""))})
      .Bind("ReSendNotification", &Notification::ReSendNotification,
            {"i_lDocID", "i_sDocTypeID", "i_lPubErrorID"})
      .Bind("getRecipientsWithNotification", &Notification::getRecipientsWithNotification,
            {"i_lDocID", "i_sDocTypeID", "i_lBP"})
      .Bind("RecipientsWithNotificationExist", &Notification::RecipientsWithNotificationExist,
            {"i_lDocID", "i_sDocTypeID", "i_lBP"})
      .Bind("CanAddNotificationTemplate", &Notification::CanAddNotificationTemplate,
            {"i_sDocTypeID", "i_lBPID"})
      .Bind("AddNotificationTemplate", &Notification::AddNotificationTemplate,
            with({"i_sSubject", "i_sBody", "i_bCcDoc", "i_bCcAtt"}))
      .Bind("UpdateNotificationTemplate", &Notification::UpdateNotificationTemplate,
            with({"i_sSubject", "i_sBody", "i_bCcDoc", "i_bCcAtt"}))
      .Bind("DeleteNotificationTemplate", &Notification::DeleteNotificationTemplate, key)
      .Bind("GetNotificationTemplateProperties", &Notification::GetNotificationTemplateProperties,
            with(template_outputs))
      .Bind("GetDefaultNotificationTemplateProperties",
            &Notification::GetDefaultNotificationTemplateProperties, with(template_outputs))
      .Bind("IsDefaultNotificationTemplate", &Notification::IsDefaultNotificationTemplate, key)
      .Bind("AddNotificationEmail", &Notification::AddNotificationEmail, email_values)
      .Bind("UpdateNotificationEmail", &Notification::UpdateNotificationEmail, email_values)
      .Bind("DeleteNotificationEmail", &Notification::DeleteNotificationEmail,
            {"i_lBPID", "i_lDocID", "i_yNotificationMode"})
      .Bind("IsValidSubjectForNotificationTemplate",
            &Notification::IsValidSubjectForNotificationTemplate,
            with({"i_sSubject", "o_sInvalidCodes"}))
      .Bind("IsValidBodyForNotificationTemplate", &Notification::IsValidBodyForNotificationTemplate,
            with({"i_sBody", "o_sInvalidCodes"}))
      .Bind("IsValidSubjectForNotificationEmail", &Notification::IsValidSubjectForNotificationEmail,
            {"i_sSubject", "o_sInvalidCodes"})
      .Bind("IsValidBodyForNotificationEmail", &Notification::IsValidBodyForNotificationEmail,
            {"i_sBody", "o_sInvalidCodes"});
}

}  // namespace velmora::automation
