#include "app/admin_stores.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "platform/host/membership_database.h"
#include "routing/node_queries.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"
#include "velmora/db/connection.h"
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
struct UserListTable {
  const char* command;
  const char* description;
  const char* table;
  const char* what;
  // The flag columns and their names in the listing.
  std::array<const char*, 3> columns;
  std::array<const char*, 3> names;
};

constexpr UserListTable kDistributionList{"distlist",
                                          "Users who receive the documents of a type",
                                          "DISTRIBUTIONLIST",
                                          "distribution list",
                                          {"EMAIL", "HTMLATTACHMENT", "ATTACHMENTS"},
                                          {"email", "html", "attachments"}};

constexpr UserListTable kSenderList{"senderlist",
                                    "Users allowed to send documents of a type",
                                    "SENDERLIST",
                                    "sender list",
                                    {"NOTIFICATION", "ATTACHMENTS", "HTMLATTACHMENT"},
                                    {"notify", "attachments", "html"}};

void AddUserListCommands(cli::Command& admin, const CommandRunner& runner, const Options& o,
                         const UserListTable& t, std::array<bool*, 3> flags,
                         std::array<const char*, 3> flag_help) {
  const std::string table = t.table;
  const std::string what = t.what;
  cli::Command& list_command = admin.Add(t.command, t.description);
  list_command.RequireSubcommand();

  cli::Command& add = list_command.Add("add", "Add a user for a document type");
  add.Positional("doctype", o->doctype, "Document type id", true);
  add.Positional("userid", o->user, "User id", true);
  for (size_t i = 0; i < flags.size(); ++i) {
    add.Flag(std::string("--") + t.names[i], *flags[i], flag_help[i]);
  }
  auto to_variant = [t](const db::Recordset& row) {
    return Record({{"doctype", TextOf(row, "DOCUMENTTYPEID")},
                   {"userid", TextOf(row, "USERID")},
                   {"partner", NumberOf(row, "BUSINESSPARTNERID")},
                   {t.names[0], Flag(row, t.columns[0])},
                   {t.names[1], Flag(row, t.columns[1])},
                   {t.names[2], Flag(row, t.columns[2])}});
  };
  const std::string select = std::string("SELECT DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, ") +
                             t.columns[0] + ", " + t.columns[1] + ", " + t.columns[2] + " FROM " +
                             table;
  runner.OnRun(
      add,
      [o, t, table, what, flags, select, to_variant] {
        RequireDocumentType(o->doctype);
        const int32_t partner = PartnerOfUser(o->user);
        if (Exists("SELECT USERID FROM " + table + " WHERE DOCUMENTTYPEID = ? AND USERID = ?",
                   {Variant(o->doctype), Variant(o->user)})) {
          RaiseError(
              EnumerationErrors::AlreadyPresent, kSource,
              "The user '" + o->user + "' is already on the " + what + " of '" + o->doctype + "'");
        }
        Execute("INSERT INTO " + table + " (DOCUMENTTYPEID, USERID, BUSINESSPARTNERID, " +
                    t.columns[0] + ", " + t.columns[1] + ", " + t.columns[2] +
                    ") VALUES (?, ?, ?, ?, ?, ?)",
                {Variant(o->doctype), Variant(o->user), Variant(partner), Variant(Bit(*flags[0])),
                 Variant(Bit(*flags[1])), Variant(Bit(*flags[2]))});
        return Rows(select + " WHERE DOCUMENTTYPEID = ? AND USERID = ?",
                    {Variant(o->doctype), Variant(o->user)}, to_variant)
            .AsArray()
            .values()
            .front();
      },
      [o, what](const Variant&) {
        return "Added " + o->user + " to the " + what + " of " + o->doctype + "\n";
      });

  cli::Command& list = list_command.Add("list", "List the entries, of one document type or all");
  list.Positional("doctype", o->filter, "Document type id (all when left out)", false);
  runner.OnRun(
      list,
      [o, select, to_variant] {
        if (!o->filter.empty()) {
          RequireDocumentType(o->filter);
          return Rows(select + " WHERE DOCUMENTTYPEID = ? ORDER BY DOCUMENTTYPEID, USERID",
                      {Variant(o->filter)}, to_variant);
        }
        return Rows(select + " ORDER BY DOCUMENTTYPEID, USERID", {}, to_variant);
      },
      [t](const Variant& rows) {
        return Table(rows, {"doctype", "userid", "partner", t.names[0], t.names[1], t.names[2]});
      });

  cli::Command& remove = list_command.Add("remove", "Remove a user for a document type");
  remove.Positional("doctype", o->doctype, "Document type id", true);
  remove.Positional("userid", o->user, "User id", true);
  runner.OnRun(
      remove,
      [o, table, what] {
        if (Execute("DELETE FROM " + table + " WHERE DOCUMENTTYPEID = ? AND USERID = ?",
                    {Variant(o->doctype), Variant(o->user)}) == 0) {
          Missing("The user '" + o->user + "' is not on the " + what + " of '" + o->doctype + "'");
        }
        return Record({{"doctype", Variant(o->doctype)}, {"userid", Variant(o->user)}});
      },
      [o, what](const Variant&) {
        return "Removed " + o->user + " from the " + what + " of " + o->doctype + "\n";
      });
}

