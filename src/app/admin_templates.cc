#include "app/admin_templates.h"

#include <memory>
#include <optional>
#include <string>

#include "app/admin_runner.h"
#include "notify/notification_template_store.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"
#include "velmora/notify/notification.h"

namespace velmora::app {
namespace {

struct TemplateOptions {
  bool json = false;
  std::string doctype;
  std::string partner;
  std::string mode;
  std::optional<std::string> subject;
  std::optional<std::string> body;
  bool cc_doc = false;
  bool cc_att = false;
};

using Options = std::shared_ptr<TemplateOptions>;

// The template key of the command line: partner -1, -2 or a partner id; mode 1 or 2 (partner
// -2: 2 only).
struct Key {
  std::string doctype;
  int32_t partner = 0;
  uint8_t mode = 0;
};

Key ParseKey(const TemplateOptions& options) {
  Key key{options.doctype, 0, 0};
  if (text::Trim(key.doctype).empty()) {
    BadInput("The document type is empty (use -1 for every type)");
  }
  key.partner = options.partner == "-1" || options.partner == "-2"
                    ? Variant(options.partner).ToInt32()
                    : ParseId("The partner", options.partner);
  if (options.mode != "1" && options.mode != "2") {
    BadInput("The mode must be 1 (sender) or 2 (recipient), not '" + options.mode + "'");
  }
  key.mode = static_cast<uint8_t>(options.mode[0] - '0');
  if (key.partner == -2 && key.mode != 2) {
    BadInput("Partner -2 (copy addresses) has recipient templates (mode 2) only");
  }
  return key;
}

void CheckTexts(const Key& key, const std::string& subject, const std::string& body) {
  Notification notification;
  std::string codes;
  if (!notification.IsValidSubjectForNotificationTemplate(key.doctype, key.partner, key.mode,
                                                          subject, codes)) {
    BadInput("The subject holds placeholders not allowed there: " + codes);
  }
  if (!notification.IsValidBodyForNotificationTemplate(key.doctype, key.partner, key.mode, body,
                                                       codes)) {
    BadInput("The body holds placeholders not allowed there for this mode and partner: " + codes);
  }
}

Variant TemplateRecord(const Key& key, const std::string& subject, const std::string& body,
                       bool cc_doc, bool cc_att) {
  return Record({{"doctype", Variant(key.doctype)},
                 {"partner", Variant(key.partner)},
                 {"mode", Variant(static_cast<int32_t>(key.mode))},
                 {"subject", Variant(subject)},
                 {"body", Variant(body)},
                 {"cc_doc", Variant(cc_doc)},
                 {"cc_att", Variant(cc_att)}});
}

Variant AddTemplate(const TemplateOptions& options) {
  const Key key = ParseKey(options);
  if (!options.subject || !options.body) {
    BadInput("A new template needs --subject and --body");
  }
  Notification notification;
  const int32_t free_modes = notification.CanAddNotificationTemplate(key.doctype, key.partner);
  if ((free_modes & key.mode) == 0) {
    BadInput("A template for type " + key.doctype + ", partner " + options.partner + " and mode " +
             options.mode + " exists already (use set)");
  }
  CheckTexts(key, *options.subject, *options.body);
  notification.AddNotificationTemplate(key.doctype, key.partner, key.mode, *options.subject,
                                       *options.body, options.cc_doc, options.cc_att);
  return TemplateRecord(key, *options.subject, *options.body, options.cc_doc, options.cc_att);
}

// The stored template of `key`; a clear message when there is none.
struct StoredTemplate {
  std::string subject;
  std::string body;
  bool cc_doc = false;
  bool cc_att = false;
};

StoredTemplate ExistingTemplate(Notification& notification, const Key& key,
                                const TemplateOptions& options) {
  StoredTemplate stored;
  if (!notification.GetNotificationTemplateProperties(key.doctype, key.partner, key.mode,
                                                      stored.subject, stored.body, stored.cc_doc,
                                                      stored.cc_att)) {
    Missing("No template for type " + key.doctype + ", partner " + options.partner + " and mode " +
            options.mode);
  }
  return stored;
}

Variant SetTemplate(const TemplateOptions& options) {
  const Key key = ParseKey(options);
  Notification notification;
  const StoredTemplate stored = ExistingTemplate(notification, key, options);
  const std::string subject = options.subject.value_or(stored.subject);
  const std::string body = options.body.value_or(stored.body);
  CheckTexts(key, subject, body);
  notification.UpdateNotificationTemplate(key.doctype, key.partner, key.mode, subject, body,
                                          options.cc_doc, options.cc_att);
  return TemplateRecord(key, subject, body, options.cc_doc, options.cc_att);
}

Variant RemoveTemplate(const TemplateOptions& options) {
  const Key key = ParseKey(options);
  Notification notification;
  const StoredTemplate stored = ExistingTemplate(notification, key, options);
  notification.DeleteNotificationTemplate(key.doctype, key.partner, key.mode);
  return TemplateRecord(key, stored.subject, stored.body, stored.cc_doc, stored.cc_att);
}

Variant ListTemplates() {
  return ListOf(
      notify::ListNotificationTemplates(), [](const notify::NotificationTemplateRow& row) {
        return TemplateRecord(Key{row.doctype, row.partner, static_cast<uint8_t>(row.mode)},
                              row.subject, row.body, row.cc_doc, row.cc_att);
      });
}

std::string Done(const std::string& verb, const Variant& record) {
  const auto fields = record.As<Dictionary>();
  return verb + " template " + fields->Item("doctype").ToText() + " / " +
         fields->Item("partner").ToText() + " / mode " + fields->Item("mode").ToText() + "\n";
}

void KeyArguments(cli::Command& command, const Options& o) {
  command.Positional("doctype", o->doctype, "Document type id, -1 for every type", true);
  command.Positional("partner", o->partner, "Partner id, -1 for every partner, -2 copies", true);
  command.Positional("mode", o->mode, "1 sender's mail, 2 recipients' mail", true);
}

void TextOptions(cli::Command& command, const Options& o) {
  command.Option("--subject", o->subject, "Subject with [%DOCID%] and [%DOCTYPE%]");
  command.Option("--body", o->body, "Body with the placeholders of its mode");
  command.Flag("--cc-doc", o->cc_doc, "Attach the document as HTML");
  command.Flag("--cc-att", o->cc_att, "Attach the document's attachments");
}

}  // namespace

void AddTemplateCommands(cli::Command& admin, const AdminOptions& options,
                         const std::function<void()>& use_home) {
  const auto o = std::make_shared<TemplateOptions>();
  const AdminCommandRunner<TemplateOptions> runner(options, use_home, o);
  cli::Command& group = admin.Add("template", "Notification templates (NOTIFICATIONTEMPLATE)");
  group.RequireSubcommand();

  cli::Command& add = group.Add("add", "Add a notification template");
  KeyArguments(add, o);
  TextOptions(add, o);
  runner.OnRun(
      add, [o] { return AddTemplate(*o); },
      [](const Variant& record) { return Done("Added", record); });

  cli::Command& set = group.Add("set", "Change a notification template");
  KeyArguments(set, o);
  TextOptions(set, o);
  runner.OnRun(
      set, [o] { return SetTemplate(*o); },
      [](const Variant& record) { return Done("Changed", record); });

  runner.AddList(group, "Print every notification template", ListTemplates,
                 {"doctype", "partner", "mode", "subject", "cc_doc", "cc_att"});

  cli::Command& remove = group.Add("remove", "Remove a notification template");
  KeyArguments(remove, o);
  runner.OnRun(
      remove, [o] { return RemoveTemplate(*o); },
      [](const Variant& record) { return Done("Removed", record); });
}

}  // namespace velmora::app
