#include "app/admin_stores.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "delivery/receive_method_store.h"
#include "document/document_type_store.h"
#include "routing/node_queries.h"
#include "routing/user_list_store.h"
#include "support/tag_store.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/delivery/receive_method.h"
#include "velmora/xml/document.h"

namespace velmora::app {
namespace {

constexpr const char* kSource = "velmora admin";

// What the store commands parse into. One command runs per process, so the commands share the
// fields.
struct StoreOptions {
  bool json = false;
  std::string doctype;
  std::string user;
  std::string partner;
  std::string second;  // the new document type, the tag name or the style sheet
  std::string third;   // the style sheet or the tag pattern
  std::string filter;  // "" for every document type
  std::optional<std::string> kind;
  bool email = false;
  bool html = false;
  bool attachments = false;
  bool notify = false;
};

using Options = std::shared_ptr<StoreOptions>;

using CommandRunner = AdminCommandRunner<StoreOptions>;

// --- distribution and sender lists -----------------------------------------------------------

// The distribution list and the sender list share their shape: (document type, user) keys, the
// user's partner, and three flags.
struct UserListCommand {
  const char* command;
  const char* description;
  routing::UserList list;
  const char* what;
  // The names of the flags in the listing.
  std::array<const char*, 3> names;
};

constexpr UserListCommand kDistributionList{"distlist",
                                            "Users who receive the documents of a type",
                                            routing::UserList::kDistribution,
                                            "distribution list",
                                            {"email", "html", "attachments"}};

constexpr UserListCommand kSenderList{"senderlist",
                                      "Users allowed to send documents of a type",
                                      routing::UserList::kSender,
                                      "sender list",
                                      {"notify", "attachments", "html"}};

void AddUserListCommands(cli::Command& admin, const CommandRunner& runner, const Options& o,
                         const UserListCommand& t, std::array<bool*, 3> flags,
                         std::array<const char*, 3> flag_help) {
  const std::string what = t.what;
  cli::Command& list_command = admin.Add(t.command, t.description);
  list_command.RequireSubcommand();

  cli::Command& add = list_command.Add("add", "Add a user for a document type");
  add.Positional("doctype", o->doctype, "Document type id", true);
  add.Positional("userid", o->user, "User id", true);
  for (size_t i = 0; i < flags.size(); ++i) {
    add.Flag(std::string("--") + t.names[i], *flags[i], flag_help[i]);
  }
  auto to_variant = [t](const routing::UserListEntry& entry) {
    return Record({{"doctype", OrNull(entry.doctype)},
                   {"userid", OrNull(entry.user)},
                   {"partner", OrNull(entry.partner)},
                   {t.names[0], Variant(entry.flags[0])},
                   {t.names[1], Variant(entry.flags[1])},
                   {t.names[2], Variant(entry.flags[2])}});
  };
  runner.OnRun(
      add,
      [o, t, what, flags, to_variant] {
        RequireDocumentType(o->doctype);
        const int32_t partner = PartnerOfUser(o->user);
        routing::UserListStore store(t.list);
        if (store.Contains(o->doctype, o->user)) {
          RaiseError(
              EnumerationErrors::AlreadyPresent, kSource,
              "The user '" + o->user + "' is already on the " + what + " of '" + o->doctype + "'");
        }
        store.Add(o->doctype, o->user, partner, {*flags[0], *flags[1], *flags[2]});
        return to_variant(*store.Get(o->doctype, o->user));
      },
      [o, what](const Variant&) {
        return "Added " + o->user + " to the " + what + " of " + o->doctype + "\n";
      });

  cli::Command& list = list_command.Add("list", "List the entries, of one document type or all");
  list.Positional("doctype", o->filter, "Document type id (all when left out)", false);
  runner.OnRun(
      list,
      [o, t, to_variant] {
        if (!o->filter.empty()) {
          RequireDocumentType(o->filter);
        }
        return ListOf(routing::UserListStore(t.list).List(o->filter), to_variant);
      },
      [t](const Variant& rows) {
        return Table(rows, {"doctype", "userid", "partner", t.names[0], t.names[1], t.names[2]});
      });

  cli::Command& remove = list_command.Add("remove", "Remove a user for a document type");
  remove.Positional("doctype", o->doctype, "Document type id", true);
  remove.Positional("userid", o->user, "User id", true);
  runner.OnRun(
      remove,
      [o, t, what] {
        if (!routing::UserListStore(t.list).Remove(o->doctype, o->user)) {
          Missing("The user '" + o->user + "' is not on the " + what + " of '" + o->doctype + "'");
        }
        return Record({{"doctype", Variant(o->doctype)}, {"userid", Variant(o->user)}});
      },
      [o, what](const Variant&) {
        return "Removed " + o->user + " from the " + what + " of " + o->doctype + "\n";
      });
}

// --- receive methods -------------------------------------------------------------------------

Variant ReceiveMethodVariant(const delivery::ReceiveMethodRow& row) {
  return Record({{"id", Variant(row.id)},
                 {"partner", OrNull(row.partner)},
                 {"doctype", OrNull(row.doctype)},
                 {"xsl", OrNull(row.xsl)}});
}

void AddReceiveMethodCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& group =
      admin.Add("receivemethod", "Style sheets that turn a partner's format into a document type");
  group.RequireSubcommand();