// --- receive methods -------------------------------------------------------------------------

Variant ReceiveMethodVariant(const db::Recordset& row) {
  return Record({{"id", NumberOf(row, "RECEIVEMETHODID")},
                 {"partner", NumberOf(row, "BUSINESSPARTNERID")},
                 {"doctype", TextOf(row, "DOCUMENTTYPEID")},
                 {"xsl", TextOf(row, "XSLFILENAME")}});
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

  runner.AddList(
      group, "List the receive style sheets",
      [] {
        return Rows(
            "SELECT RECEIVEMETHODID, BUSINESSPARTNERID, DOCUMENTTYPEID, XSLFILENAME FROM "
            "RECEIVEMETHOD ORDER BY BUSINESSPARTNERID, DOCUMENTTYPEID",
            {}, ReceiveMethodVariant);
      },
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

// Adds a row to `table` through a recordset, so that the database hands out the id column
// `id_column`; returns the id.
int32_t InsertWithId(const std::string& table, const std::string& id_column,
                     const std::vector<std::pair<std::string, Variant>>& fields) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  auto rs = connection->OpenRecordset(
      "SELECT * FROM " + table + " WHERE 0 = 1",
      db::RecordsetOptions{db::CursorLocation::kClient, db::LockType::kOptimistic});
  rs->AddNew();
  for (const auto& [name, value] : fields) {
    rs->SetField(name, value);
  }
  rs->Update();
  const int32_t id = rs->Field(id_column).ToInt32();
  rs->Close();
  core::CloseConnection(connection);
  return id;
}

Variant ConversionVariant(const db::Recordset& row) {
  return Record({{"id", NumberOf(row, "TABLEID")},
                 {"doctype", TextOf(row, "DOCUMENTTYPEID")},
                 {"newDoctype", TextOf(row, "NEWDOCUMENTTYPEID")},
                 {"xsl", TextOf(row, "TRANSFORMXSLNAME")}});
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
        if (Exists("SELECT TABLEID FROM DOCTYPETODOCTYPE WHERE DOCUMENTTYPEID = ? AND "
                   "NEWDOCUMENTTYPEID = ?",
                   {Variant(o->doctype), Variant(o->second)})) {
          RaiseError(
              EnumerationErrors::AlreadyPresent, kSource,
              "A conversion from '" + o->doctype + "' to '" + o->second + "' already exists");
        }
        const int32_t id = InsertWithId("DOCTYPETODOCTYPE", "TABLEID",
                                        {{"DOCUMENTTYPEID", Variant(o->doctype)},
                                         {"NEWDOCUMENTTYPEID", Variant(o->second)},
                                         {"TRANSFORMXSLNAME", Variant(o->third)}});
        return Record({{"id", Variant(id)},
                       {"doctype", Variant(o->doctype)},
                       {"newDoctype", Variant(o->second)},
                       {"xsl", Variant(o->third)}});
      },
      [o](const Variant&) {
        return "Added conversion of " + o->doctype + " to " + o->second + "\n";
      });

  runner.AddList(group, "List the conversions",
                 [] {
                   return Rows(
                       "SELECT TABLEID, DOCUMENTTYPEID, NEWDOCUMENTTYPEID, TRANSFORMXSLNAME FROM "
                       "DOCTYPETODOCTYPE ORDER BY DOCUMENTTYPEID, NEWDOCUMENTTYPEID",
                       {}, ConversionVariant);
                 },
                 {"id", "doctype", "newDoctype", "xsl"});

  cli::Command& remove = group.Add("remove", "Remove a conversion");
  remove.Positional("doctype", o->doctype, "Document type id", true);
  remove.Positional("newdoctype", o->second, "Document type id it becomes", true);
  runner.OnRun(
      remove,
      [o] {
        if (Execute("DELETE FROM DOCTYPETODOCTYPE WHERE DOCUMENTTYPEID = ? AND "
                    "NEWDOCUMENTTYPEID = ?",
                    {Variant(o->doctype), Variant(o->second)}) == 0) {
          Missing("There is no conversion from '" + o->doctype + "' to '" + o->second + "'");
        }
        return Record({{"doctype", Variant(o->doctype)}, {"newDoctype", Variant(o->second)}});
      },
      [o](const Variant&) {
        return "Removed conversion of " + o->doctype + " to " + o->second + "\n";
      });
}

