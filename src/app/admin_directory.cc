#include "app/admin_directory.h"

#include <iostream>
#include <memory>

#include "app/admin_runner.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "platform/files/native_path.h"
#include "platform/files/path_text.h"
#include "platform/host/membership_database.h"
#include "platform/host/membership_directory.h"
#include "platform/host/password_hash.h"
#include "platform/host/xml_file.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::app {
namespace {

constexpr const char* kSource = "velmora admin";

// What the directory commands parse into. One command runs per process, so the commands share
// the fields.
struct DirectoryOptions {
  bool json = false;
  std::string id;
  std::string name;
  std::optional<std::string> code0;
  std::optional<std::string> code1;
  std::optional<std::string> partner;
  std::optional<std::string> email;
  std::optional<std::string> language;
  std::optional<std::string> password;
  std::optional<std::string> employee_number;
  std::optional<std::string> first_name;
  std::optional<std::string> last_name;
  std::vector<std::string> apps;
  bool no_apps = false;
  std::optional<std::string> ext_description;
  std::optional<std::string> icon;
  std::optional<std::string> html_xsl;
  bool show_accept_reject = false;
};

using Options = std::shared_ptr<DirectoryOptions>;

// The password as given, or the first line of standard input for "-".
std::string PasswordArgument(const std::string& value) {
  if (value != "-") {
    return value;
  }
  std::string line;
  if (!std::getline(std::cin, line)) {
    BadInput("No password could be read from standard input");
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return line;
}

std::unique_ptr<host::MembershipDirectory> NewDirectory() {
  return std::make_unique<host::MembershipDirectory>(
      [] { return core::GetConnection(); },
      std::shared_ptr<host::PasswordHasher>(host::NewSodiumPasswordHasher()),
      host::ReferentialIntegrityRegistry::Global());
}

Variant TextOrNull(const std::string& text) {
  return text.empty() ? Variant::MakeNull() : Variant(text);
}

using CommandRunner = AdminCommandRunner<DirectoryOptions>;

// A "remove" command under `parent` whose required argument `id_name` names the record:
// `remove(id)` deletes it and returns the id as stored; prints "Removed <what> <id>".
void AddRemove(const CommandRunner& runner, cli::Command& parent, const std::string& description,
               const std::string& id_name, const std::string& id_help, const std::string& what,
               std::function<Variant(const std::string&)> remove) {
  const Options& o = runner.options();
  cli::Command& command = parent.Add("remove", description);
  command.Positional(id_name, o->id, id_help, true);
  runner.OnRun(
      command,
      [o, remove = std::move(remove)] {
        return Record({{"removed", remove(o->id)}});
      },
      [o, what](const Variant&) { return "Removed " + what + " " + o->id + "\n"; });
}

// --- partners --------------------------------------------------------------------------------

Variant PartnerVariant(const host::PartnerRecord& partner) {
  return Record({{"id", Variant(partner.id)},
                 {"name", Variant(partner.name)},
                 {"code0", TextOrNull(partner.code0)},
                 {"code1", TextOrNull(partner.code1)}});
}

void AddPartnerCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& partner = admin.Add("partner", "Business partners of the partner register");
  partner.RequireSubcommand();

  cli::Command& add = partner.Add("add", "Add a business partner");
  add.Positional("id", o->id, "Partner id (a number from 1)", true);
  add.Positional("name", o->name, "Partner name", true);
  add.Option("--code0", o->code0, "Partner code of kind 0 (BUS-PART-C)");
  add.Option("--code1", o->code1, "Partner code of kind 1 (BUS-PART-S)");
  runner.OnRun(
      add,
      [o] {
        host::PartnerRecord record{ParseId("The partner id", o->id), o->name, o->code0.value_or(""),
                                   o->code1.value_or("")};
        NewDirectory()->AddPartner(record);
        return PartnerVariant(record);
      },
      [o](const Variant&) { return "Added business partner " + o->id + " (" + o->name + ")\n"; });

  runner.AddList(partner, "List the business partners",
                 [] { return ListOf(NewDirectory()->ListPartners(), PartnerVariant); },
                 {"id", "name", "code0", "code1"});

  AddRemove(runner, partner, "Remove a business partner without references", "id", "Partner id",
            "business partner", [](const std::string& id_text) {
              const int32_t id = ParseId("The partner id", id_text);
              NewDirectory()->RemovePartner(id);
              return Variant(id);
            });
}

// --- applications ----------------------------------------------------------------------------

Variant ApplicationVariant(const host::ApplicationRecord& application) {
  return Record({{"id", Variant(application.id)}, {"name", Variant(application.name)}});
}

// The application elements of the B2B configuration file, from which "Tarvex.Configuration"
// answers application ids by name, are kept in step with table APPLICATION: an application
// added here is added there too, and a name that the file gives another id is refused.
std::string B2BConfigPath() {
  const std::string path = core::GetB2BConfigFile();
  if (path.empty()) {
    BadInput("The installation's configuration file cannot be found");
  }
  return files::ToNativePath(path);
}

void CheckConfiguredApplication(const host::ApplicationRecord& application) {
  const host::XmlElement root = host::ReadXmlFile(B2BConfigPath());
  for (const host::XmlElement& element : root.children) {
    if (element.name == "application" && element.Attribute("name") == application.name &&
        element.Attribute("id") != std::to_string(application.id)) {
      RaiseError(EnumerationErrors::AlreadyPresent, kSource,
                 "The configuration file names application '" + application.name + "' with id " +
                     element.Attribute("id") + ", not " + std::to_string(application.id));
    }
  }
}

void ConfigureApplication(const host::ApplicationRecord& application) {
  const std::string path = B2BConfigPath();
  host::XmlElement root = host::ReadXmlFile(path);
  for (const host::XmlElement& element : root.children) {
    if (element.name == "application" && element.Attribute("name") == application.name) {
      return;
    }
  }
  root.children.push_back(host::XmlElement{
      "application", {{"name", application.name}, {"id", std::to_string(application.id)}}, {}, {}});
  host::WriteXmlFile(path, root);
}

void AddApplicationCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& app = admin.Add("app", "Applications that users may be permitted to use");
  app.RequireSubcommand();

