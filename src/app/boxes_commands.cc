#include "app/boxes_commands.h"

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "app/admin.h"
#include "app/admin_runner.h"
#include "app/admin_store_queries.h"
#include "core/db_utils.h"
#include "core/general.h"
#include "support/tag_store.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/text.h"
#include "velmora/boxes/box_list.h"
#include "velmora/boxes/collaboration.h"
#include "velmora/document/document.h"

namespace velmora::app {
namespace {

struct BoxOptions {
  std::string user;
  std::string type;
  std::vector<std::string> filters;
  std::string document;
  std::string limit;
  std::string after;
  bool json = false;
};

// One column of a printed list: its output name and the list column it comes from.
struct Column {
  std::string name;
  std::string source;
  enum Kind { kValue, kPresent, kCount } kind = kValue;
};

struct Tag {
  int32_t id = 0;
  std::string column;
};

std::vector<Column> ListColumns(SENDERMODE mode) {
  switch (mode) {
    case SENDERMODE::RECEIVERMODE:
      return {{"DOCUMENTID", "DOCUMENTID"},
              {"CREATIONDATE", "CREATIONDATE"},
              {"SENDER", "SENDER"},
              {"DOCUMENTSTATUS", "DSTATUS"},
              {"PUBLICATIONSTATUS", "STATUS"},
              {"FORWARD", "FORWARD"},
              {"CHILDREN", "CHILDID", Column::kPresent},
              {"ATTACHMENTS", "NR", Column::kCount}};
    case SENDERMODE::ERRORMODE:
      return {{"DOCUMENTID", "DOCUMENTID"},
              {"CREATIONDATE", "CREATIONDATE"},
              {"SENDER", "SENDER"},
              {"DOCUMENTTYPEID", "DOCUMENTTYPEID"}};
    default:
      return {{"DOCUMENTID", "DOCUMENTID"},
              {"CREATIONDATE", "CREATIONDATE"},
              {"SENDER", "SENDER"},
              {"DOCUMENTSTATUS", "DSTATUS"},
              {"CHILDREN", "CHILDID", Column::kPresent},
              {"ATTACHMENTS", "NR", Column::kCount}};
  }
}

// The type's tags in their configured order, each named by its description (or "T<n>" when
// the description is blank or already taken).
std::vector<Tag> TypeTags(const std::string& type, const std::vector<Column>& columns) {
  std::vector<Tag> tags;
  std::vector<std::string> taken;
  for (const Column& column : columns) {
    taken.push_back(column.name);
  }
  for (const support::TagDefinition& definition : support::TagStore().InDisplayOrder(type)) {
    Tag tag;
    tag.id = definition.id;
    tag.column = definition.name ? text::Trim(*definition.name) : std::string();
    if (tag.column.empty() || std::find(taken.begin(), taken.end(), tag.column) != taken.end()) {
      tag.column = "T" + std::to_string(tags.size() + 1);
    }
    taken.push_back(tag.column);
    tags.push_back(std::move(tag));
  }
  return tags;
}

// "COLUMN OP VALUE" split into the list's filter name ("COLUMN OP ") and the value.
std::pair<std::string, std::string> ParseFilter(const std::string& filter) {
  static const std::regex kComparison(
      R"(^ *([A-Za-z_][A-Za-z0-9_]*\.[A-Za-z_][A-Za-z0-9_]*) *(<=|>=|<>|!=|=|<|>) *(.*)$)");
  static const std::regex kLike(
      R"(^ *([A-Za-z_][A-Za-z0-9_]*\.[A-Za-z_][A-Za-z0-9_]*) +(LIKE) +(.*)$)", std::regex::icase);
  std::smatch match;
  if (!std::regex_match(filter, match, kLike) && !std::regex_match(filter, match, kComparison)) {
    BadInput("The filter '" + filter +
             "' is not a qualified column, an operator (=, <>, !=, <, <=, >, >= or LIKE) and a "
             "value, for example DOCUMENT.DOCUMENTID=12 or \"DOCUMENT.SENDER LIKE ac*\"");
  }
  return {match[1].str() + " " + text::ToUpper(match[2].str()) + " ", match[3].str()};
}

// Elements 1 ... n of a new array (element 0 unused, as the pages pass them).
VariantArray FromOne(const std::vector<Variant>& values) {
  VariantArray array(values.size() + 1);
  for (size_t i = 0; i < values.size(); ++i) {
    array.At(static_cast<int32_t>(i + 1)) = values[i];
  }
  return array;
}

// The message a library refusal was raised with, without the chain of method paths that
// reporting added around it ("\r\nMETHOD: <path> caught: <message>(<number>).").
std::string RaisedMessage(const Error& error) {
  std::string message = error.description();
  const std::string head = "\r\nMETHOD: ";
  const std::string caught = " caught: ";
  int nesting = 0;
  while (message.rfind(head, 0) == 0 && message.find(caught) != std::string::npos) {
    message = message.substr(message.find(caught) + caught.size());
    ++nesting;
  }
  const std::string tail = "(" + text::Hex(error.number()) + ").";
  for (; nesting > 0 && text::IEndsWith(message, tail); --nesting) {
    message.resize(message.size() - tail.size());
  }
  return message;
}

Variant Cell(const db::Recordset& row, const Column& column) {
  const Variant value = row.Field(column.source);
  switch (column.kind) {
    case Column::kPresent:
      return Variant(!value.IsNull());
    case Column::kCount:
      return Variant(value.IsNull() ? 0 : value.ToInt32());
    default:
      return value.IsNull() ? Variant::MakeNull() : value;
  }
}

// One page of the list of `mode` for the options' user and type, newest first, with the cursor
// of the next page: {"documents": [...], "next": "..."}.
Variant ListDocuments(SENDERMODE mode, const BoxOptions& o) {
  RequireText("--user", o.user, 255);
  RequireText("--type", o.type, 100);
  PartnerOfUser(o.user);
  RequireDocumentType(o.type);
  int64_t limit = 50;
  if (!o.limit.empty() &&
      (!text::ParseInt64(o.limit, limit) || limit < INT32_MIN || limit > INT32_MAX)) {
    BadInput("--limit must be a whole number, not '" + o.limit + "'");
  }
  std::vector<Column> columns = ListColumns(mode);
  const std::vector<Tag> tags = TypeTags(o.type, columns);
  std::vector<Variant> tag_ids;
  for (size_t i = 0; i < tags.size(); ++i) {
    tag_ids.emplace_back(tags[i].id);
    columns.push_back({tags[i].column, "T" + std::to_string(i + 1)});
  }
  std::vector<Variant> names;
  std::vector<Variant> values;
  for (const std::string& filter : o.filters) {
    auto [name, value] = ParseFilter(filter);
    names.emplace_back(std::move(name));
    values.emplace_back(std::move(value));
  }
  Variant next;
  std::shared_ptr<db::Recordset> rows;
  try {
    rows = BoxList().List(static_cast<int32_t>(mode), o.type, FromOne(tag_ids),
                          static_cast<int32_t>(tag_ids.size()), FromOne(names), FromOne(values),
                          static_cast<int32_t>(names.size()), o.user, next,
                          static_cast<int32_t>(limit), o.after);
  } catch (const Error& failure) {
    throw Error(failure.number(), failure.source(), RaisedMessage(failure));
  }
  VariantArray documents(0);
  for (; !rows->IsEOF(); rows->MoveNext()) {
    auto record = std::make_shared<Dictionary>();
    for (const Column& column : columns) {
      record->Add(column.name, Cell(*rows, column));
    }
    documents.Append(Variant(ObjectRef(record)));
  }
  rows->Close();
  return Record({{"documents", Variant(std::move(documents))}, {"next", next}});
}

// The page as a table, then the option that reads the next page.
std::string PlainPage(const Variant& page, const std::vector<std::string>& names) {
  const auto fields = page.As<Dictionary>();
  std::string out = Table(fields->Item("documents"), names);
  const std::string next = fields->Item("next").ToText();
  if (!next.empty()) {
    out += "next page: --after " + next + "\n";
  }
  return out;
}

std::vector<std::string> Names(SENDERMODE mode, const BoxOptions& o) {
  std::vector<Column> columns = ListColumns(mode);
  std::vector<std::string> names;
  for (const Column& column : columns) {
    names.push_back(column.name);
  }
  for (const Tag& tag : TypeTags(o.type, columns)) {
    names.push_back(tag.column);
  }
  return names;
}

// The rows of a query text handed to the pages, run as the pages run it.
template <class Each>
void ForEachRow(const std::string& query, Each each) {
  std::unique_ptr<db::Connection> connection = core::GetConnection();
  auto rows = connection->Query(query);
  for (; !rows->IsEOF(); rows->MoveNext()) {
    each(*rows);
  }
  rows->Close();
  core::CloseConnection(connection);
}

Variant TextOrNull(const Variant& value) {
  return value.IsNull() || value.IsEmpty() ? Variant::MakeNull() : Variant(value.ToText());
}

// The document's details as its sender or a recipient sees them.
Variant ShowDocument(const BoxOptions& o) {
  const int32_t id = ParseId("The document id", o.document);
  RequireText("--user", o.user, 255);
  PartnerOfUser(o.user);
  Document document;
  const std::string sender = document.GetSenderOfDocument(id);
  const SENDERMODE mode = sender == o.user ? SENDERMODE::SENDERMODE : SENDERMODE::RECEIVERMODE;
  const bool as_sender = mode == SENDERMODE::SENDERMODE;
  Collaboration collaboration;
  auto details = std::make_shared<Dictionary>();
  VariantArray tags(0);
  bool found = false;
  ForEachRow(collaboration.GetDocumentDetails2(static_cast<int16_t>(mode), id, o.user),
             [&](const db::Recordset& row) {
               if (!found) {
                 found = true;
                 details->Add("DOCUMENTID", Variant(id));
                 details->Add("DOCUMENTTYPEID", Variant(document.GetDocumentTypeOfDocument(id)));
                 details->Add("DESCRIPTION", TextOrNull(row.Field("DESCRIPTION")));
                 details->Add("SENDER", Variant(sender));
                 details->Add("CREATIONDATE", TextOrNull(row.Field("CREATIONDATE")));
                 details->Add("VIEW", Variant(std::string(as_sender ? "sender" : "recipient")));
                 details->Add(as_sender ? "DOCUMENTSTATUS" : "PUBLICATIONSTATUS",
                              row.Field("STATUS"));
                 if (!as_sender) {
                   details->Add("FORWARD", row.Field("FORWARD"));
                 }
               }
               if (!row.Field("TAGDESCRIPTION").IsNull()) {
                 tags.Append(Record({{"DESCRIPTION", TextOrNull(row.Field("TAGDESCRIPTION"))},
                                     {"VALUE", TextOrNull(row.Field("TAGVALUE"))}}));
               }
             });
  if (!found) {
    Missing("Document " + o.document + " is not in a box of user '" + o.user + "'");
  }
  VariantArray attachments(0);
  ForEachRow(collaboration.GetDocumentAttachmentsQueryStr(as_sender, id, o.user),
             [&](const db::Recordset& row) {
               attachments.Append(
                   Record({{"ATTACHMENTID", row.Field("ATTACHMENTID")},
                           {"ATTACHMENTFILENAME", TextOrNull(row.Field("ATTACHMENTFILENAME"))}}));
             });
  details->Add("TAGS", Variant(std::move(tags)));
  details->Add("ATTACHMENTS", Variant(std::move(attachments)));
  return Variant(ObjectRef(details));
}

std::string PlainDetails(const Variant& result) {
  const auto details = result.As<Dictionary>();
  std::string out;
  for (const auto& [key, value] : details->entries()) {
    if (value.IsArray()) {
      continue;
    }
    out += key + ":\t" + (value.IsNull() ? std::string() : value.ToText()) + "\n";
  }
  out += "TAGS:\n";
  const Variant tags = details->Item("TAGS");
  for (const Variant& tag : tags.AsArray().values()) {
    const auto entry = tag.As<Dictionary>();
    const Variant value = entry->Item("VALUE");
    out += "  " + entry->Item("DESCRIPTION").ToText() + ":\t" +
           (value.IsNull() ? std::string() : value.ToText()) + "\n";
  }
  out += "ATTACHMENTS:\n";
  const Variant attachments = details->Item("ATTACHMENTS");
  for (const Variant& attachment : attachments.AsArray().values()) {
    const auto entry = attachment.As<Dictionary>();
    out += "  " + entry->Item("ATTACHMENTID").ToText() + "\t" +
           entry->Item("ATTACHMENTFILENAME").ToText() + "\n";
  }
  return out;
}

void AddList(cli::Command& root, const std::string& name, const std::string& description,
             SENDERMODE mode, const std::function<void()>& use_home) {
  auto options = std::make_shared<BoxOptions>();
  cli::Command& command = root.Add(name, description);
  command.Option("--user", options->user, "The viewing user id (required)");
  command.Option("--type", options->type, "The document type id (required)");
  command.Repeated("--filter", options->filters,
                   "A filter: qualified column, operator and value, for example "
                   "DOCUMENT.DOCUMENTID=12 (repeatable)");
  command.Option("--limit", options->limit, "Rows per page, 1 to 1000 (default 50)");
  command.Option("--after", options->after,
                 "The cursor printed with the previous page, to list the next one");
  command.Flag("--json", options->json, "Machine-readable output");
  command.OnRun([options, mode, use_home, program = "velmora " + name] {
    use_home();
    return RunAdminCommand(
        options->json, [&] { return ListDocuments(mode, *options); },
        [&](const Variant& page) { return PlainPage(page, Names(mode, *options)); },
        ErrorText::kTrimmed, program);
  });
}

}  // namespace

void AddBoxCommands(cli::Command& root, const std::function<void()>& use_home) {
  AddList(root, "inbox", "List the documents published to a user", SENDERMODE::RECEIVERMODE,
          use_home);
  AddList(root, "outbox", "List the documents a user sent", SENDERMODE::SENDERMODE, use_home);
  AddList(root, "errors", "List the documents with open delivery errors that concern a user",
          SENDERMODE::ERRORMODE, use_home);

  auto options = std::make_shared<BoxOptions>();
  cli::Command& show = root.Add("show", "Print a document's details and attachments");
  show.Positional("docid", options->document, "Document id", true);
  show.Option("--user", options->user, "The viewing user id (required)");
  show.Flag("--json", options->json, "Machine-readable output");
  show.OnRun([options, use_home] {
    use_home();
    return RunAdminCommand(
        options->json, [&] { return ShowDocument(*options); }, PlainDetails, ErrorText::kTrimmed,
        "velmora show");
  });
}

}  // namespace velmora::app