  cli::Command& add = group.Add("add", "Set the style sheet for a partner and document type");
  add.Positional("partner", o->partner, "Business partner id", true);
  add.Positional("doctype", o->doctype, "Document type id", true);
  add.Positional("xslfile", o->second, "Style sheet file name", true);
  runner.OnRun(
      add,
      [o] {
        int32_t partner = RequirePartner(o->partner);
        RequireDocumentType(o->doctype);
        RequireText("The style sheet file name", o->second, 255);
        const int32_t id = ReceiveMethod().InsertReceiveMethod(partner, o->doctype, o->second);
        return Record({{"id", Variant(id)},
                       {"partner", Variant(partner)},
                       {"doctype", Variant(o->doctype)},
                       {"xsl", Variant(o->second)}});
      },
      [o](const Variant&) {
        return "Set receive style sheet " + o->second + " for partner " + o->partner + " and " +
               o->doctype + "\n";
      });

  runner.AddList(group, "List the receive style sheets",
                 [] { return ListOf(delivery::ListReceiveMethods(), ReceiveMethodVariant); },
                 {"id", "partner", "doctype", "xsl"});

  cli::Command& remove = group.Add("remove", "Remove the style sheet of a partner and type");
  remove.Positional("partner", o->partner, "Business partner id", true);
  remove.Positional("doctype", o->doctype, "Document type id", true);
  runner.OnRun(
      remove,
      [o] {
        int32_t partner = ParseId("The partner id", o->partner);
        ReceiveMethod methods;
        int32_t id = methods.GetReceiveMethodID(partner, o->doctype);
        if (id == 0) {
          Missing("Partner " + o->partner + " has no receive style sheet for '" + o->doctype + "'");
        }
        methods.DeleteReceiveMethod(id);
        return Record({{"removed", Variant(id)}});
      },
      [o](const Variant&) {
        return "Removed the receive style sheet of partner " + o->partner + " for " + o->doctype +
               "\n";
      });
}

// --- document type conversions ---------------------------------------------------------------

Variant ConversionVariant(const document::DocumentTypeConversion& conversion) {
  return Record({{"id", Variant(conversion.id)},
                 {"doctype", OrNull(conversion.doctype)},
                 {"newDoctype", OrNull(conversion.new_doctype)},
                 {"xsl", OrNull(conversion.xsl)}});
}

void AddConversionCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& group =
      admin.Add("conversion", "Style sheets that turn one document type into another");
  group.RequireSubcommand();

  cli::Command& add = group.Add("add", "Add a conversion between two document types");
  add.Positional("doctype", o->doctype, "Document type id", true);
  add.Positional("newdoctype", o->second, "Document type id it becomes", true);
  add.Positional("xslfile", o->third, "Style sheet file name", true);
  runner.OnRun(
      add,
      [o] {
        RequireDocumentType(o->doctype);
        RequireDocumentType(o->second);
        RequireText("The style sheet file name", o->third, 255);
        document::DocumentTypeStore store;
        if (store.ConversionExists(o->doctype, o->second)) {
          RaiseError(
              EnumerationErrors::AlreadyPresent, kSource,
              "A conversion from '" + o->doctype + "' to '" + o->second + "' already exists");
        }
        const int32_t id = store.AddConversion(o->doctype, o->second, o->third);
        return ConversionVariant({id, o->doctype, o->second, o->third});
      },
      [o](const Variant&) {
        return "Added conversion of " + o->doctype + " to " + o->second + "\n";
      });

  runner.AddList(
      group, "List the conversions",
      [] { return ListOf(document::DocumentTypeStore().Conversions(), ConversionVariant); },
      {"id", "doctype", "newDoctype", "xsl"});

  cli::Command& remove = group.Add("remove", "Remove a conversion");
  remove.Positional("doctype", o->doctype, "Document type id", true);
  remove.Positional("newdoctype", o->second, "Document type id it becomes", true);
  runner.OnRun(
      remove,
      [o] {
        if (!document::DocumentTypeStore().RemoveConversion(o->doctype, o->second)) {
          Missing("There is no conversion from '" + o->doctype + "' to '" + o->second + "'");
        }
        return Record({{"doctype", Variant(o->doctype)}, {"newDoctype", Variant(o->second)}});
      },
      [o](const Variant&) {
        return "Removed conversion of " + o->doctype + " to " + o->second + "\n";
      });
}