  cli::Command& add = app.Add("add", "Add an application");
  add.Positional("id", o->id, "Application id (a number from 1)", true);
  add.Positional("name", o->name, "Application name", true);
  runner.OnRun(
      add,
      [o] {
        host::ApplicationRecord record{ParseId("The application id", o->id), o->name};
        CheckConfiguredApplication(record);
        NewDirectory()->AddApplication(record);
        ConfigureApplication(record);
        return ApplicationVariant(record);
      },
      [o](const Variant&) { return "Added application " + o->id + " (" + o->name + ")\n"; });

  runner.AddList(app, "List the applications",
                 [] { return ListOf(NewDirectory()->ListApplications(), ApplicationVariant); },
                 {"id", "name"});
}

// --- users -----------------------------------------------------------------------------------

host::UserFields FieldsOf(const DirectoryOptions& o) {
  host::UserFields fields;
  if (o.partner) {
    fields.business_partner_id = ParseId("The partner id", *o.partner);
  }
  fields.email_address = o.email;
  if (o.language) {
    fields.language_id = ParseId("The language id", *o.language);
  }
  fields.employee_number = o.employee_number;
  fields.first_name = o.first_name;
  fields.last_name = o.last_name;
  if (o.no_apps && !o.apps.empty()) {
    BadInput("--no-apps and --app cannot be given together");
  }
  if (!o.apps.empty() || o.no_apps) {
    fields.applications = o.apps;
  }
  if (o.password) {
    fields.password = PasswordArgument(*o.password);
  }
  return fields;
}