// --- tags ------------------------------------------------------------------------------------

Variant TagVariant(const db::Recordset& row) {
  return Record({{"id", NumberOf(row, "TAGID")},
                 {"doctype", TextOf(row, "DOCUMENTTYPEID")},
                 {"name", TextOf(row, "DESCRIPTION")},
                 {"pattern", TextOf(row, "XSLPATTERN")},
                 {"kind", NumberOf(row, "TAGATTRXSL")}});
}

constexpr const char* kTagSelect =
    "SELECT TAGID, DOCUMENTTYPEID, DESCRIPTION, XSLPATTERN, TAGATTRXSL FROM TAGSCONFIG";

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
        int32_t kind = 1;
        if (o->kind) {
          kind = ParseId("The tag kind", *o->kind);
          if (kind > 4) {
            BadInput("The tag kind must be 1, 2, 3 or 4, not '" + *o->kind + "'");
          }
        }
        RequireCompilingPattern(o->third, kind);
        const int32_t id = InsertWithId("TAGSCONFIG", "TAGID",
                                        {{"DOCUMENTTYPEID", Variant(o->doctype)},
                                         {"DESCRIPTION", Variant(o->second)},
                                         {"XSLPATTERN", Variant(o->third)},
                                         {"TAGATTRXSL", Variant(kind)}});
        return Record({{"id", Variant(id)},
                       {"doctype", Variant(o->doctype)},
                       {"name", Variant(o->second)},
                       {"pattern", Variant(o->third)},
                       {"kind", Variant(kind)}});
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
          return Rows(std::string(kTagSelect) + " WHERE DOCUMENTTYPEID = ? ORDER BY TAGID",
                      {Variant(o->filter)}, TagVariant);
        }
        return Rows(std::string(kTagSelect) + " ORDER BY TAGID", {}, TagVariant);
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
        // The tag's stored values go with it.
        if (ExecuteTogether(
                {"DELETE FROM TAGSVALUE WHERE TAGID = ?", "DELETE FROM TAGSCONFIG WHERE TAGID = ?"},
                {Variant(id)}) == 0) {
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