// --- tags ------------------------------------------------------------------------------------

Variant TagVariant(const support::TagDefinition& tag) {
  return Record({{"id", Variant(tag.id)},
                 {"doctype", OrNull(tag.doctype)},
                 {"name", OrNull(tag.name)},
                 {"pattern", OrNull(tag.pattern)},
                 {"kind", OrNull(tag.kind)}});
}

// The kind written in `text`: a number of TagAttrXsl.
TagAttrXsl TagKind(const std::string& text) {
  const int32_t kind = ParseId("The tag kind", text);
  if (kind > static_cast<int32_t>(TagAttrXsl::FIXEDTEXT)) {
    BadInput("The tag kind must be 1, 2, 3 or 4, not '" + text + "'");
  }
  return static_cast<TagAttrXsl>(kind);
}

// Refuses a pattern whose node query (as the tag's kind builds it) does not compile.
void RequireCompilingPattern(const std::string& pattern, int32_t kind) {
  const std::string query =
      routing::node_queries::QueryFor(static_cast<TagAttrXsl>(kind), text::Trim(pattern));
  if (query.empty()) {
    return;
  }
  xml::Document empty;
  empty.LoadXml("<r/>");
  try {
    empty.SelectNodes(query);
  } catch (const Error& failure) {
    BadInput("The pattern '" + pattern + "' is not a valid node query: " + failure.description());
  }
}

void AddTagCommands(cli::Command& admin, const CommandRunner& runner, const Options& o) {
  cli::Command& group = admin.Add("tag", "Values read from the documents of a type");
  group.RequireSubcommand();

  cli::Command& add = group.Add("add", "Add a tag to a document type");
  add.Positional("doctype", o->doctype, "Document type id", true);
  add.Positional("name", o->second, "Tag name", true);
  add.Positional("xslpattern", o->third, "Pattern that selects the value", true);
  add.Option("--kind", o->kind, "How the pattern is read: 1, 2, 3 or 4 (default 1)");
  runner.OnRun(
      add,
      [o] {
        RequireDocumentType(o->doctype);
        RequireText("The tag name", o->second, 255);
        RequireText("The pattern", o->third, 1000);
        const TagAttrXsl kind = o->kind ? TagKind(*o->kind) : TagAttrXsl::TAGVALUE;
        RequireCompilingPattern(o->third, static_cast<int32_t>(kind));
        const int32_t id = support::TagStore().Add(o->doctype, o->second, o->third, kind);
        return TagVariant({id, o->doctype, o->second, o->third, static_cast<int32_t>(kind)});
      },
      [o](const Variant& added) {
        return "Added tag " + added.As<Dictionary>()->Item("id").ToText() + " (" + o->second +
               ") to " + o->doctype + "\n";
      });

  cli::Command& list = group.Add("list", "List the tags, of one document type or all");
  list.Positional("doctype", o->filter, "Document type id (all when left out)", false);
  runner.OnRun(
      list,
      [o] {
        if (!o->filter.empty()) {
          RequireDocumentType(o->filter);
        }
        return ListOf(support::TagStore().List(o->filter), TagVariant);
      },
      [](const Variant& rows) {
        return Table(rows, {"id", "doctype", "name", "pattern", "kind"});
      });

  cli::Command& remove = group.Add("remove", "Remove a tag");
  remove.Positional("tagid", o->user, "Tag id", true);
  runner.OnRun(
      remove,
      [o] {
        const int32_t id = ParseId("The tag id", o->user);
        if (!support::TagStore().Remove(id)) {
          Missing("The tag " + o->user + " does not exist");
        }
        return Record({{"removed", Variant(id)}});
      },
      [o](const Variant&) { return "Removed tag " + o->user + "\n"; });
}

}  // namespace

void AddStoreCommands(cli::Command& admin, const AdminOptions& options,
                      const std::function<void()>& use_home) {
  auto mine = std::make_shared<StoreOptions>();
  const CommandRunner runner(options, use_home, mine);
  AddUserListCommands(admin, runner, mine, kDistributionList,
                      {&mine->email, &mine->html, &mine->attachments},
                      {"Send the documents by e-mail", "Add an HTML rendering to the mail",
                       "Attach the document to the mail"});
  AddUserListCommands(admin, runner, mine, kSenderList,
                      {&mine->notify, &mine->attachments, &mine->html},
                      {"Notify the sender by e-mail", "Attach the document to the notification",
                       "Add an HTML rendering to the notification"});
  AddReceiveMethodCommands(admin, runner, mine);
  AddConversionCommands(admin, runner, mine);
  AddTagCommands(admin, runner, mine);
}

}  // namespace velmora::app