void AddUserOptions(cli::Command& command, const Options& o) {
  command.Option("--partner", o->partner, "Business partner id of the user");
  command.Option("--email", o->email, "E-mail address");
  command.Option("--language", o->language, "Windows language id (default 1033)");
  command.Option("--password", o->password,
                 "Password (stored as an Argon2id hash); '-' reads it from standard input");
  command.Option("--employee-number", o->employee_number, "Employee number");
  command.Option("--first-name", o->first_name, "First name");
  command.Option("--last-name", o->last_name, "Last name");
  command.Repeated("--app", o->apps, "Name of an application the user may use (repeatable)");
}

// A user for listing: application ids shown by name, the password only as set or not.
Variant UserVariant(const host::MemberRecord& user,
                    const std::vector<host::ApplicationRecord>& applications) {
  VariantArray names(0);
  for (int32_t id : user.applications) {
    std::string name = std::to_string(id);
    for (const host::ApplicationRecord& application : applications) {
      if (application.id == id) {
        name = application.name;
      }
    }
    names.Append(Variant(name));
  }
  return Record({{"userid", Variant(user.user_id)},
                 {"partner", Variant(user.business_partner_id)},
                 {"email", TextOrNull(user.email_address)},
                 {"language", Variant(user.language_id)},
                 {"employeeNumber", TextOrNull(user.employee_number)},
                 {"firstName", TextOrNull(user.first_name)},
                 {"lastName", TextOrNull(user.last_name)},
                 {"password", Variant(!user.password_hash.empty())},
                 {"apps", Variant(std::move(names))}});
}

Variant ListUsers() {
  auto directory = NewDirectory();
  const std::vector<host::ApplicationRecord> applications = directory->ListApplications();
  const std::vector<host::MemberRecord> users = directory->ListUsers();
  return ListOf(users,
                [&](const host::MemberRecord& user) { return UserVariant(user, applications); });
}

// The listing of one user, after a change.
Variant ShowUser(const std::string& user_id) {
  const Variant all = ListUsers();
  for (const Variant& user : all.AsArray().values()) {
    if (user.As<Dictionary>()->Item("userid").ToText() == user_id) {
      return user;
    }
  }
  return Variant::MakeNull();
}

void AddUserCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& user = admin.Add("user", "Users of the membership directory");
  user.RequireSubcommand();

  cli::Command& add = user.Add("add", "Add a user (needs --partner and --email)");
  add.Positional("userid", o->id, "User id (login name)", true);
  AddUserOptions(add, o);
  runner.OnRun(
      add,
      [o] {
        if (!o->partner) {
          BadInput("user add needs --partner ID");
        }
        if (!o->email) {
          BadInput("user add needs --email ADDRESS");
        }
        NewDirectory()->AddUser(o->id, FieldsOf(*o));
        return ShowUser(o->id);
      },
      [o](const Variant&) { return "Added user " + o->id + "\n"; });

  cli::Command& set = user.Add("set", "Change fields of a user (only the options given)");
  set.Positional("userid", o->id, "User id", true);
  AddUserOptions(set, o);
  set.Flag("--no-apps", o->no_apps, "Take every application away from the user");
  runner.OnRun(
      set,
      [o] {
        NewDirectory()->SetUser(o->id, FieldsOf(*o));
        return ShowUser(o->id);
      },
      [o](const Variant&) { return "Changed user " + o->id + "\n"; });

  runner.AddList(user, "List the users (passwords are shown as yes/no only)", ListUsers,
                 {"userid", "partner", "email", "language", "employeeNumber", "firstName",
                  "lastName", "password", "apps"});

  AddRemove(runner, user, "Remove a user without references", "userid", "User id", "user",
            [](const std::string& id) {
              NewDirectory()->RemoveUser(id);
              return Variant(id);
            });
}

// --- document types --------------------------------------------------------------------------

constexpr size_t kDocumentTypeIdChars = 100;

Variant DocumentTypeVariant(const DocumentTypeRecord& type) {
  return Record({{"id", Variant(type.id)},
                 {"description", Variant(type.description)},
                 {"extDescription", TextOrNull(type.ext_description)},
                 {"icon", TextOrNull(type.icon_file)},
                 {"htmlXsl", TextOrNull(type.html_xsl)},
                 {"showAcceptReject", Variant(type.show_accept_reject)}});
}

// Icons and style sheets are files of the installation's folders: a name that leaves its
// folder ("..") or names a drive or an absolute path is refused.
void RequireFolderFileName(const std::string& what, const std::string& name) {
  if (files::HasParentStep(name) || files::HasDrive(name)) {
    BadInput(what + " '" + name + "' must be a file name within its folder");
  }
}

void AddDocumentTypeCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& doctype = admin.Add("doctype", "Document types");
  doctype.RequireSubcommand();

  cli::Command& add = doctype.Add("add", "Add a document type");
  add.Positional("id", o->id, "Document type id", true);
  add.Positional("description", o->name, "Description (display name)", true);
  add.Option("--ext-description", o->ext_description, "Extended description");
  add.Option("--icon", o->icon, "Icon file name");
  add.Option("--html-xsl", o->html_xsl, "Style sheet for the HTML rendering of mails");
  add.Flag("--show-accept-reject", o->show_accept_reject,
           "Recipients accept or reject documents of this type");
  runner.OnRun(
      add,
      [o] {
        RequireFolderFileName("The icon", o->icon.value_or(""));
        RequireFolderFileName("The HTML style sheet", o->html_xsl.value_or(""));
        DocumentTypeRecord type{o->id,
                                o->name,
                                o->ext_description.value_or(""),
                                o->icon.value_or(""),
                                o->html_xsl.value_or(""),
                                o->show_accept_reject};
        AddDocumentType(type);
        return DocumentTypeVariant(type);
      },
      [o](const Variant&) { return "Added document type " + o->id + "\n"; });

  runner.AddList(doctype, "List the document types",
                 [] { return ListOf(ListDocumentTypes(), DocumentTypeVariant); },
                 {"id", "description", "extDescription", "icon", "htmlXsl", "showAcceptReject"});

  AddRemove(runner, doctype, "Remove a document type without references", "id", "Document type id",
            "document type", [](const std::string& id) {
              RemoveDocumentType(id);
              return Variant(id);
            });
}

}  // namespace

void AddDocumentType(const DocumentTypeRecord& type) {
  host::CheckDirectoryText(kSource, "The document type id", type.id, kDocumentTypeIdChars, true);
  host::CheckDirectoryText(kSource, "The description", type.description, 255, false);
  host::CheckDirectoryText(kSource, "The extended description", type.ext_description, 2000, false);
  host::CheckDirectoryText(kSource, "The icon file name", type.icon_file, 255, false);
  host::CheckDirectoryText(kSource, "The HTML style sheet name", type.html_xsl, 255, false);
  document::DocumentTypeStore store;
  if (store.Exists(type.id)) {
    RaiseError(EnumerationErrors::AlreadyPresent, kSource,
               "The document type '" + type.id + "' already exists");
  }
  store.Add(type);
}

std::vector<DocumentTypeRecord> ListDocumentTypes() { return document::DocumentTypeStore().List(); }

void RemoveDocumentType(const std::string& id,
                        const host::ReferentialIntegrityRegistry& participants) {
  const std::string what = "The document type '" + id + "'";
  document::DocumentTypeStore store;
  if (!store.Exists(id)) {
    RaiseError(EnumerationErrors::NotPresent, kSource, what + " does not exist");
  }
  if (auto refusal =
          participants.RefusalToDelete(host::kOriginDocumentType, "DOCUMENTTYPEID", Variant(id))) {
    RaiseError(EnumerationErrors::ReferentialDelete, kSource,
               what + " cannot be removed: it is " + *refusal);
  }
  store.Remove(id);
}

void AddDirectoryCommands(cli::Command& admin, const AdminOptions& options,
                          const std::function<void()>& use_home) {
  auto mine = std::make_shared<DirectoryOptions>();
  const CommandRunner runner(options, use_home, mine);
  AddPartnerCommands(admin, runner, mine);
  AddUserCommands(admin, runner, mine);
  AddApplicationCommands(admin, runner, mine);
  AddDocumentTypeCommands(admin, runner, mine);
}

}  // namespace velmora::app
